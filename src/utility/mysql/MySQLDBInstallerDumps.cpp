// The dump steps of MySQLDBInstaller: dated, numbered dump files in the dumps
// folder, each after a check of its estimated size against the free space.
#include <cmath>

#include "MySQLDBInstaller.h"
#include "MySQLFailureNumbers.h"
#include "frame/FailureRecord.h"
#include "frame/FileFuncsModule.h"

namespace Quimbo {
namespace {

using namespace mysqlfailure;

constexpr int lastDumpCounter = 32767;

}  // namespace

std::string MySQLDBInstaller::GetNextDumpFileName(const std::string& database) {
    try {
        const std::string& version = settings_.GetPrevHarvellaVersion();
        const std::string name = version.empty() ? database : database + "-" + version;
        const platform::LocalTime today = services_.clock.localNow();
        const std::string date = std::to_string(today.year) + "-" + MySQLManager::lz(today.month) +
                                 "-" + MySQLManager::lz(today.day);
        const std::string stem =
            fileSystem_.BuildPath(settings_.GetMySQLDumpsFolder(), name + "-" + date + "-");
        for (int counter = 1; counter <= lastDumpCounter; ++counter) {
            const std::string path = stem + MySQLManager::lz(counter) + ".dmp";
            if (!fileSystem_.FileExists(path)) return path;
        }
    } catch (const FailureRecord&) {
    }
    return "";
}

void MySQLDBInstaller::CreateDumpsFolder() {
    const std::string folder = settings_.GetMySQLDumpsFolder();
    if (fileSystem_.FolderExists(folder)) return;
    window_.UpdateCurrentAction("Creating dumps folder");
    try {
        CreateFolderPath(folder, fileSystem_);
    } catch (const FailureRecord& failure) {
        throw FailureRecord{dumpFailed, "create dumps folder: " + folder, failure.description};
    }
}

void MySQLDBInstaller::DumpDatabaseStep(const std::string& database,
                                        const std::string& rootPassword) {
    const std::string source = "Dump database " + database;
    const MySQLConnection asRoot = connection(database, "root", rootPassword);
    std::int64_t size = 0;
    try {
        // 64 bits: a database beyond 2 GB must be measured, not overflow.
        size = static_cast<std::int64_t>(std::nearbyint(client_.GetMySQLDatabaseDumpSize(asRoot)));
    } catch (const FailureRecord& failure) {
        throw FailureRecord{dumpFailed, source, failure.description};
    }
    const std::uint64_t freeBytes = GetFreeSpace(settings_.GetMySQLDumpsFolder(), fileSystem_);
    if (freeBytes < static_cast<std::uint64_t>(size)) {
        requiredDumpSpace_ = std::to_string(size);
        throw FailureRecord{notEnoughDumpSpace, source, "Not enough space for dumping " + database};
    }
    const std::string path = GetNextDumpFileName(database);
    try {
        client_.DumpMySQLDatabase(asRoot, path, true);
    } catch (const FailureRecord& failure) {
        throw FailureRecord{dumpFailed, source, failure.description};
    }
    dumpFilePath_ = path;
}

void MySQLDBInstaller::DumpAllDatabases(const std::string& rootPassword) {
    MySQLResultSet databases =
        client_.sqlExec(connection("", "root", rootPassword), "show databases;");
    if (MySQLManager::sqlHasErrors(databases))
        throw FailureRecord{dumpFailed, "", MySQLManager::sqlGetError(databases)};
    window_.UpdateCurrentAction("Dumping databases");
    while (MySQLManager::sqlHasNext(databases)) {
        const std::string database =
            MySQLManager::sqlGet(MySQLManager::sqlNext(databases), 0).value_or("");
        if (database != "mysql" && database != "information_schema")
            DumpDatabaseStep(database, rootPassword);
    }
    MySQLManager::sqlClose(databases);
    ForwardProgress(20);
}

void MySQLDBInstaller::DumpHarvellaDatabase(const std::string& rootPassword) {
    const std::string database = settings_.GetMySQLHarvellaDBName();
    if (client_.checkDBexists(database, connection("", "root", rootPassword))) {
        window_.UpdateCurrentAction("Dumping harvella database");
        DumpDatabaseStep(database, rootPassword);
    }
    ForwardProgress(10);
}

}  // namespace Quimbo
