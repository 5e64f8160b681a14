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
// with its output and errors in temporary files; the utility links no client
// library. Stateless between calls. Also dumps databases with mysqldump.
class MySQLManager {
public:
    explicit MySQLManager(platform::Services& services);
    void Initialize(FileSystemObject& fileObject);

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
    // `withData`). Raises the tool's exit code with its standard error as
    // description, after deleting a partial dump.
    void DumpMySQLDatabase(const MySQLConnection& connection, const std::string& dumpFileName,
                           bool withData);
    // Bytes a dump of the connection's database is expected to take.
    double GetMySQLDatabaseDumpSize(const MySQLConnection& connection);
    // The value as one command-line argument (QuoteArgument).
    static std::string EscapeMySQLCommandLineParam(const std::string& param);

private:
    static std::string lowerCase(std::string text);
    std::string program(const std::string& mysqlHome, const std::string& name) const;
    MySQLResultSet runClient(const ClientRunFiles& files, TemporaryFiles& unreadOutput);
    MySQLResultSet showTablesIn(const std::string& dbName, const MySQLConnection& server);
    double tableDumpSize(const MySQLConnection& connection, const std::string& table);

    platform::Services& services_;
    FileSystemObject* fileObject_ = nullptr;
};

}  // namespace Quimbo
