// Starting and stopping with progress: budgets, dependencies and the texts
// the progress dialog shows.
#include "ServiceManFixture.h"

namespace {

using namespace servicefakes;
namespace ServiceMan = Harvella::ServiceMan;

class ServiceManStart : public ServiceManFixture {};
class ServiceManStop : public ServiceManFixture {};

TEST_F(ServiceManStart, StartsTheServiceThenWaitsForTheRunningMarker) {
    manager.add("Harvella", {statusOf(svc::startPending), statusOf(svc::running)});
    markerAppearsAfterSleeps(11 + 3);
    ServiceMan::start(context, listener);

    EXPECT_EQ(system.workingDirectory.current, installPath);
    EXPECT_EQ(journal.front(), "setTotal 120");
    EXPECT_EQ(journal.back(), "finish");
    // One START_PENDING, then ten RUNNING observations, each after a step and 500 ms.
    EXPECT_EQ(countOf(journal, "query Harvella"), 11u);
    EXPECT_EQ(countOf(journal, "step"), 11u + 3u);
    EXPECT_EQ(countOf(journal, "sleep 500"), 11u + 3u);
    const std::vector<std::string> firstPoll(journal.begin() + 1, journal.begin() + 5);
    EXPECT_EQ(firstPoll,
              (std::vector<std::string>{"start Harvella", "step", "sleep 500", "query Harvella"}));
}

TEST_F(ServiceManStart, RunningCountIsNotResetByOtherStates) {
    std::vector<platform::ServiceStatus> flicker;
    for (int i = 0; i < 10; ++i) {
        flicker.push_back(statusOf(svc::running));
        flicker.push_back(statusOf(svc::startPending));
    }
    manager.add("Harvella", flicker);
    system.files.files[runningMarker] = "";
    ServiceMan::start(context, listener);
    EXPECT_EQ(countOf(journal, "query Harvella"), 19u);
}

TEST_F(ServiceManStart, DependenciesStartFirstEachWithItsShareOfSteps) {
    // A dependency that never runs shows its budget: share + 6 polls of 700 ms.
    for (const auto& [count, share] : std::vector<std::pair<int, int>>{{1, 40}, {2, 20}, {3, 13}}) {
        journal.clear();
        manager.services.clear();
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            names.push_back("Dep" + std::to_string(i));
            manager.add(names.back(), {statusOf(svc::startPending)});
        }
        manager.add("Harvella", runningFromStart());
        manager.dependOn("Harvella", names);
        const std::string message = launcherfakes::fullMessageOf<ServiceMan::ServiceStartupError>(
            [&] { ServiceMan::start(context, listener); });
        EXPECT_EQ(message, "Timeout starting service: Dep0") << count << " dependencies";
        EXPECT_EQ(countOf(journal, "query Dep0"), static_cast<std::size_t>(share + 6))
            << count << " dependencies";
        EXPECT_EQ(countOf(journal, "sleep 700"), static_cast<std::size_t>(share + 6));
        EXPECT_EQ(countOf(journal, "start Harvella"), 0u);
    }
}

TEST_F(ServiceManStart, RunningDependenciesAreAcceptedAndStartedInOrder) {
    manager.add("MySQL", runningFromStart()).startError = platform::winerr::serviceAlreadyRunning;
    manager.add("Other", runningFromStart());
    manager.add("Harvella", runningFromStart());
    manager.dependOn("Harvella", {"MySQL", "Other"});
    system.files.files[runningMarker] = "";
    ServiceMan::start(context, listener);

    std::vector<std::string> starts;
    for (const auto& entry : journal)
        if (entry.rfind("start ", 0) == 0) starts.push_back(entry);
    EXPECT_EQ(starts, (std::vector<std::string>{"start MySQL", "start Other", "start Harvella"}));
    // One query tells a running MySQL from a stopped one still on its way out.
    EXPECT_EQ(countOf(journal, "query MySQL"), 1u + 6u);
    EXPECT_EQ(countOf(journal, "query Other"), 6u);
}

TEST_F(ServiceManStart, AlreadyRunningServiceFailsBeforeAnyProgress) {
    manager.add("Harvella", runningFromStart()).startError =
        platform::winerr::serviceAlreadyRunning;
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceAlreadyStartedError>(
                  [&] { ServiceMan::start(context, listener); }),
              "Service is already running: Harvella");
    EXPECT_EQ(journal, (Journal{"setTotal 120", "start Harvella", "query Harvella"}));
}

TEST_F(ServiceManStart, StoppedServiceWhoseOldProcessHasNotEndedIsStartedOnceItHas) {
    manager
        .add("Harvella", {statusOf(svc::stopped), statusOf(svc::stopped), statusOf(svc::running)})
        .startsRefused = 2;
    system.files.files[runningMarker] = "";
    ServiceMan::start(context, listener);
    EXPECT_EQ(countOf(journal, "start Harvella"), 3u);

    // An old process that never goes spends the whole budget, then fails honestly.
    journal.clear();
    manager.add("Harvella", {statusOf(svc::stopped)}).startsRefused = 1000;
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceStartupError>(
                  [&] { ServiceMan::start(context, listener); }),
              "Could not start the service: Harvella [ErrorCode: 1056]");
    EXPECT_EQ(countOf(journal, "sleep 500"), 70u);
}

TEST_F(ServiceManStart, ServiceThatStopsReportsItsExitCode) {
    struct Case {
        platform::ServiceStatus stopped;
        std::string message;
    };
    const std::vector<Case> cases = {
        {statusOf(svc::stopped, 1066, 1101),
         "Port 8080 on IP address 10.0.0.2 is already occupied. Please run Harvella installer and "
         "re-configure IP address or port to use."},
        {statusOf(svc::stopped, 1066, 1100),
         "Service Harvella has been started and then stopped unexpectedly with exit code: 1100. "
         "Refer to the event log for more details."},
        {statusOf(svc::stopPending, 1067),
         "Service Harvella has been started and then stopped unexpectedly with exit code: 1067. "
         "Refer to the event log for more details."},
    };
    for (const auto& c : cases) {
        manager.add("Harvella", {statusOf(svc::startPending), c.stopped});
        EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceStartupError>(
                      [&] { ServiceMan::start(context, listener); }),
                  c.message);
    }
}

TEST_F(ServiceManStart, FailuresOfTheManagerCarryTheirCodes) {
    manager.add("Harvella", runningFromStart()).startError = 1058;
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceStartupError>(
                  [&] { ServiceMan::start(context, listener); }),
              "Could not start the service: Harvella [ErrorCode: 1058]");
    manager.add("Harvella", runningFromStart()).queryError = 6;
    manager.services["Harvella"].startError = 0;
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceStartupError>(
                  [&] { ServiceMan::start(context, listener); }),
              "Could not start the service: Harvella [ErrorCode: 6]");
    manager.services.clear();
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceNotFoundError>(
                  [&] { ServiceMan::start(context, listener); }),
              "Unable to locate service by name: Harvella");
}

TEST_F(ServiceManStart, TimesOutAfterSeventyPollsWithoutTenRunning) {
    manager.add("Harvella", {statusOf(svc::startPending)});
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceStartupError>(
                  [&] { ServiceMan::start(context, listener); }),
              "Timeout starting service: Harvella");
    EXPECT_EQ(countOf(journal, "query Harvella"), 70u);
}

TEST_F(ServiceManStart, TimesOutWhenTheServerNeverCreatesItsMarker) {
    manager.add("Harvella", runningFromStart());
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceStartupError>(
                  [&] { ServiceMan::start(context, listener); }),
              "Timeout starting service.");
    EXPECT_EQ(countOf(journal, "sleep 500"), 10u + 60u);
    EXPECT_EQ(countOf(journal, "finish"), 0u);
}

TEST_F(ServiceManStop, StopsTheServiceThenItsDependencies) {
    manager.add("Harvella", {statusOf(svc::stopPending), statusOf(svc::stopped)});
    manager.add("MySQL", {statusOf(svc::stopped)}).controlError =
        platform::winerr::serviceNotActive;
    manager.dependOn("Harvella", {"MySQL"});
    ServiceMan::stop(context, listener);
    EXPECT_EQ(journal,
              (Journal{"setTotal 80", "control 1 Harvella", "advance 5", "sleep 200",
                       "query Harvella", "advance 5", "sleep 200", "query Harvella",
                       "control 1 MySQL", "advance 5", "sleep 200", "query MySQL", "finish"}));
}

TEST_F(ServiceManStop, ServiceThatIsNotRunningIsReported) {
    for (const platform::ErrorCode code :
         {platform::winerr::serviceNotActive, platform::winerr::serviceCannotAcceptCtrl}) {
        manager.add("Harvella", {statusOf(svc::stopped)}).controlError = code;
        EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceAlreadyStoppedError>(
                      [&] { ServiceMan::stop(context, listener); }),
                  "Service is not running: Harvella");
    }
    manager.add("Harvella", {statusOf(svc::running)}).controlError = 5;
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceShutdownError>(
                  [&] { ServiceMan::stop(context, listener); }),
              "Could not stop the service: Harvella [ErrorCode: 5]");
}

TEST_F(ServiceManStop, TimesOutAfterFortyOnePolls) {
    manager.add("Harvella", {statusOf(svc::stopPending)});
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceShutdownError>(
                  [&] { ServiceMan::stop(context, listener); }),
              "Timeout stopping service: Harvella");
    EXPECT_EQ(countOf(journal, "query Harvella"), 41u);

    // Each of two dependencies gets 40 / 2 polls and one more.
    journal.clear();
    manager.add("Harvella", {statusOf(svc::stopped)});
    manager.add("A", {statusOf(svc::stopPending)});
    manager.add("B", {statusOf(svc::stopPending)});
    manager.dependOn("Harvella", {"A", "B"});
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceShutdownError>(
                  [&] { ServiceMan::stop(context, listener); }),
              "Timeout stopping service: A");
    EXPECT_EQ(countOf(journal, "query A"), 21u);
}

}  // namespace
