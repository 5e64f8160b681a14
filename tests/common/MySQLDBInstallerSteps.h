#pragma once
// Reaches the installer's private steps, as the flows of action 1 call them.
#include <string>

#include "mysql/MySQLDBInstaller.h"

namespace Quimbo {

struct MySQLDBInstallerSteps {
    MySQLDBInstaller& installer;

    void usePort(std::int16_t port) { installer.settings_.SetMySQLPort(port); }

    std::string nextDumpFileName(const std::string& db) {
        return installer.GetNextDumpFileName(db);
    }
    void createDumpsFolder() { installer.CreateDumpsFolder(); }
    void dumpDatabase(const std::string& db, const std::string& rootPassword) {
        installer.DumpDatabaseStep(db, rootPassword);
    }
    void dumpAll(const std::string& rootPassword) { installer.DumpAllDatabases(rootPassword); }
    void dumpHarvella(const std::string& rootPassword) {
        installer.DumpHarvellaDatabase(rootPassword);
    }

    void setRootPassword() { installer.SetRootPassword(); }

    std::int16_t findFreePort(const std::string& tool, std::int16_t start) {
        return installer.FindFreeMySQLPort(tool, start);
    }
    void unzip() { installer.UnzipMySQL(); }
    void configure() { installer.ConfigureMySQL(); }
    void initDataCatalog() { installer.InitMySQLDataCatalog(); }
    void installService() { installer.InstallMySQLServiceStep(); }
    void start(bool withLabel, bool dumpMode) {
        installer.StartMySQLServiceStep(withLabel, dumpMode);
    }
    void stop(bool withLabel, bool byShutdown) {
        installer.StopMySQLServiceStep(withLabel, byShutdown);
    }
    void removeService() { installer.RemoveMySQLServiceStep(); }
    void removeFolder() { installer.RemoveMySQLFolderStep(); }
};

}  // namespace Quimbo
