#pragma once
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "FakeServices.h"

namespace fakes {

// Plays the MySQL client and mysqldump on the fake file system: reads the
// command file the utility generated, hands the script to a responder and
// writes its answer where the command file redirects the client's streams.
class FakeMySQLClient {
public:
    struct Reply {
        std::string out;
        std::string err;
        int exitCode = 0;
    };
    // What a run saw at the moment it was started.
    struct Run {
        std::string commandLine;
        std::string commandFile;
        std::string options;  // the options file's text
        std::string sql;
        bool optionsPrivate = false;
        bool scriptPrivate = false;
    };

    std::function<Reply(const std::string& sql)> respond = [](const std::string&) {
        return Reply{"Col\n", "", 0};
    };
    // mysqldump: the dump's content for a command line (written to --result-file).
    std::function<Reply(const std::string& commandLine)> dump = [](const std::string&) {
        return Reply{"-- dump\n", "", 0};
    };
    std::vector<Run> runs;

    explicit FakeMySQLClient(FakeServices& fake) : fake_(fake) {
        fake.processes.onLaunch = [this](const std::string& line) { launched(line); };
    }

private:
    static std::string group(const std::string& text, const std::string& pattern) {
        std::smatch match;
        return std::regex_search(text, match, std::regex(pattern)) ? match[1].str() : "";
    }

    void launched(const std::string& line) {
        Run run;
        run.commandLine = line;
        Reply reply;
        if (line.find("mysqldump") != std::string::npos) {
            run.options = fake_.files.files[group(line, "--defaults-extra-file=\"([^\"]*)\"")];
            run.optionsPrivate =
                fake_.files.privateFiles.count(group(line, "--defaults-extra-file=\"([^\"]*)\""));
            reply = dump(line);
            if (reply.exitCode == 0 || !reply.out.empty())
                fake_.files.files[group(line, "--result-file=\"([^\"]*)\"")] = reply.out;
            reply.out.clear();
        } else {
            run.commandFile = group(line, "^\"([^\"]*)\"");
            const std::string text = fake_.files.files[run.commandFile];
            const std::string options = group(text, "--defaults-file=\"([^\"]*)\"");
            const std::string script = group(text, " < \"([^\"]*)\"");
            run.options = fake_.files.files[options];
            run.optionsPrivate = fake_.files.privateFiles.count(options) > 0;
            run.sql = fake_.files.files[script];
            run.scriptPrivate = fake_.files.privateFiles.count(script) > 0;
            reply = respond(run.sql);
            fake_.files.files[group(text, " 1> \"([^\"]*)\"")] = reply.out;
            fake_.files.files[group(text, " 2> \"([^\"]*)\"")] = reply.err;
            reply.out.clear();
        }
        runs.push_back(run);
        ScriptedChild child;
        child.outPerSlice = {reply.out};
        child.errPerSlice = {reply.err};
        child.exitCode = reply.exitCode;
        fake_.processes.children.push_back(child);
    }

    FakeServices& fake_;
};

}  // namespace fakes
