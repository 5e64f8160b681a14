#include "ActionTable.h"

#include "mysql/MySQLVersionChecker.h"

namespace Quimbo {
namespace {

void runMySQLVersionCheck(platform::Services& services, Args& args, int& argsQty) {
    MySQLVersionChecker checker(services);
    checker.Initialize(args, argsQty);
    checker.checkMysqlVersion();
}

const ActionEntry actions[] = {
    {0, "Access database installation", nullptr},
    {1, "MySQL database action", nullptr},
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

}  // namespace Quimbo
