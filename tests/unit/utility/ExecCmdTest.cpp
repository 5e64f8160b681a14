#include <gtest/gtest.h>

#include "RaisedBy.h"
#include "fakes/FakeServices.h"
#include "frame/ExecCmdModule.h"
#include "frame/ExitFuncsModule.h"
#include "frame/PipeFuncsModule.h"
#include "frame/UnzipUtilTimeoutHandler.h"

namespace {

using namespace Quimbo;

struct RecordingHandler : IWaitTimeoutHandler {
    std::vector<std::pair<std::string, std::string>> seen;
    void handleWaitTimeOut(const std::string& out, const std::string& err,
                           platform::ChildProcess&) override {
        seen.emplace_back(out, err);
    }
};

TEST(ExecCmd, CollectsBothStreamsAndCallsTheHandlerAfterEverySliceButTheLast) {
    fakes::FakeServices fake;
    fake.processes.children.push_back({{"a", "b", "c"}, {"", "x", ""}, 3, "", 0});
    RecordingHandler handler;
    std::string err = "old", out = "old";
    EXPECT_EQ(ExecCmd(fake.services, "\"/bin/tool\" -v", err, out, &handler), 3);
    EXPECT_EQ(out, "abc");
    EXPECT_EQ(err, "x");
    ASSERT_EQ(handler.seen.size(), 2u);
    EXPECT_EQ(handler.seen[0], (std::pair<std::string, std::string>{"a", ""}));
    EXPECT_EQ(handler.seen[1], (std::pair<std::string, std::string>{"ab", "x"}));
}

TEST(ExecCmd, ALaunchFailureReturnsMinus1000WithReasonAndProgram) {
    fakes::FakeServices fake;
    fake.processes.launchError = platform::winerr::fileNotFound;
    std::string err, out = "kept";
    EXPECT_EQ(ExecCmd(fake.services, "\"C:\\no where\\tool.exe\" -x", err, out), execCmdLaunchFailed);
    EXPECT_EQ(err, "System error 2. File: C:\\no where\\tool.exe");
    EXPECT_EQ(out, "kept");
}

TEST(ExecCmd, TheProgramOfALineWithoutTwoQuotesIsTheWholeLine) {
    EXPECT_EQ(ProgramOfCommandLine("tool -x"), "tool -x");
    EXPECT_EQ(ProgramOfCommandLine("\"tool -x"), "\"tool -x");
    EXPECT_EQ(ProgramOfCommandLine("run \"a b\" \"c\""), "a b");
}

TEST(ExecCmd, UnzipHandlerAnswersNoFromTheDiskFullPromptOnAndOnlyToIt) {
    const struct {
        std::vector<std::string> err;
        std::string answers;
    } cases[] = {{{"", "error: disk full?", "", ""}, "n\r\nn\r\n"},
                 {{"Disk Full", "disk is full", ""}, ""}};
    for (const auto& c : cases) {
        fakes::FakeServices fake;
        fake.processes.children.push_back(
            {std::vector<std::string>(c.err.size()), c.err, 0, "", 0});
        UnzipUtilTimeoutHandler handler;
        std::string err, out;
        ExecCmd(fake.services, "unzip", err, out, &handler);
        EXPECT_EQ(fake.processes.children[0].inputReceived, c.answers) << "after " << c.err[1];
    }
}

TEST(ExecCmd, FailuresRaisedByTheHandlerPropagate) {
    struct Raising : IWaitTimeoutHandler {
        void handleWaitTimeOut(const std::string&, const std::string&, platform::ChildProcess&) override {
            throw FailureRecord{77, "handler", "stop"};
        }
    } handler;
    fakes::FakeServices fake;
    fake.processes.children.push_back({{"", ""}, {}, 0, "", 0});
    std::string err, out;
    EXPECT_THROW(ExecCmd(fake.services, "x", err, out, &handler), FailureRecord);
}

TEST(WriteStdOut, RaisesOnAFailedOrShortWriteAndWritesNothingForEmptyText) {
    fakes::FakeConsole console;
    EXPECT_NO_THROW(WriteStdOut(console, ""));
    EXPECT_TRUE(console.outWrites.empty());
    console.writeLimit = 2;
    EXPECT_EQ(raisedBy([&] { WriteStdOut(console, "abc"); }),
              Raised(1002, "WriteStdOut", "Incomplete write operation"));
    console.writeError = platform::winerr::invalidHandle;
    EXPECT_EQ(raisedBy([&] { WriteStdOut(console, "abc"); }),
              Raised(1001, "WriteStdOut", "Unable to write to standard output"));
}

TEST(ExitWithCode, WritesTheFirst1023CharactersWholeInOneWriteThenEnds) {
    fakes::FakeServices fake;
    std::string message(2000, 'm');
    message[1022] = 'L';
    EXPECT_EQ(fakes::exitCodeOf([&] { ExitWithCode(fake.services, 2011, message); }), 2011);
    ASSERT_EQ(fake.console.outWrites.size(), 1u);
    EXPECT_EQ(fake.console.outWrites[0].size(), 1023u);
    EXPECT_EQ(fake.console.outWrites[0].back(), 'L');

    // Two bytes a character: 1023 of them, none cut in half.
    std::string accents;
    for (int i = 0; i < 2000; ++i)
        accents += "\xC3\xA9";
    fakes::exitCodeOf([&] { ExitWithCode(fake.services, 1, accents); });
    EXPECT_EQ(fake.console.outWrites.at(1), accents.substr(0, 2046));
}

TEST(ExitWithCode, IgnoresAFailedWriteAndStillEnds) {
    fakes::FakeServices fake;
    fake.console.writeError = platform::winerr::invalidHandle;
    EXPECT_EQ(fakes::exitCodeOf([&] { ExitWithCode(fake.services, 1, "text"); }), 1);
}

}  // namespace
