// The ServiceManager seam over the stand-in, called in-process as the
// launcher calls it: the Windows error numbers and the configuration it keeps.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <future>
#include <thread>

#include "ServiceTestSupport.h"
#include "platform/service_manager.h"
#include "stand_ins/service_store.h"

namespace {

using platform::ServiceConfig;
namespace svc = platform::svc;
namespace winerr = platform::winerr;

class ServiceManagerSeam : public ::testing::Test {
protected:
    servicetests::MachineFixture machine;
    std::unique_ptr<platform::ServiceManager> manager = platform::makeSystemServiceManager();
    std::unique_ptr<platform::ServiceManagerConnection> connection =
        manager->connect(svc::managerAllAccess).value;

    ServiceConfig configOf(const std::string& name, const std::string& commandLine) {
        ServiceConfig config;
        config.name = name;
        config.displayName = name + " Server";
        config.commandLine = commandLine;
        return config;
    }

    // The test service in that mode, created, started and RUNNING; null otherwise.
    std::unique_ptr<platform::ServiceHandle> runningService(const std::string& name,
                                                            const std::string& mode,
                                                            const std::string& dependency = "") {
        ServiceConfig config = configOf(name, servicetests::testService(name, mode));
        if (!dependency.empty()) config.dependencies = dependency + std::string(2, '\0');
        auto created = connection->create(config);
        if (!created.ok() || created.value->start() != winerr::success ||
            waitForState(*created.value, svc::running) != svc::running)
            return nullptr;
        return std::move(created.value);
    }

    std::uint32_t waitForState(platform::ServiceHandle& service, std::uint32_t state) {
        std::uint32_t seen = 0;
        for (int i = 0; i < 250 && seen != state; ++i) {
            seen = service.queryStatus().value.currentState;
            if (seen != state) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return seen;
    }
};

TEST_F(ServiceManagerSeam, AnswersWithTheWindowsErrorNumbers) {
    EXPECT_EQ(connection->open("Missing", svc::serviceAllAccess).error,
              winerr::serviceDoesNotExist);
    EXPECT_EQ(connection->open("bad/name", svc::serviceAllAccess).error, winerr::invalidName);

    auto created =
        connection->create(configOf("Harvella", servicetests::testService("Harvella", "normal")));
    ASSERT_TRUE(created.ok()) << created.error;
    EXPECT_EQ(connection->create(configOf("Harvella", "x")).error, winerr::serviceExists);

    auto& service = *created.value;
    EXPECT_EQ(service.control(svc::controlStop).error, winerr::serviceNotActive);
    ASSERT_EQ(service.start(), winerr::success);
    EXPECT_EQ(service.start(), winerr::serviceAlreadyRunning);
    EXPECT_EQ(waitForState(service, svc::running), svc::running);

    EXPECT_TRUE(service.control(svc::controlStop).ok());
    EXPECT_EQ(waitForState(service, svc::stopped), svc::stopped);
    EXPECT_EQ(service.control(svc::controlStop).error, winerr::serviceNotActive);

    EXPECT_EQ(service.remove(), winerr::success);
    created.value.reset();
    EXPECT_EQ(connection->open("Harvella", svc::serviceAllAccess).error,
              winerr::serviceDoesNotExist);
}

TEST_F(ServiceManagerSeam, ServiceDeletedWhileRunningStopsThenGoesWithItsLastHandle) {
    auto running = runningService("Doomed", "normal");
    ASSERT_TRUE(running) << "Doomed did not start";
    auto& service = *running;
    ASSERT_EQ(service.remove(), winerr::success);

    ASSERT_TRUE(service.control(svc::controlStop).ok());
    EXPECT_EQ(waitForState(service, svc::stopped), svc::stopped);
    const auto stopped = service.queryStatus();
    EXPECT_TRUE(stopped.ok()) << "the stopped service was gone with its handle open: "
                              << stopped.error;
    running.reset();
    EXPECT_EQ(connection->open("Doomed", svc::serviceAllAccess).error, winerr::serviceDoesNotExist);
}

TEST_F(ServiceManagerSeam, ControlReturnsOnceTheServicesHandlerHasReturned) {
    auto running = runningService("Slow", "slow");
    ASSERT_TRUE(running) << "Slow did not start";
    auto& service = *running;

    const auto sent = std::chrono::steady_clock::now();
    const auto controlled = service.control(svc::controlStop);
    const auto waited = std::chrono::steady_clock::now() - sent;
    ASSERT_TRUE(controlled.ok()) << controlled.error;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_NE(controlled.value.currentState, svc::running);
    EXPECT_EQ(waitForState(service, svc::stopped), svc::stopped);
}

TEST_F(ServiceManagerSeam, KeepsTheConfigurationWithItsDependencyMultiString) {
    ServiceConfig config = configOf("Harvella", "/opt/harvella/Harvella_Access startAsService");
    config.dependencies = std::string("MySQL57\0Other\0\0", 15);
    auto created = connection->create(config);
    ASSERT_TRUE(created.ok());
    EXPECT_EQ(created.value->setDescription("Harvella - Web Based Timesheet"), winerr::success);

    const auto read = connection->open("Harvella", svc::serviceAllAccess).value->queryConfig();
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value.dependencies, config.dependencies);
    EXPECT_EQ(read.value.commandLine, config.commandLine);
    EXPECT_EQ(read.value.displayName, "Harvella Server");
    EXPECT_EQ(read.value.startType, svc::autoStart);

    auto bare = connection->create(configOf("Bare", "sleep 1"));
    EXPECT_EQ(bare.value->queryConfig().value.dependencies, std::string(2, '\0'));
}

TEST_F(ServiceManagerSeam, DatabaseLockIsHeldByOneAtATime) {
    auto first = connection->lock();
    ASSERT_TRUE(first.ok()) << first.error;
    auto other = manager->connect(svc::managerAllAccess).value;
    EXPECT_EQ(other->lock().error, 1055u);
    // Creating a service while holding the lock is what install does.
    EXPECT_TRUE(connection->create(configOf("Locked", "sleep 1")).ok());
    first.value.reset();
    EXPECT_TRUE(other->lock().ok());
}

TEST_F(ServiceManagerSeam, TheStoreLockCannotBeSplitAndItsWaitersGiveUpWith1053) {
    auto waitFor = [](std::chrono::milliseconds limit) {
        return std::async(std::launch::async, [limit] {
            const platform::posix::StoreLock lock(limit);
            return lock.held() ? winerr::success : lock.error();
        });
    };
    auto holder = std::make_unique<platform::posix::StoreLock>();
    ASSERT_TRUE(holder->held());
    // A lock file deleted under its holder must not let a second writer in.
    ::unlink((machine.root() + "/services/.lock").c_str());
    EXPECT_EQ(waitFor(std::chrono::milliseconds(300)).get(), winerr::serviceRequestTimeout);
    auto waiter = waitFor(std::chrono::seconds(10));
    holder.reset();
    EXPECT_EQ(waiter.get(), winerr::success);
}

TEST_F(ServiceManagerSeam, AControlThatCannotBeRecordedIsNotSent) {
    auto running = runningService("Harvella", "normal");
    ASSERT_TRUE(running) << "Harvella did not start";
    auto& service = *running;
    const std::string folder = platform::posix::ServiceStore::find("Harvella").value;
    // A status file nobody may write stands for one the manager cannot update.
    ::chmod((folder + "/status").c_str(), 0444);
    EXPECT_EQ(service.control(svc::controlStop).error, winerr::accessDenied);
    ::chmod((folder + "/status").c_str(), 0644);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(service.queryStatus().value.currentState, svc::running)
        << "the failed stop reached the service";
    EXPECT_TRUE(service.control(svc::controlStop).ok());
    EXPECT_EQ(waitForState(service, svc::stopped), svc::stopped);
}

TEST_F(ServiceManagerSeam, AServiceOnItsWayDownTakesNoControlAndKeepsItsDependencyRunning) {
    auto dependency = runningService("MySQL", "normal");
    ASSERT_TRUE(dependency) << "MySQL did not start";
    auto running = runningService("Harvella", "lagging", "MySQL");
    ASSERT_TRUE(running) << "Harvella did not start";
    auto& service = *running;
    ASSERT_TRUE(service.control(svc::controlStop).ok());
    ASSERT_EQ(service.queryStatus().value.currentState, svc::stopPending);
    EXPECT_EQ(service.control(svc::controlStop).error, winerr::serviceCannotAcceptCtrl);
    EXPECT_EQ(service.control(svc::controlInterrogate).error, winerr::serviceCannotAcceptCtrl);
    EXPECT_EQ(dependency->control(svc::controlStop).error, winerr::dependentServicesRunning);
    EXPECT_EQ(waitForState(service, svc::stopped), svc::stopped);
    EXPECT_TRUE(dependency->control(svc::controlStop).ok());
}

TEST_F(ServiceManagerSeam, ProgramThatCannotBeRunFailsTheStartAndStaysStopped) {
    auto created = connection->create(configOf("Nothing", "/nonexistent/program startAsService"));
    ASSERT_TRUE(created.ok());
    EXPECT_EQ(created.value->start(), winerr::fileNotFound);
    EXPECT_EQ(created.value->queryStatus().value.currentState, svc::stopped);
}

}  // namespace
