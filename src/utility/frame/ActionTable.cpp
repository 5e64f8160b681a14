#include "ActionTable.h"

#include "access/AccessDBChecker.h"
#include "access/AccessDBInstaller.h"
#include "access/daoInstaller.h"
#include "access/msJetChecker.h"
#include "mysql/MySQLDBInstaller.h"
#include "mysql/MySQLVersionChecker.h"
#include "mysql/mySQLChecker.h"

namespace Quimbo {
namespace {

// Makes the action's object, reads its fields and runs its one step.
template <typename Action, void (Action::*Step)()>
void run(platform::Services& services, Args& args, int& argsQty) {
    Action action(services);
    action.Initialize(args, argsQty);
    (action.*Step)();
}

void runJetVersionCheck(platform::Services& services, Args&, int&) {
    msJetChecker(services).CheckMSJet();
}

void runDaoSetup(platform::Services& services, Args& args, int& argsQty) {
    daoInstaller installer(services);
    installer.InitializeFromParams(args, argsQty);
    installer.SetupDaoIfNeeded();
}

const ActionEntry actions[] = {
    {0, "Access database installation", run<AccessDBInstaller, &AccessDBInstaller::InstallDB>},
    {1, "MySQL database action", run<MySQLDBInstaller, &MySQLDBInstaller::MakeDBAction>},
    {2, "MySQL database check", run<mySQLChecker, &mySQLChecker::MakeDBAction>},
    {3, "Access database check", run<AccessDBChecker, &AccessDBChecker::MakeDBAction>},
    {4, "Jet engine version check", runJetVersionCheck},
    {5, "DAO library setup", runDaoSetup},
    {6, "MySQL version check", run<MySQLVersionChecker, &MySQLVersionChecker::checkMysqlVersion>},
};

}  // namespace

const ActionEntry* FindAction(std::int16_t code) {
    for (const ActionEntry& entry : actions) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

}  // namespace Quimbo
