#pragma once
#include <functional>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "command_line.h"

namespace fakes {

// Plays the MySQL client and mysqldump on the fake file system: reads the
// command file the utility generated, hands the script to a responder and
// writes its errors where the command file redirects them; its rows come on
// standard output.
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
        // mysqldump's arguments, or the words of the client's command file.
        std::vector<std::string> arguments;
        std::string options;  // the options file's text
        std::string sql;
        bool optionsPrivate = false;
        bool scriptPrivate = false;
        // The error file existed, ours and private, before the client ran.
        bool streamFilesPrivate = false;
    };

    std::function<Reply(const std::string& sql)> respond = [](const std::string&) {
        return Reply{"Col\n", "", 0};
    };
    // mysqldump: the dump's content for a command line (written to --result-file).
    std::function<Reply(const std::string& commandLine)> dump = [](const std::string&) {
        return Reply{"-- dump\n", "", 0};
    };
    std::vector<Run> runs;

    // The value of "--name=value", or the word after "--name" or a redirection such as "1>".
    static std::string option(const std::vector<std::string>& words, const std::string& name) {
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (name.back() == '=' && words[i].rfind(name, 0) == 0)
                return words[i].substr(name.size());
            if (words[i] == name && i + 1 < words.size()) return words[i + 1];
        }
        return "";
    }

    explicit FakeMySQLClient(FakeServices& fake) : fake_(fake) {
        fake.processes.onLaunch = [this](const std::string& line) { launched(line); };
    }

private:
    using Words = std::vector<std::string>;

    // The words of a shell command line: blanks separate, single quotes group,
    // a backslash outside quotes takes the next character literally.
    static Words shellWords(const std::string& line) {
        Words words;
        std::string word;
        bool quoted = false, inWord = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (!quoted && (c == ' ' || c == '\n')) {
                if (inWord) words.push_back(word);
                word.clear();
                inWord = false;
            } else if (c == '\'') {
                quoted = !quoted;
                inWord = true;
            } else {
                word += !quoted && c == '\\' && i + 1 < line.size() ? line[++i] : c;
                inWord = true;
            }
        }
        if (inWord) words.push_back(word);
        return words;
    }
    void launched(const std::string& line) {
        Run run;
        run.commandLine = line;
        Reply reply;
        const Words words = platform::posix::splitWindowsCommandLine(line);
        if (line.find("mysqldump") != std::string::npos) {
            run.arguments = words;
            const std::string options = option(words, "--defaults-file=");
            run.options = fake_.files.files[options];
            run.optionsPrivate = fake_.files.privateFiles.count(options) > 0;
            reply = dump(line);
            if (reply.exitCode == 0 || !reply.out.empty())
                fake_.files.files[option(words, "--result-file=")] = reply.out;
            reply.out.clear();
        } else {
            run.commandFile = words.at(0);
            const Words script = shellWords(fake_.files.files[run.commandFile]);
            run.arguments = script;
            const std::string options = option(script, "--defaults-file=");
            const std::string input = option(script, "<");
            run.options = fake_.files.files[options];
            run.optionsPrivate = fake_.files.privateFiles.count(options) > 0;
            run.sql = fake_.files.files[input];
            run.scriptPrivate = fake_.files.privateFiles.count(input) > 0;
            run.streamFilesPrivate = fake_.files.privateFiles.count(option(script, "2>")) > 0;
            reply = respond(run.sql);
            fake_.files.files[option(script, "2>")] = reply.err;
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
