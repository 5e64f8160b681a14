// harvella-sc as an installer script or a person uses it: exit codes, the
// reports on the two streams, and the state the next command sees. The error
// numbers and the kept configuration are checked on the seam itself.
#include <gtest/gtest.h>

#include <unistd.h>

#include <future>

#include "ServiceTestSupport.h"

namespace {

using servicetests::readFile;
using servicetests::sc;
using servicetests::testService;
using servicetests::ToolRun;

class HarvellaSc : public ::testing::Test {
protected:
    servicetests::MachineFixture machine;

    void create(const std::string& name, const std::string& commandLine,
                const std::string& extra = "") {
        const ToolRun run = sc("create " + name + " binPath= \"" + commandLine + "\" " + extra);
        ASSERT_EQ(run.exitCode, 0) << "create " << name << " failed: " << run.err;
    }
    std::string stateOf(const std::string& name) {
        const ToolRun run = sc("query " + name);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const auto at = run.out.find("STATE              : ");
        return at == std::string::npos ? ""
                                       : run.out.substr(at + 21, run.out.find('\n', at) - at - 21);
    }
    std::string queryOf(const std::string& name) { return sc("query " + name).out; }
};

std::string describe(const ToolRun& run) {
    return "exit " + std::to_string(run.exitCode) + ", stdout: " + run.out + ", stderr: " + run.err;
}

TEST_F(HarvellaSc, ServiceAwareServiceGoesThroughItsWholeLife) {
    create("Aware", testService("Aware", "normal"), "DisplayName= \"Aware Test\"");
    EXPECT_EQ(stateOf("Aware"), "1  STOPPED");

    const ToolRun started = sc("start Aware");
    EXPECT_EQ(started.exitCode, 0) << describe(started);
    EXPECT_EQ(stateOf("Aware"), "4  RUNNING");

    const ToolRun again = sc("start Aware");
    EXPECT_EQ(again.exitCode, 2) << describe(again);
    EXPECT_NE(again.err.find("already been started"), std::string::npos) << again.err;

    const ToolRun stopped = sc("stop Aware");
    EXPECT_EQ(stopped.exitCode, 0) << describe(stopped);
    EXPECT_EQ(stateOf("Aware"), "1  STOPPED");
    EXPECT_NE(queryOf("Aware").find("WIN32_EXIT_CODE    : 0  (0x0)"), std::string::npos);

    const ToolRun stopAgain = sc("stop Aware");
    EXPECT_EQ(stopAgain.exitCode, 2) << describe(stopAgain);
    EXPECT_NE(stopAgain.err.find("is not started"), std::string::npos) << stopAgain.err;

    EXPECT_EQ(sc("delete Aware").exitCode, 0);
    const ToolRun gone = sc("query Aware");
    EXPECT_EQ(gone.exitCode, 1) << describe(gone);
    EXPECT_NE(gone.err.find("FAILED 1060"), std::string::npos) << gone.err;
}

TEST_F(HarvellaSc, StartRightAfterAStopWaitsForTheOldProcessToEnd) {
    create("Lingering", testService("Lingering", "linger"));
    ASSERT_EQ(sc("start Lingering").exitCode, 0);
    ASSERT_EQ(sc("stop Lingering").exitCode, 0);
    const ToolRun again = sc("start Lingering");
    EXPECT_EQ(again.exitCode, 0) << describe(again);
    EXPECT_EQ(stateOf("Lingering"), "4  RUNNING");
}

TEST_F(HarvellaSc, PlainDaemonRunsOnceStartedAndStopsOnSigterm) {
    create("Daemon", "sleep 300", "type= daemon");
    const ToolRun started = sc("start Daemon");
    EXPECT_EQ(started.exitCode, 0) << describe(started);
    EXPECT_EQ(stateOf("Daemon"), "4  RUNNING");
    const ToolRun stopped = sc("stop Daemon");
    EXPECT_EQ(stopped.exitCode, 0) << describe(stopped);
    EXPECT_EQ(stateOf("Daemon"), "1  STOPPED");
    EXPECT_NE(queryOf("Daemon").find("WIN32_EXIT_CODE    : 0  (0x0)"), std::string::npos);
}

TEST_F(HarvellaSc, DaemonThatIgnoresSigtermIsKilledWithItsChildrenAfterTheGracePeriod) {
    create("Stubborn", "/bin/sh -c \\\"trap '' TERM; while true; do sleep 1; done\\\"",
           "type= daemon");
    ASSERT_EQ(sc("start Stubborn").exitCode, 0);
    const ToolRun stopped = sc("stop Stubborn");
    EXPECT_EQ(stopped.exitCode, 0) << describe(stopped);
    EXPECT_EQ(stateOf("Stubborn"), "1  STOPPED");
}

TEST_F(HarvellaSc, ProcessThatEndsWithoutReportingIsStoppedWith1067) {
    create("Quitter", "/bin/sh -c \\\"sleep 0.5; exit 4\\\"", "type= daemon");
    EXPECT_EQ(sc("start Quitter").exitCode, 0);
    // A daemon counts as running once started; its end shows at the next look.
    for (int i = 0; i < 150 && stateOf("Quitter") != "1  STOPPED"; ++i)
        ::usleep(20000);
    EXPECT_NE(queryOf("Quitter").find("WIN32_EXIT_CODE    : 1067"), std::string::npos)
        << queryOf("Quitter");

    create("Crasher", testService("Crasher", "crash"));
    EXPECT_EQ(sc("start Crasher").exitCode, 0);
    const ToolRun stop = sc("stop Crasher");
    EXPECT_EQ(stop.exitCode, 0) << describe(stop);
    EXPECT_NE(queryOf("Crasher").find("WIN32_EXIT_CODE    : 1067"), std::string::npos)
        << queryOf("Crasher");
}

TEST_F(HarvellaSc, ServiceSpecificExitCodeTravelsWith1066) {
    create("Specific", testService("Specific", "specific 1101"));
    EXPECT_EQ(sc("start Specific").exitCode, 0);
    EXPECT_EQ(sc("stop Specific").exitCode, 0);
    const std::string query = queryOf("Specific");
    EXPECT_NE(query.find("WIN32_EXIT_CODE    : 1066"), std::string::npos) << query;
    EXPECT_NE(query.find("SERVICE_EXIT_CODE  : 1101"), std::string::npos) << query;
}

TEST_F(HarvellaSc, ServiceDeletedWhileRunningGoesOnceStopped) {
    create("Doomed", testService("Doomed", "normal"));
    ASSERT_EQ(sc("start Doomed").exitCode, 0);
    EXPECT_EQ(sc("delete Doomed").exitCode, 0);
    EXPECT_EQ(stateOf("Doomed"), "4  RUNNING");
    const ToolRun recreate = sc("create Doomed binPath= \"sleep 1\"");
    EXPECT_NE(recreate.err.find("FAILED 1072"), std::string::npos) << recreate.err;

    EXPECT_EQ(sc("stop Doomed").exitCode, 0);
    EXPECT_NE(sc("query Doomed").err.find("FAILED 1060"), std::string::npos);
    create("Doomed", "sleep 1", "type= daemon");
    EXPECT_FALSE(::access((machine.root() + "/services/1/config").c_str(), F_OK) == 0)
        << "the new record took the folder of the deleted one, whose process may still write there";
}

TEST_F(HarvellaSc, NamesAreComparedWithoutCaseAndNeverBecomePaths) {
    // A folder that looks like a service record from inside services/.
    const std::string victim = machine.root() + "/victim";
    testsupport::makeFolders(victim);
    testsupport::writeFile(victim + "/config", "keep");
    EXPECT_NE(sc("delete ../victim").err.find("FAILED 123"), std::string::npos);
    EXPECT_NE(sc("description ../victim text").err.find("FAILED 123"), std::string::npos);
    EXPECT_EQ(readFile(victim + "/config"), "keep");

    // The manager's own files are no names' business, and "." is a name.
    create(".lock", "sleep 1");
    create(".", "sleep 1");
    create("Harvella", "sleep 1");
    EXPECT_EQ(sc("query harvella").exitCode, 0);
    EXPECT_NE(sc("create HARVELLA binPath= x").err.find("FAILED 1073"), std::string::npos);

    // 256 characters whatever their bytes, and not one more.
    std::string longName;
    for (int i = 0; i < 256; ++i)
        longName += "\xC3\xA9";
    create(longName, "sleep 1");
    EXPECT_NE(sc("create " + longName + "x binPath= x").err.find("FAILED 123"), std::string::npos);
}

TEST_F(HarvellaSc, DependenciesStartFirstAndARunningDependentKeepsThemRunning) {
    create("Base", "sleep 300", "type= daemon");
    create("Top", testService("Top", "normal"), "depend= base");
    ASSERT_EQ(sc("start Top").exitCode, 0);
    EXPECT_EQ(stateOf("Base"), "4  RUNNING");
    const ToolRun refused = sc("stop Base");
    EXPECT_NE(refused.err.find("System error 1051"), std::string::npos) << describe(refused);
    EXPECT_EQ(sc("stop Top").exitCode, 0);
    EXPECT_EQ(sc("stop Base").exitCode, 0);

    create("Orphan", "sleep 300", "type= daemon depend= Missing");
    EXPECT_NE(sc("start Orphan").err.find("System error 1075"), std::string::npos);
    create("Broken", "/nonexistent/daemon", "type= daemon");
    create("NeedsBroken", "sleep 300", "type= daemon depend= Broken");
    EXPECT_NE(sc("start NeedsBroken").err.find("System error 1068"), std::string::npos);
}

TEST_F(HarvellaSc, StopReachesADaemonsGroupAfterItsFirstProcessHasEnded) {
    const std::string stopped = machine.root() + "/stopped";
    create("Forked",
           "/bin/sh -c \\\"(trap 'echo term > " + stopped +
               "; exit 0' TERM; while true; do sleep 0.1; done) & exit 0\\\"",
           "type= daemon");
    ASSERT_EQ(sc("start Forked").exitCode, 0);
    const ToolRun stop = sc("stop Forked");
    EXPECT_EQ(stop.exitCode, 0) << describe(stop);
    EXPECT_EQ(readFile(stopped), "term\n") << "the daemon was killed, not asked to stop";
}

TEST_F(HarvellaSc, TwoProcessesActingAtOnceSeeOneConsistentDatabase) {
    create("Shared", testService("Shared", "normal"));
    auto first = std::async(std::launch::async, [] { return sc("start Shared"); });
    auto second = std::async(std::launch::async, [] { return sc("start Shared"); });
    const ToolRun a = first.get(), b = second.get();
    EXPECT_EQ((a.exitCode == 0) + (b.exitCode == 0), 1) << describe(a) << " / " << describe(b);
    EXPECT_EQ(stateOf("Shared"), "4  RUNNING");

    auto stop1 = std::async(std::launch::async, [] { return sc("stop Shared"); });
    auto stop2 = std::async(std::launch::async, [] { return sc("stop Shared"); });
    stop1.get();
    stop2.get();
    EXPECT_EQ(stateOf("Shared"), "1  STOPPED");
}

TEST_F(HarvellaSc, ServiceThatNeverConnectsFailsItsStartWith1053AfterThirtySeconds) {
    create("Silent", testService("Silent", "silent"));
    const ToolRun started = sc("start Silent");
    EXPECT_EQ(started.exitCode, 2);
    EXPECT_NE(started.err.find("System error 1053 has occurred."), std::string::npos)
        << describe(started);
    EXPECT_EQ(stateOf("Silent"), "1  STOPPED");
}

}  // namespace
