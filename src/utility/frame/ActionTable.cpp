#include "ActionTable.h"

#include <exception>

#include "ExitFuncsModule.h"
#include "FailureRecord.h"
#include "access/AccessDBChecker.h"
#include "access/AccessDBInstaller.h"
#include "access/daoInstaller.h"
#include "access/msJetChecker.h"
#include "guiManager.h"
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

// Failure codes: the installers' "setup failed" (action 1 has none of its
// own), the checkers' "not usable" or "could not be determined".
const ActionEntry actions[] = {
    {0, "Access database installation", run<AccessDBInstaller, &AccessDBInstaller::InstallDB>, 3002,
     3},
    {1, "MySQL database action", run<MySQLDBInstaller, &MySQLDBInstaller::MakeDBAction>, -1, 4},
    {2, "MySQL database check", run<mySQLChecker, &mySQLChecker::MakeDBAction>, 1, 4},
    {3, "Access database check", run<AccessDBChecker, &AccessDBChecker::MakeDBAction>, 1, 2},
    {4, "Jet engine version check", runJetVersionCheck, 1, -1},
    {5, "DAO library setup", runDaoSetup, 3003, -1},
    {6, "MySQL version check", run<MySQLVersionChecker, &MySQLVersionChecker::checkMysqlVersion>, 2,
     -1},
};

[[noreturn]] void endAfterFailure(platform::Services& services, const ActionEntry& action,
                                  const Args& args, const std::string& reason) {
    services.console.writeStdErr(std::string(action.name) + " failed: " + reason + "\n");
    std::int32_t next = 0;
    if (action.nextButtonField >= 0 &&
        ReadWindowHandle(args, static_cast<std::size_t>(action.nextButtonField), next)) {
        guiManager page(services);
        page.Initialize(next, 0, 0, 0, 0, 0);
        page.GenerateNextBtnClickEvent();
    }
    ExitWithCode(services, action.failureCode, "");
}

}  // namespace

void RunAction(platform::Services& services, const ActionEntry& action, Args& args, int& argsQty) {
    std::string reason;
    try {
        action.run(services, args, argsQty);
        return;
    } catch (const FailureRecord& failure) {
        reason = std::to_string(failure.number) + " " + failure.description;
    } catch (const std::exception& error) {
        reason = error.what();
    }
    endAfterFailure(services, action, args, reason);
}

const ActionEntry* FindAction(std::int16_t code) {
    for (const ActionEntry& entry : actions) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

}  // namespace Quimbo
