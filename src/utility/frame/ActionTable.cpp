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

void runMySQLDBAction(platform::Services& services, Args& args, int& argsQty) {
    MySQLDBInstaller installer(services);
    installer.Initialize(args, argsQty);
    installer.MakeDBAction();
}

void runMySQLDBCheck(platform::Services& services, Args& args, int& argsQty) {
    mySQLChecker checker(services);
    checker.Initialize(args, argsQty);
    checker.MakeDBAction();
}

void runAccessDBInstallation(platform::Services& services, Args& args, int& argsQty) {
    AccessDBInstaller installer(services);
    installer.Initialize(args, argsQty);
    installer.InstallDB();
}

void runAccessDBCheck(platform::Services& services, Args& args, int& argsQty) {
    AccessDBChecker checker(services);
    checker.Initialize(args, argsQty);
    checker.MakeDBAction();
}

void runJetVersionCheck(platform::Services& services, Args&, int&) {
    msJetChecker(services).CheckMSJet();
}

void runDaoSetup(platform::Services& services, Args& args, int& argsQty) {
    daoInstaller installer(services);
    installer.InitializeFromParams(args, argsQty);
    installer.SetupDaoIfNeeded();
}

void runMySQLVersionCheck(platform::Services& services, Args& args, int& argsQty) {
    MySQLVersionChecker checker(services);
    checker.Initialize(args, argsQty);
    checker.checkMysqlVersion();
}

const ActionEntry actions[] = {
    {0, "Access database installation", runAccessDBInstallation},
    {1, "MySQL database action", runMySQLDBAction},
    {2, "MySQL database check", runMySQLDBCheck},
    {3, "Access database check", runAccessDBCheck},
    {4, "Jet engine version check", runJetVersionCheck},
    {5, "DAO library setup", runDaoSetup},
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
