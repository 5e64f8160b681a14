// The server operations of the MySQL manager against the fakes: what runs, in
// which order, the waits on the fake clock and what each failure raises.
#include <gtest/gtest.h>

#include "RaisedBy.h"
#include "fakes/FakeServices.h"
#include "frame/FileSystemObject.h"
#include "mysql/MySQLManager.h"

namespace {

using platform::ServiceStatus;
using servicefakes::statusOf;
namespace svc = platform::svc;
using std::chrono::milliseconds;

const char* const service = "HvMySQL";

std::vector<ServiceStatus> states(std::initializer_list<std::uint32_t> codes) {
    std::vector<ServiceStatus> result;
    for (const std::uint32_t code : codes)
        result.push_back(statusOf(code));
    return result;
}

class ServerOperations : public ::testing::Test {
protected:
    ServerOperations() {
        for (const char* folder : {"/m", "/m/bin"})
            fake.files.folders.insert(folder);
        for (const char* program : {"/m/bin/mysqld", "/m/bin/mysqladmin"})
            fake.files.files[program] = "";
        manager.Initialize(fso);
        // What the credentials file holds while mysqladmin runs.
        fake.processes.onLaunch = [this](const std::string& line) {
            const std::string option = "--defaults-extra-file=\"";
            const auto at = line.find(option);
            if (at == std::string::npos) return;
            const auto start = at + option.size();
            credentialsFile = line.substr(start, line.find('"', start) - start);
            credentials = fake.files.files[credentialsFile];
            credentialsPrivate = fake.files.privateFiles.count(credentialsFile) > 0;
        };
    }
    // The next program started answers so.
    void answer(int exitCode, const std::string& out = "", const std::string& err = "") {
        fake.processes.children.push_back(fakes::ScriptedChild{{out}, {err}, exitCode, "", 0});
    }
    servicefakes::FakeService& serviceIn(std::initializer_list<std::uint32_t> codes) {
        return fake.serviceManager.add(service, states(codes));
    }
    const std::vector<std::string>& launched() const { return fake.processes.commandLines; }
    std::vector<milliseconds> pauses(std::size_t polls, milliseconds after = milliseconds(0)) {
        std::vector<milliseconds> expected(polls, milliseconds(3000));
        if (after.count() > 0) expected.push_back(after);
        return expected;
    }

    fakes::FakeServices fake;
    Quimbo::FileSystemObject fso{fake.files, fake.random, fake.services.conventions};
    Quimbo::MySQLManager manager{fake.services};
    std::string credentialsFile, credentials;
    bool credentialsPrivate = false;
};

TEST_F(ServerOperations, StartWaitsUntilRunningThenGivesTheServerFifteenSeconds) {
    serviceIn({svc::running});
    manager.StartMySQLService(service);
    EXPECT_TRUE(launched().empty()) << "a running service is left alone";
    EXPECT_TRUE(fake.clock.sleeps.empty());

    serviceIn({svc::stopped, svc::stopped, svc::startPending, svc::running});
    manager.StartMySQLService(service);
    EXPECT_EQ(launched(), std::vector<std::string>{"harvella-sc start \"HvMySQL\""});
    EXPECT_EQ(fake.clock.sleeps, pauses(2, milliseconds(15000)));
}

TEST_F(ServerOperations, AServiceThatDoesNotGetThereInTenPollsRaisesMinusOneWithItsLastPhrase) {
    serviceIn({svc::stopped, svc::startPending});
    EXPECT_EQ(raisedBy([&] { manager.StartMySQLService(service); }),
              Raised(-1, "", "Service Start Pending"));
    EXPECT_EQ(fake.clock.sleeps, pauses(10)) << "no warm-up pause after a failed start";

    // Running at the reading after the tenth pause: in time.
    std::initializer_list<std::uint32_t> late = {svc::running, svc::stopPending, svc::stopPending,
                                                 svc::stopPending, svc::stopPending,
                                                 svc::stopPending, svc::stopPending,
                                                 svc::stopPending, svc::stopPending,
                                                 svc::stopPending, svc::stopPending, svc::stopped};
    serviceIn(late);
    fake.clock.sleeps.clear();
    EXPECT_NO_THROW(manager.StopMySQLService(service));
    EXPECT_EQ(fake.clock.sleeps, pauses(10));
}

TEST_F(ServerOperations, AFailingNetRaisesItsExitCodeWithItsErrorTextAndNothingWaits) {
    serviceIn({svc::stopped});
    answer(2, "", "System error 2 has occurred.\n");
    EXPECT_EQ(raisedBy([&] { manager.StartMySQLService(service); }),
              Raised(2, "", "System error 2 has occurred.\n"));
    EXPECT_TRUE(fake.clock.sleeps.empty());
}

TEST_F(ServerOperations, StopAndShutdownLeaveAStoppedOrMissingServiceAlone) {
    manager.StopMySQLService(service);
    manager.ShutdownMySQLServer(service, "/m", "27351", "pw");
    serviceIn({svc::stopped});
    manager.StopMySQLService(service);
    manager.ShutdownMySQLServer(service, "/m", "27351", "pw");
    EXPECT_TRUE(launched().empty());
}

TEST_F(ServerOperations, ShutdownHandsTheRootPasswordToMysqladminInAnOwnerOnlyFile) {
    serviceIn({svc::running, svc::stopped});
    manager.ShutdownMySQLServer(service, "/m", "27351", "Root#1");
    ASSERT_EQ(launched().size(), 1u);
    const std::string line = launched()[0];
    EXPECT_EQ(line.substr(0, line.find(" --defaults-extra-file=")), "\"/m/bin/mysqladmin\"");
    EXPECT_EQ(line.substr(line.find("\" shutdown") + 1), " shutdown  --port=27351 --user=root");
    EXPECT_EQ(credentials, "[client]\npassword=\"Root#1\"\n");
    EXPECT_TRUE(credentialsPrivate);
    EXPECT_FALSE(fake.files.fileExists(credentialsFile)) << "gone after the run";

    serviceIn({svc::running});
    answer(1, "", "mysqladmin: Access denied for user 'root'\n");
    EXPECT_EQ(raisedBy([&] { manager.ShutdownMySQLServer(service, "/m", "", ""); }),
              Raised(1, "", "mysqladmin: Access denied for user 'root'\n"));
    EXPECT_EQ(launched()[1].substr(launched()[1].find("\" shutdown") + 1), " shutdown  --user=root");
    EXPECT_EQ(credentials, "[client]\n") << "no password, no password line";

    fake.files.files.erase("/m/bin/mysqladmin");
    serviceIn({svc::running, svc::running, svc::stopped});
    manager.ShutdownMySQLServer(service, "/m", "27351", "Root#1");
    EXPECT_EQ(launched().back(), "harvella-sc stop \"HvMySQL\"");
}

TEST_F(ServerOperations, AnExistingServiceIsStoppedRemovedAndRegisteredAfreshOnlyWhenAsked) {
    const std::string exists = "The service already exists!\nThe current server installed: x\n";
    serviceIn({svc::running, svc::stopped, svc::stopped});
    answer(0, exists);
    answer(0);
    answer(0, "Service successfully removed.\n");
    answer(0, "Service successfully installed.\n");
    manager.InstallMySQLService("/m", service, "/m/my-medium.ini", true);
    EXPECT_EQ(launched(), (std::vector<std::string>{
                              "\"/m/bin/mysqld\" --install-manual \"HvMySQL\" "
                              "--defaults-file=\"/m/my-medium.ini\"",
                              "harvella-sc stop \"HvMySQL\"",
                              "\"/m/bin/mysqld\" --remove \"HvMySQL\"",
                              "\"/m/bin/mysqld\" --install-manual \"HvMySQL\" "
                              "--defaults-file=\"/m/my-medium.ini\""}));

    answer(0, exists);
    EXPECT_EQ(raisedBy([&] { manager.InstallMySQLService("/m", service, "/m/my.ini", false); }),
              Raised(-1, "", exists));
    answer(1, "Failed to install the service\n");
    EXPECT_EQ(raisedBy([&] { manager.InstallMySQLService("/m", service, "/m/my.ini", true); }),
              Raised(1, "", "Failed to install the service\n"));
}

TEST_F(ServerOperations, RemovalGoesThroughTheServerOrWithoutItThroughTheServiceDatabase) {
    manager.RemoveMySQLService("/m", service);
    EXPECT_TRUE(launched().empty()) << "nothing to remove";

    serviceIn({svc::running});
    const std::string refused = "Failed to remove the service because the service is running\n";
    answer(0, refused);
    EXPECT_EQ(raisedBy([&] { manager.RemoveMySQLService("/m", service); }),
              Raised(-1, "", refused));
    answer(1, "The service doesn't exist!\n");
    EXPECT_EQ(raisedBy([&] { manager.RemoveMySQLService("/m", service); }),
              Raised(1, "", "The service doesn't exist!\n"));

    fake.files.files.erase("/m/bin/mysqld");
    serviceIn({svc::stopped}).removeError = 1072;
    EXPECT_EQ(raisedBy([&] { manager.RemoveMySQLService("/m", service); }), Raised(1072, "", ""));
    fake.serviceManager.services.at(service).removeError = 0;
    manager.RemoveMySQLService("/m", service);
    EXPECT_TRUE(fake.serviceManager.services.at(service).removed);
    EXPECT_EQ(launched().size(), 2u);
}

}  // namespace
