// The waits and the decisions of the MySQL manager's server operations that
// the real runs cannot reach cheaply, on the fake service manager and clock.
#include <gtest/gtest.h>

#include "RaisedBy.h"
#include "fakes/FakeServices.h"
#include "frame/FileSystemObject.h"
#include "mysql/MySQLManager.h"

namespace {

namespace svc = platform::svc;
using std::chrono::milliseconds;

const char* const service = "HvMySQL";

class ServerOperations : public ::testing::Test {
protected:
    ServerOperations() {
        fake.files.folders.insert("/m");
        manager.Initialize(fso);
    }
    // The service's state at each reading; the last one stays.
    servicefakes::FakeService& serviceIn(std::initializer_list<std::uint32_t> states) {
        std::vector<platform::ServiceStatus> script;
        for (const std::uint32_t state : states)
            script.push_back(servicefakes::statusOf(state));
        return fake.serviceManager.add(service, script);
    }
    const std::vector<std::string>& launched() const { return fake.processes.commandLines; }
    // `polls` pauses of 3 s, then the pause `after`.
    static std::vector<milliseconds> pauses(std::size_t polls, milliseconds after = {}) {
        std::vector<milliseconds> expected(polls, milliseconds(3000));
        if (after.count() > 0) expected.push_back(after);
        return expected;
    }

    fakes::FakeServices fake;
    Quimbo::FileSystemObject fso{fake.files, fake.random, fake.services.conventions};
    Quimbo::MySQLManager manager{fake.services};
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

TEST_F(ServerOperations,
       TenPollsWithoutTheStateRaiseMinusOneWithTheLastPhraseButTheEleventhCounts) {
    serviceIn({svc::stopped, svc::startPending});
    EXPECT_EQ(raisedBy([&] { manager.StartMySQLService(service); }),
              Raised(-1, "", "Service Start Pending"));
    EXPECT_EQ(fake.clock.sleeps, pauses(10)) << "no warm-up pause after a failed start";

    fake.clock.sleeps.clear();
    servicefakes::FakeService& late = serviceIn({svc::running});
    late.script.resize(11, servicefakes::statusOf(svc::stopPending));
    late.script.push_back(servicefakes::statusOf(svc::stopped));
    EXPECT_NO_THROW(manager.StopMySQLService(service));
    EXPECT_EQ(fake.clock.sleeps, pauses(10));
}

TEST_F(ServerOperations, AStoppedOrMissingServiceIsNeitherStoppedNorShutDown) {
    manager.StopMySQLService(service);
    serviceIn({svc::stopped});
    manager.StopMySQLService(service);
    manager.ShutdownMySQLServer(service, "/m", "27351", "pw");
    EXPECT_TRUE(launched().empty());
}

TEST_F(ServerOperations, WithoutTheServerProgramTheServiceIsRemovedThroughTheServiceDatabase) {
    serviceIn({svc::stopped}).removeError = 1072;
    EXPECT_EQ(raisedBy([&] { manager.RemoveMySQLService("/m", service); }), Raised(1072, "", ""));
    fake.serviceManager.services.at(service).removeError = 0;
    manager.RemoveMySQLService("/m", service);
    EXPECT_TRUE(fake.serviceManager.services.at(service).removed);
    EXPECT_TRUE(launched().empty());
}

TEST_F(ServerOperations, AnExistingServiceRaisesMinusOneUnlessItMayBeReplaced) {
    const std::string exists = "The service already exists!\n";
    fake.processes.children.push_back(fakes::ScriptedChild{{exists}, {""}, 0, "", 0});
    EXPECT_EQ(raisedBy([&] { manager.InstallMySQLService("/m", service, "/m/my.ini", false); }),
              Raised(-1, "", exists));
}

}  // namespace
