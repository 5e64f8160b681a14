// The service process against a fake dispatcher: the states it reports, its
// event-log entries, the stop request's marker handling and its failure paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <thread>

#include "JournalFakes.h"
#include "launcher/LauncherFakes.h"
#include "runtime/JavaVmHost.h"
#include "runtime/LauncherSettings.h"
#include "service/ServiceProcess.h"

namespace {

using namespace servicefakes;
namespace svc = platform::svc;
using platform::ServiceStatus;

const std::string runningMarker = "C:\\Harvella\\run\\running";
const std::string stopMarker = "C:\\Harvella\\run\\stop";

class FakeDispatcher final : public platform::ServiceDispatcher {
public:
    std::vector<ServiceStatus> reports;
    ControlHandler handler;
    platform::ErrorCode runError = 0, registerError = 0, statusError = 0;
    // A control the manager sends the moment the handler is registered.
    std::uint32_t controlOnRegister = 0;

    platform::ErrorCode run(const std::string&, ServiceMain serviceMain) override {
        if (runError) return runError;
        serviceMain();
        return 0;
    }
    platform::ErrorCode registerControlHandler(const std::string& name, ControlHandler h) override {
        if (registerError) return registerError;
        EXPECT_EQ(name, "Harvella");
        handler = std::move(h);
        if (controlOnRegister) handler(controlOnRegister);
        return 0;
    }
    platform::ErrorCode setStatus(const ServiceStatus& status) override {
        reports.push_back(status);
        return statusError;
    }
};

class ServiceProcessTest : public ::testing::Test {
protected:
    ServiceProcessTest() {
        system.registry.setString(Harvella::productKeyPath, "InstallPath", "C:\\Harvella");
        system.workingDirectory.folders.insert("C:\\Harvella");
        system.files.files["C:\\Harvella\\harvella.config"] = "IPaddress=10.0.0.2\nHTTPPort=8080\n";
    }

    // The Java server as the tests script it: by default it serves until the
    // manager's stop arrives, then removes its marker and returns.
    void serverStopsOnRequest() {
        context.runJavaServer = [this] {
            system.files.files[runningMarker] = "";
            dispatcher.handler(svc::controlStop);
        };
        clock.afterSleep = [this] { system.files.files.erase(runningMarker); };
    }
    std::vector<std::string> eventTexts(std::uint16_t type) const {
        std::vector<std::string> texts;
        for (const auto& entry : system.eventLog.entries)
            if (entry.type == type) texts.push_back(entry.text);
        return texts;
    }
    std::vector<std::string> infoEvents() const {
        return eventTexts(platform::eventtype::information);
    }
    std::vector<std::string> errorEvents() const { return eventTexts(platform::eventtype::error); }

    Journal journal;
    FakeDispatcher dispatcher;
    JournalClock clock{journal};
    launcherfakes::FakeLauncherServices system;
    Harvella::ServiceProcessContext context{dispatcher, system.services, clock, [] {}};
    Harvella::ServiceProcess process{context};
};

std::string describe(const ServiceStatus& s) {
    return "state " + std::to_string(s.currentState) + " accepts " +
           std::to_string(s.controlsAccepted) + " exit " + std::to_string(s.win32ExitCode) + "/" +
           std::to_string(s.serviceSpecificExitCode) + " checkpoint " +
           std::to_string(s.checkPoint) + " hint " + std::to_string(s.waitHint);
}

std::vector<std::string> describeAll(const std::vector<ServiceStatus>& reports) {
    std::vector<std::string> all;
    for (const auto& report : reports)
        all.push_back(describe(report));
    return all;
}

TEST_F(ServiceProcessTest, NormalLifeReportsEachStateAndLogsStartAndStop) {
    system.files.files[runningMarker] = "left over";
    system.files.files[stopMarker] = "left over";
    bool markersGoneAtStart = false;
    serverStopsOnRequest();
    const auto serve = context.runJavaServer;
    context.runJavaServer = [&] {
        markersGoneAtStart =
            !system.files.files.count(runningMarker) && !system.files.files.count(stopMarker);
        serve();
    };
    process.runAsService();

    EXPECT_TRUE(markersGoneAtStart);
    EXPECT_EQ(system.workingDirectory.current, "C:\\Harvella");
    EXPECT_EQ(describeAll(dispatcher.reports),
              (std::vector<std::string>{"state 2 accepts 0 exit 0/0 checkpoint 1 hint 3000",
                                        "state 4 accepts 1 exit 0/0 checkpoint 0 hint 0",
                                        "state 3 accepts 1 exit 0/0 checkpoint 2 hint 15000",
                                        "state 1 accepts 1 exit 0/0 checkpoint 0 hint 0"}));
    for (const auto& report : dispatcher.reports)
        EXPECT_EQ(report.serviceType, 16u);
    EXPECT_EQ(infoEvents(),
              (std::vector<std::string>{"Harvella service started.", "Harvella service stopped."}));
    EXPECT_TRUE(errorEvents().empty());
    EXPECT_TRUE(system.files.files.count(stopMarker));
    EXPECT_TRUE(system.eventLog.openSources.empty()) << "an event source was left open";
}

TEST_F(ServiceProcessTest, StopWhileTheRuntimeLoadsReachesTheServerInTheInstallationFolder) {
    // Loading the runtime makes its folder current for a while; a stop that
    // arrives then must still put the marker where the server looks.
    system.registry.setString(Harvella::productKeyPath, "JavaPath", "C:\\Java");
    system.workingDirectory.folders.insert("C:\\Java\\bin");
    system.libraries.onLoad = [this] { dispatcher.handler(svc::controlStop); };
    Harvella::JavaVmHost host(system.services);
    context.runJavaServer = [&host] { host.runJavaServer(); };
    process.runAsService();
    EXPECT_EQ(system.files.files.count(stopMarker), 1u) << "the stop marker went elsewhere";
}

TEST_F(ServiceProcessTest, CheckpointsCountOnAcrossPendingReportsAndInterrogateRepeatsTheState) {
    context.runJavaServer = [this] {
        dispatcher.handler(svc::controlInterrogate);
        dispatcher.handler(svc::controlStop);
        dispatcher.handler(svc::controlStop);
        dispatcher.handler(svc::controlInterrogate);
    };
    process.runAsService();
    EXPECT_EQ(describeAll(dispatcher.reports),
              (std::vector<std::string>{"state 2 accepts 0 exit 0/0 checkpoint 1 hint 3000",
                                        "state 4 accepts 1 exit 0/0 checkpoint 0 hint 0",
                                        "state 4 accepts 1 exit 0/0 checkpoint 0 hint 0",
                                        "state 3 accepts 1 exit 0/0 checkpoint 2 hint 15000",
                                        "state 3 accepts 1 exit 0/0 checkpoint 3 hint 15000",
                                        "state 3 accepts 1 exit 0/0 checkpoint 4 hint 0",
                                        "state 1 accepts 1 exit 0/0 checkpoint 0 hint 0"}));
}

TEST_F(ServiceProcessTest, NoReportPrecedesStartPendingOrFollowsStopped) {
    // An interrogate before the first report, and a stop that the server's
    // own end overtook.
    dispatcher.controlOnRegister = svc::controlInterrogate;
    process.runAsService();
    dispatcher.handler(svc::controlStop);
    dispatcher.handler(svc::controlInterrogate);
    std::vector<std::uint32_t> states;
    for (const auto& report : dispatcher.reports)
        states.push_back(report.currentState);
    EXPECT_EQ(states, (std::vector<std::uint32_t>{svc::startPending, svc::startPending,
                                                  svc::running, svc::stopped}));
    EXPECT_EQ(system.files.files.count(stopMarker), 0u)
        << "a stop after STOPPED still asked the server";
}

TEST_F(ServiceProcessTest, StopRequestChecksTheRunningMarkerSixteenTimesAtMost) {
    // A server that ignores the stop marker: after the 15th sleep the marker
    // becomes unreadable, which only a 16th check can notice.
    clock.afterSleep = [this] {
        if (countOf(journal, "sleep 1000") == 15) system.files.denied.insert(runningMarker);
    };
    std::uint32_t stateAfterStop = 0;
    context.runJavaServer = [&] {
        system.files.files[runningMarker] = "";
        dispatcher.handler(svc::controlStop);
        stateAfterStop = dispatcher.reports.back().currentState;
    };
    process.runAsService();
    EXPECT_EQ(countOf(journal, "sleep 1000"), 15u);
    EXPECT_EQ(errorEvents(),
              (std::vector<std::string>{
                  "Access denied on attempt to find file: C:\\Harvella\\run\\running "
                  "[ErrorCode: 5]"}));
    EXPECT_EQ(stateAfterStop, svc::stopPending);
}

TEST_F(ServiceProcessTest, StopRequestGivesUpOnAMarkerThatStaysAfterFifteenSleeps) {
    // A server that keeps its marker for 30 s: the handler stops waiting long before.
    clock.afterSleep = [this] {
        if (countOf(journal, "sleep 1000") == 30) system.files.files.erase(runningMarker);
    };
    bool markerLeftAtReturn = false;
    context.runJavaServer = [&] {
        system.files.files[runningMarker] = "";
        dispatcher.handler(svc::controlStop);
        markerLeftAtReturn = system.files.files.count(runningMarker) == 1;
    };
    process.runAsService();
    EXPECT_EQ(countOf(journal, "sleep 1000"), 15u);
    EXPECT_TRUE(markerLeftAtReturn) << "the handler returned only once the marker was gone";
    EXPECT_TRUE(errorEvents().empty());
}

TEST_F(ServiceProcessTest, StopMarkerThatCannotBeCreatedIsLoggedAndChangesNothing) {
    system.files.creates.failOnCall(1, 5);
    std::size_t reportsAfterStop = 0;
    context.runJavaServer = [&] {
        dispatcher.handler(svc::controlStop);
        reportsAfterStop = dispatcher.reports.size();
    };
    process.runAsService();
    EXPECT_EQ(errorEvents(), (std::vector<std::string>{
                                 "Could not create file: C:\\Harvella\\run\\stop [ErrorCode: 5]"}));
    ASSERT_EQ(reportsAfterStop, 3u);
    EXPECT_EQ(dispatcher.reports[2].currentState, svc::stopPending);
}

TEST_F(ServiceProcessTest, JavaFailureWithThePortTakenEndsWith1101) {
    system.network.taken.insert("10.0.0.2");
    context.runJavaServer = [] { throw Harvella::JavaError("Address already in use"); };
    process.runAsService();
    EXPECT_EQ(
        errorEvents(),
        (std::vector<std::string>{
            "Port 8080 on IP address 10.0.0.2 is already occupied.\nAddress already in use"}));
    EXPECT_EQ(infoEvents(), (std::vector<std::string>{"Harvella service started.",
                                                      "Harvella service stopped unexpectedly"}));
    EXPECT_EQ(describe(dispatcher.reports.back()),
              "state 1 accepts 1 exit 1066/1101 checkpoint 0 hint 0");
    EXPECT_TRUE(system.eventLog.openSources.empty());
}

TEST_F(ServiceProcessTest, JavaFailureWithThePortFreeEndsWith1100) {
    context.runJavaServer = [] { throw Harvella::JavaError("Database unreachable"); };
    process.runAsService();
    EXPECT_EQ(errorEvents(), (std::vector<std::string>{"Database unreachable"}));
    EXPECT_NE(
        std::find(system.network.calls.begin(), system.network.calls.end(), "bind 10.0.0.2:8080"),
        system.network.calls.end());
    EXPECT_EQ(infoEvents(), (std::vector<std::string>{"Harvella service started.",
                                                      "Harvella service stopped unexpectedly."}));
    EXPECT_EQ(describe(dispatcher.reports.back()),
              "state 1 accepts 1 exit 1066/1100 checkpoint 0 hint 0");
}

TEST_F(ServiceProcessTest, JavaFailureWithoutAConfigurationFileEndsWith1100) {
    system.files.files.clear();
    context.runJavaServer = [] { throw Harvella::JavaError("Database unreachable"); };
    process.runAsService();
    EXPECT_EQ(errorEvents(),
              (std::vector<std::string>{
                  "Harvella configuration file does not exist: C:\\Harvella\\harvella.config",
                  "Database unreachable"}));
    EXPECT_EQ(dispatcher.reports.back().serviceSpecificExitCode, 1100u);
}

TEST_F(ServiceProcessTest, FailureBeforeRunningGoesStraightToStoppedWith1100) {
    system.registry.keys.at(Harvella::productKeyPath).erase("InstallPath");
    process.runAsService();
    EXPECT_EQ(
        errorEvents(),
        (std::vector<std::string>{"Cannot read registry key value: InstallPath [ErrorCode: 2]"}));
    EXPECT_EQ(describeAll(dispatcher.reports),
              (std::vector<std::string>{"state 2 accepts 0 exit 0/0 checkpoint 1 hint 3000",
                                        "state 1 accepts 0 exit 1066/1100 checkpoint 1 hint 0"}));
    EXPECT_EQ(infoEvents(), (std::vector<std::string>{"Harvella service stopped unexpectedly."}));
}

TEST_F(ServiceProcessTest, MarkersLieWhereARelativeInstallPathLeadsAndAnEmptyOneIsRefused) {
    const std::string entered = "C:\\Windows\\system32\\Harvella";
    system.workingDirectory.current = "C:\\Windows\\system32";
    system.workingDirectory.folders.insert(entered);
    system.registry.setString(Harvella::productKeyPath, "InstallPath", "Harvella");
    context.runJavaServer = [this] { dispatcher.handler(svc::controlStop); };
    process.runAsService();
    EXPECT_EQ(system.workingDirectory.current, entered);
    EXPECT_EQ(system.files.files.count(entered + "\\run\\stop"), 1u)
        << "the stop marker went elsewhere";
    EXPECT_TRUE(errorEvents().empty());

    system.registry.setString(Harvella::productKeyPath, "InstallPath", "");
    system.files.files.clear();
    Harvella::ServiceProcess(context).runAsService();
    EXPECT_EQ(errorEvents(), (std::vector<std::string>{
                                 "The registry value InstallPath is empty: it must name the "
                                 "folder Harvella is installed in."}));
    EXPECT_TRUE(system.files.files.empty()) << "a marker was made before the refusal";
    EXPECT_EQ(dispatcher.reports.back().serviceSpecificExitCode, 1100u);
}

TEST_F(ServiceProcessTest, FailedReportsAndUnknownFailuresAreLogged) {
    dispatcher.statusError = 6;
    process.runAsService();
    EXPECT_EQ(
        errorEvents(),
        (std::vector<std::string>{
            "Could not change status of the service to start pending state. [ErrorCode: 6]"}));

    system.eventLog.entries.clear();
    dispatcher.statusError = 0;
    dispatcher.reports.clear();
    context.runJavaServer = [] { throw std::runtime_error("bad_alloc or worse"); };
    Harvella::ServiceProcess(context).runAsService();
    EXPECT_EQ(errorEvents(),
              (std::vector<std::string>{"Unexpected error occured in the service."}));
    EXPECT_EQ(dispatcher.reports.back().serviceSpecificExitCode, 1100u);
}

TEST_F(ServiceProcessTest, WithoutAControlHandlerNothingIsReportedToTheManager) {
    dispatcher.registerError = 1063;
    process.runAsService();
    EXPECT_TRUE(dispatcher.reports.empty());
    EXPECT_EQ(
        errorEvents(),
        (std::vector<std::string>{"Failed to call RegisterServiceCtrlHandler. [ErrorCode: 1063]"}));
    EXPECT_TRUE(infoEvents().empty());
}

TEST_F(ServiceProcessTest, StartedFromAConsoleLogsCannotStartService) {
    dispatcher.runError = 1063;
    process.runAsService();
    EXPECT_EQ(errorEvents(), (std::vector<std::string>{"Cannot start service."}));
    EXPECT_EQ(system.eventLog.opened, (std::vector<std::string>{"Harvella"}));
    EXPECT_TRUE(system.eventLog.openSources.empty());
}

TEST_F(ServiceProcessTest, ReportsFromBothThreadsNeverShareACheckpoint) {
    constexpr int perThread = 2000;
    auto report = [this] {
        for (int i = 0; i < perThread; ++i)
            process.reportServiceState(svc::stopPending, 0);
    };
    std::thread worker(report);
    report();
    worker.join();
    std::set<std::uint32_t> checkpoints;
    for (const auto& sent : dispatcher.reports)
        checkpoints.insert(sent.checkPoint);
    EXPECT_EQ(checkpoints.size(), 2u * perThread);
    EXPECT_EQ(*checkpoints.rbegin(), 2u * perThread);
}

}  // namespace
