// Version texts from outside: the MySQL client's "--version" answer, read by
// the version check (action 6) on the fakes, and the Jet library's version
// resource text. Input: one byte choosing the reader, then the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "access/msJetChecker.h"
#include "fakes/FakeServices.h"
#include "mysql/MySQLVersionChecker.h"

namespace {

// The version check with the client's answer written to its output file.
void checkMySQLAnswer(const std::string& answer) {
    fakes::FakeServices fake;
    fake.files.folders.insert("/opt/harvella");
    // The client answers into the empty temporary file made for its output.
    fake.processes.onLaunch = [&](const std::string&) {
        for (auto& [path, bytes] : fake.files.files)
            if (path.size() > 4 && path.compare(path.size() - 4, 4, ".tmp") == 0 && bytes.empty())
                bytes = answer;
    };
    Quimbo::Args args{"6", "/opt/harvella"};
    int count = 2;
    Quimbo::MySQLVersionChecker checker(fake.services);
    checker.Initialize(args, count);
    try {
        checker.checkMysqlVersion();
    } catch (const fakes::ProcessExited& exited) {
        if (exited.code != 0 && exited.code != 1) std::abort();
        if (exited.code == 0 && !fake.console.out.empty()) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) {
        checkMySQLAnswer(text);
    } else {
        const std::int64_t value = Quimbo::msJetChecker::VersionToInteger(text);
        if (value < 0) std::abort();
        Quimbo::msJetChecker::IsVersionLower(text, "4.0.0");
    }
    return 0;
}
