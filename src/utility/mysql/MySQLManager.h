#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "MySQLClientFiles.h"
#include "MySQLResultSet.h"
#include "TemporaryFiles.h"
#include "frame/FileSystemObject.h"
#include "platform/platform.h"

namespace Quimbo {

// Every statement and script reaches the MySQL server through the command-line
// client of the managed installation, run through a generated command file
// with its errors in a temporary file and its rows on the runner's pipe; the
// utility links no client library. Stateless between calls. Also dumps
// databases with mysqldump, and unpacks, registers, starts, stops and removes
// the private server, deciding by the service's state phrase, read afresh
// every time.
class MySQLManager {
public:
    explicit MySQLManager(platform::Services& services);
    void Initialize(FileSystemObject& fileObject);

    // A MySQL program of the installation: mysqlHome/bin/name, with ".exe" on Windows.
    std::string program(const std::string& mysqlHome, const std::string& name) const;

    MySQLResultSet sqlExecFile(const MySQLConnection& connection, const std::string& sqlQueryFile);
    MySQLResultSet sqlExec(const MySQLConnection& connection, const std::string& sqlQuery);
    // The error text; empty on success.
    std::string sqlExecUpdate(const MySQLConnection& connection, const std::string& sqlQuery);

    static bool sqlHasErrors(const MySQLResultSet& resultSet) { return resultSet.hasErrors(); }
    static std::string sqlGetError(const MySQLResultSet& resultSet) { return resultSet.error(); }
    static bool sqlHasNext(const MySQLResultSet& resultSet) { return resultSet.hasNext(); }
    static std::optional<std::string> sqlNext(MySQLResultSet& resultSet) {
        return resultSet.next();
    }
    // Column `index` of a TAB-separated row, as printed (NULL arrives as "NULL").
    static std::optional<std::string> sqlGet(const std::optional<std::string>& row,
                                             std::size_t index);
    static void sqlClose(MySQLResultSet& resultSet) { resultSet.close(); }

    // The queries below run without a default database on `server` (its
    // database is ignored); only the ready-made answers come back.
    // Fills `vars` (names lower-cased); returns the error text, empty on success.
    std::string getMySQLVariables(std::map<std::string, std::string>& vars,
                                  const MySQLConnection& server);
    // Engine name to its support value ("YES", "DEFAULT", …); empty on error.
    std::map<std::string, std::string> getMySQLEngines(const MySQLConnection& server);
    // Whether "show tables;" runs in the database: one the account may not use counts as missing.
    bool checkDBexists(const std::string& dbName, const MySQLConnection& server);
    // Fewer than 9 tables, or the database cannot be opened.
    bool isDBempty(const std::string& dbName, const MySQLConnection& server);
    // "harvella.mysql4.sql.backup_" + local time as YYYYMMDDhhmmss.
    std::string genBackupPath();
    // The number with one leading "0" below 10.
    static std::string lz(int number);

    // Dumps the connection's database into `dumpFileName` (schema only unless
    // `withData`), a file only its owner may read. Raises the tool's exit code
    // with its standard error as description, after deleting a partial dump.
    void DumpMySQLDatabase(const MySQLConnection& connection, const std::string& dumpFileName,
                           bool withData);
    // Bytes a dump of the connection's database is expected to take.
    double GetMySQLDatabaseDumpSize(const MySQLConnection& connection);

    // Unpacks the package into the folder; raises the tool's exit code with
    // its standard error ("Disk is full" for 50).
    void UnzipMySQLPackage(const std::string& unzipUtil, const std::string& mySQLPackage,
                           const std::string& mySQLInstallationDir);
    // Whether the server accepts "root" with the password.
    bool CheckRootPwd(const std::string& rootPwd, const std::string& mySQLFolder,
                      const std::string& mySQLHost, const std::string& mySQLPort);
    // Registers the server as a service with manual start. One that exists is
    // stopped, removed and registered afresh with `removeIfExists`, and
    // raises -1 without.
    void InstallMySQLService(const std::string& mySQLFolder, const std::string& mySQLServiceName,
                             const std::string& mySQLConfigFilePath, bool removeIfExists);
    // Through the server's own --remove, or through the service database when
    // the server program has gone.
    void RemoveMySQLService(const std::string& mySQLFolder, const std::string& mySQLServiceName);
    // Starts the service, waits until it runs and gives the server 15 s to
    // get ready; nothing when it runs already.
    void StartMySQLService(const std::string& mySQLServiceName);
    // Stopped or not installed.
    bool IsServiceStopped(const std::string& mySQLServiceName);
    void StopMySQLService(const std::string& mySQLServiceName);
    // Stops the server through mysqladmin as root, or through the service
    // when there is no mysqladmin. `port` is decimal text; empty leaves it out.
    void ShutdownMySQLServer(const std::string& serviceName, const std::string& mysqlHome,
                             const std::string& port, const std::string& rootPwd);

private:
    // Up to 10 polls 3 s apart; raises -1 with the last phrase.
    void WaitForServiceStatus(const std::string& serviceName, const std::string& wantedStatus);
    std::string serviceStatus(const std::string& serviceName);
    // Runs "net start|stop NAME" and waits for the state; raises the exit code
    // with net's converted error text.
    void controlService(const std::string& verb, const std::string& serviceName,
                        const std::string& wantedStatus);
    std::string fromConsole(const std::string& text);

    static std::string lowerCase(std::string text);
    MySQLResultSet runClient(const ClientRunFiles& files);
    MySQLResultSet showTablesIn(const std::string& dbName, const MySQLConnection& server);
    double tableDumpSize(const MySQLConnection& connection, const std::string& table);

    platform::Services& services_;
    FileSystemObject* fileObject_ = nullptr;
};

}  // namespace Quimbo
