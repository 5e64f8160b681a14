// Installing, removing and finding the Harvella service.
#include "ServiceManFixture.h"

namespace {

using namespace servicefakes;
namespace ServiceMan = Harvella::ServiceMan;

class ServiceManInstall : public ServiceManFixture {};

const std::string eventSourceKey =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Harvella";

TEST_F(ServiceManInstall, RegistersTheServiceAndItsEventSource) {
    ServiceMan::install(context);
    ASSERT_EQ(manager.services.count("Harvella"), 1u);
    const FakeService& service = manager.services["Harvella"];
    EXPECT_EQ(service.config.displayName, "Harvella Server");
    EXPECT_EQ(service.config.commandLine,
              "\"C:\\Program Files\\Harvella\\Harvella_Access.exe\" startAsService");
    EXPECT_EQ(service.config.serviceType, 16u);
    EXPECT_EQ(service.config.startType, 2u);
    EXPECT_EQ(service.config.errorControl, 1u);
    EXPECT_EQ(service.config.dependencies, std::string(2, '\0'));
    EXPECT_EQ(service.description.rfind("Harvella - Web Based Timesheet: ", 0), 0u)
        << service.description;
    EXPECT_EQ(program.askedSize, 512u);

    const auto& values = system.registry.keys.at(eventSourceKey);
    EXPECT_EQ(values.at("EventMessageFile").data,
              std::string("C:\\Harvella\\HarvellaWinLogMsgs.dll") + '\0');
    EXPECT_EQ(values.at("CategoryCount").data, std::string("\x06\0\0\0", 4));
    // The database is locked around the creation and unlocked afterwards.
    const auto create = std::find(journal.begin(), journal.end(), "create Harvella");
    ASSERT_NE(create, journal.end());
    EXPECT_EQ(*(create - 1), "lock");
    EXPECT_EQ(journal.back(), "unlock");
}

TEST_F(ServiceManInstall, PassesTheDependenciesAsAMultiString) {
    ServiceMan::addDependency(context, "MySQL57");
    ServiceMan::install(context);
    EXPECT_EQ(manager.services["Harvella"].config.dependencies, std::string("MySQL57\0\0", 9));
    EXPECT_EQ(ServiceMan::dependencyMultiString({"A", "BC"}), std::string("A\0BC\0\0", 6));
}

TEST_F(ServiceManInstall, ReplacesAStoppedRegistration) {
    manager.add("Harvella", {statusOf(svc::stopped)}).config.commandLine = "old";
    ServiceMan::install(context);
    EXPECT_EQ(countOf(journal, "delete Harvella"), 1u);
    EXPECT_EQ(manager.services["Harvella"].config.commandLine,
              "\"C:\\Program Files\\Harvella\\Harvella_Access.exe\" startAsService");
    EXPECT_EQ(countOf(journal, "sleep 800"), 0u);
}

TEST_F(ServiceManInstall, WaitsThreeTimesForADeletionThatDoesNotTakeEffect) {
    FakeService& old = manager.add("Harvella", {statusOf(svc::stopped)});
    old.opensAfterRemove = 5;
    manager.createError = platform::winerr::serviceMarkedForDelete;
    try {
        ServiceMan::install(context);
        FAIL() << "install over a service marked for deletion succeeded";
    } catch (const ServiceMan::ServiceInstallationError& error) {
        EXPECT_EQ(error.getErrorCode(), 1072);
        EXPECT_EQ(error.getMessage(),
                  "Could not install service. If you have Service Control Manager or Event Log "
                  "windows open, please close them and try again.");
    }
    EXPECT_EQ(countOf(journal, "sleep 800"), 3u);
    EXPECT_EQ(journal.back(), "unlock");
}

TEST_F(ServiceManInstall, RefusesToReplaceARunningService) {
    manager.add("Harvella", {statusOf(svc::running)}).config.commandLine = "old";
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceInstallationError>(
                  [&] { ServiceMan::install(context); }),
              "Harvella service is running now and cannot be installed or re-installed.\r\n"
              "Please stop the service and try again.");
    EXPECT_EQ(manager.services["Harvella"].config.commandLine, "old");
    EXPECT_EQ(countOf(journal, "delete Harvella"), 0u);
    EXPECT_EQ(countOf(journal, "create Harvella"), 0u);
}

TEST_F(ServiceManInstall, LockFailureStopsBeforeCreating) {
    manager.lockError = 1055;
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceInstallationError>(
                  [&] { ServiceMan::install(context); }),
              "Failed to obtain lock for services database. [ErrorCode: 1055]");
    EXPECT_EQ(countOf(journal, "create Harvella"), 0u);
}

TEST_F(ServiceManInstall, ALauncherPathThatCannotBeRegisteredIsRefusedBeforeTheOldOneGoes) {
    manager.add("Harvella", {statusOf(svc::stopped)}).config.commandLine = "old";
    using Path = platform::Result<std::string>;
    const std::vector<std::pair<Path, std::string>> refusals{
        {Path::failure(122), "Could not obtain the module's name."},
        {Path::failure(1113),
         "The launcher's folder cannot be named in the system's code page, so the service "
         "manager could not start it. Please install Harvella into a folder whose name uses "
         "only characters of that code page."},
        {{"C:\\A%windir%B\\Harvella_Access.exe", 0},
         "The launcher's path C:\\A%windir%B\\Harvella_Access.exe holds \"%\" characters, which "
         "the service manager would read as an environment variable. Please install Harvella "
         "into a folder whose path holds no \"%\"."}};
    for (const auto& [path, message] : refusals) {
        program.path = path;
        EXPECT_EQ(launcherfakes::fullMessageOf([&] { ServiceMan::install(context); }), message);
    }
    EXPECT_EQ(countOf(journal, "delete Harvella"), 0u);
    EXPECT_EQ(manager.services["Harvella"].config.commandLine, "old");
    // A "%" alone starts no reference.
    program.path = {"C:\\100% Harvella\\Harvella_Access.exe", 0};
    ServiceMan::install(context);
    EXPECT_EQ(manager.services["Harvella"].config.commandLine,
              "\"C:\\100% Harvella\\Harvella_Access.exe\" startAsService");
}

TEST_F(ServiceManInstall, RemoveOfAMissingServiceIsQuiet) {
    EXPECT_NO_THROW(ServiceMan::remove(context));
    manager.add("Harvella", {statusOf(svc::stopped)}).removeError = 1072;
    EXPECT_EQ(launcherfakes::fullMessageOf<ServiceMan::ServiceRemovingError>(
                  [&] { ServiceMan::remove(context); }),
              "Could not remove the service. [ErrorCode: 1072]");
}

TEST_F(ServiceManInstall, OpenServiceTellsMissingFromFailing) {
    EXPECT_FALSE(ServiceMan::exists(context, "Harvella"));
    manager.openError = platform::winerr::invalidName;
    EXPECT_FALSE(ServiceMan::exists(context, "bad\\name"));
    manager.openError = 5;
    EXPECT_EQ(launcherfakes::fullMessageOf([&] { ServiceMan::exists(context, "Harvella"); }),
              "Failed to call OpenService. [ErrorCode: 5]");
    manager.connectError = 5;
    EXPECT_EQ(launcherfakes::fullMessageOf([&] { ServiceMan::openService(context, "Harvella"); }),
              "Failed to call OpenSCManager. [ErrorCode: 5]");
}

}  // namespace
