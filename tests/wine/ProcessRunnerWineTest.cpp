// The Win32 process runner under Wine: named-pipe draining, exit codes, input.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <vector>

#include "frame/ExecCmdModule.h"
#include "frame/UnzipUtilTimeoutHandler.h"
#include "platform/platform.h"
#include "support/WineSupport.h"

namespace {

using namespace Quimbo;

struct Win32Runner : ::testing::Test {
    std::unique_ptr<platform::SystemServices> system = platform::makeSystemServices(0, nullptr);
    platform::Services& services = system->services();
    std::string tool = "\"" + winesupport::fixturesFolder() + "\\child_tool.exe\"";
};

TEST_F(Win32Runner, BothStreamsAndTheExitCodeArrive) {
    std::string err, out;
    EXPECT_EQ(ExecCmd(services, tool + " out one err two out three exit 3", err, out), 3);
    EXPECT_EQ(out, "onethree");
    EXPECT_EQ(err, "two");
}

TEST_F(Win32Runner, AMissingProgramGivesMinus1000AndTheSystemTextOfError2) {
    std::string err, out;
    EXPECT_EQ(ExecCmd(services, "\"C:\\no where\\tool.exe\" -x", err, out), execCmdLaunchFailed);
    EXPECT_EQ(err, services.errors.text(2) + " File: C:\\no where\\tool.exe");
    EXPECT_FALSE(services.errors.text(2).empty());
}

TEST_F(Win32Runner, FarMoreThanAPipeHoldsArrivesWithoutStalling) {
    std::string err, out;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ExecCmd(services, tool + " bulk 4000000", err, out), 0);
    EXPECT_EQ(out.size(), 4000000u);
    EXPECT_EQ(out.substr(0, 3), "abc");
    // At 4 KiB per 20 ms slice this would take over 19 s.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
}

TEST_F(Win32Runner, TheUnzipHandlerAnswersTheDiskFullPrompt) {
    UnzipUtilTimeoutHandler handler;
    std::string err, out;
    EXPECT_EQ(ExecCmd(services, tool + " err \"write error (disk full?)\" ask", err, out, &handler), 50);
}

TEST_F(Win32Runner, PipeNamesSomeoneHoldsInAdvanceDoNotStopTheRunner) {
    // Another local user may create pipes first under names the runner could
    // draw; these are the ones it drew from its process id and a counter.
    std::vector<HANDLE> squatted;
    for (int n = 0; n < 256; ++n) {
        const std::string name = "\\\\.\\pipe\\harvella-runner-" +
                                 std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(n);
        squatted.push_back(::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1,
                                              4096, 4096, 0, nullptr));
    }
    std::string err, out;
    EXPECT_EQ(ExecCmd(services, tool + " out hello exit 0", err, out), 0) << err;
    EXPECT_EQ(out, "hello");
    for (const HANDLE pipe : squatted)
        ::CloseHandle(pipe);
}

}  // namespace
