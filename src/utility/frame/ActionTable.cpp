#include "ActionTable.h"

#include "mysql/MySQLDBInstaller.h"
#include "mysql/MySQLVersionChecker.h"

namespace Quimbo {
namespace {

// Exit code of an action that this build does not contain yet.
constexpr int actionNotAvailable = 1;

// The installer takes and checks its fields; its run operation, which carries
// out the action word, is not part of this build yet.
void runMySQLDBAction(platform::Services& services, Args& args, int& argsQty) {
    MySQLDBInstaller installer(services);
    installer.Initialize(args, argsQty);
    ReportActionNotAvailable(services, *FindAction(1));
}

void runMySQLVersionCheck(platform::Services& services, Args& args, int& argsQty) {
    MySQLVersionChecker checker(services);
    checker.Initialize(args, argsQty);
    checker.checkMysqlVersion();
}

const ActionEntry actions[] = {
    {0, "Access database installation", nullptr},
    {1, "MySQL database action", runMySQLDBAction},
    {2, "MySQL database check", nullptr},
    {3, "Access database check", nullptr},
    {4, "Jet engine version check", nullptr},
    {5, "DAO library setup", nullptr},
    {6, "MySQL version check", runMySQLVersionCheck},
};

}  // namespace

const ActionEntry* FindAction(std::int16_t code) {
    for (const ActionEntry& entry : actions) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

void ReportActionNotAvailable(platform::Services& services, const ActionEntry& action) {
    services.console.writeStdErr("Quimbo: action code " + std::to_string(action.code) + " (" +
                                 action.name + ") is not available in this build.\n");
    services.console.exitProcess(actionNotAvailable);
}

}  // namespace Quimbo
