#include "MySQLManager.h"

#include <algorithm>
#include <cctype>

#include "TemporaryFiles.h"
#include "frame/CommandLineQuoting.h"
#include "frame/ExecCmdModule.h"
#include "frame/FailureRecord.h"
#include "frame/FileFuncsModule.h"

namespace Quimbo {
namespace {

const char* const runnerFailedText =
    "Failed to run mysql, probably mysql is not installed or misconfigured.";

MySQLResultSet missingClient(const std::string& client) {
    return MySQLResultSet::failed("Failed to run mysql. File " + client + " is not found.");
}

MySQLConnection withDatabase(MySQLConnection connection, const std::string& database) {
    connection.database = database;
    return connection;
}

}  // namespace

std::string MySQLManager::lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

MySQLManager::MySQLManager(platform::Services& services) : services_(services) {}

void MySQLManager::Initialize(FileSystemObject& fileObject) {
    fileObject_ = &fileObject;
}

std::string MySQLManager::program(const std::string& mysqlHome, const std::string& name) const {
    const platform::Conventions& c = services_.conventions;
    return mysqlHome + c.separator + "bin" + c.separator + name + c.executableSuffix;
}

MySQLResultSet MySQLManager::sqlExecFile(const MySQLConnection& connection,
                                         const std::string& sqlQueryFile) {
    FileSystemObject& fso = *fileObject_;
    const std::string client = program(connection.mysqlHome, "mysql");
    if (!fso.FileExists(client)) return missingClient(client);
    if (!fso.FileExists(sqlQueryFile))
        return MySQLResultSet::failed("Failed to execute mysql command. File " + sqlQueryFile +
                                      " is not found.");
    TemporaryFiles temporaries(fso);
    ClientRunFiles files;
    files.script = sqlQueryFile;
    // The client's errors go into a file made here, which only we may read:
    // it repeats a failing statement, passwords included.
    files.error = temporaries.add(CreateTempFile(fso));
    files.options = temporaries.add(CreateTempFile(fso, "", ClientOptionsText(connection)));
    files.command = temporaries.add(CreateTempFile(
        fso, services_.conventions.commandFileSuffix,
        ClientCommandFileText(services_.conventions, services_.codePages.ansiCodePage(),
                              ClientCommandLine(services_.conventions, client, files))));
    return runClient(files);
}

MySQLResultSet MySQLManager::runClient(const ClientRunFiles& files) {
    FileSystemObject& fso = *fileObject_;

    int exitCode = execCmdLaunchFailed;
    std::string runnerErrors, runnerOutput;
    try {
        exitCode = ExecCmd(services_, QuoteArgument(files.command), runnerErrors, runnerOutput);
    } catch (const FailureRecord&) {
        return MySQLResultSet::failed(runnerFailedText);
    }

    std::string clientErrors;
    try {
        if (fso.FileExists(files.error)) clientErrors = fso.ReadAll(files.error);
    } catch (const FailureRecord&) {
    }
    // A client that ended badly without a word, or never started, has failed
    // all the same: its missing rows must not read as an empty answer.
    if (clientErrors.empty() && exitCode == execCmdLaunchFailed) clientErrors = runnerErrors;
    if (clientErrors.empty() && exitCode != 0)
        clientErrors = "The MySQL client ended with exit code " + std::to_string(exitCode) + ".";
    if (!clientErrors.empty()) return MySQLResultSet::failed(clientErrors);

    MySQLResultSet result(std::move(runnerOutput));
    // Batch mode prints the column names first.
    result.next();
    return result;
}

MySQLResultSet MySQLManager::sqlExec(const MySQLConnection& connection,
                                     const std::string& sqlQuery) {
    FileSystemObject& fso = *fileObject_;
    // Nothing is written when there is no client to read it.
    const std::string client = program(connection.mysqlHome, "mysql");
    if (!fso.FileExists(client)) return missingClient(client);
    TemporaryFiles temporaries(fso);
    // Statements may set passwords.
    return sqlExecFile(connection, temporaries.add(CreateTempFile(fso, "", sqlQuery)));
}

std::string MySQLManager::sqlExecUpdate(const MySQLConnection& connection,
                                        const std::string& sqlQuery) {
    MySQLResultSet result = sqlExec(connection, sqlQuery);
    const std::string error = sqlGetError(result);
    sqlClose(result);
    return error;
}

std::optional<std::string> MySQLManager::sqlGet(const std::optional<std::string>& row,
                                                std::size_t index) {
    if (!row) return std::nullopt;
    std::size_t start = 0;
    for (std::size_t column = 0;; ++column) {
        const std::size_t tab = row->find('\t', start);
        if (column == index)
            return row->substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        if (tab == std::string::npos) return std::nullopt;
        start = tab + 1;
    }
}

std::string MySQLManager::getMySQLVariables(std::map<std::string, std::string>& vars,
                                            const MySQLConnection& server) {
    MySQLResultSet result = sqlExec(withDatabase(server, ""), "show variables;");
    if (sqlHasErrors(result)) return sqlGetError(result);
    while (sqlHasNext(result)) {
        const auto row = sqlNext(result);
        vars.emplace(lowerCase(sqlGet(row, 0).value_or("")), sqlGet(row, 1).value_or(""));
    }
    return "";
}

std::map<std::string, std::string> MySQLManager::getMySQLEngines(const MySQLConnection& server) {
    std::map<std::string, std::string> engines;
    MySQLResultSet result = sqlExec(withDatabase(server, ""), "show engines;");
    if (sqlHasErrors(result)) return engines;
    while (sqlHasNext(result)) {
        const auto row = sqlNext(result);
        engines.emplace(sqlGet(row, 0).value_or(""), sqlGet(row, 1).value_or(""));
    }
    return engines;
}

MySQLResultSet MySQLManager::showTablesIn(const std::string& dbName,
                                          const MySQLConnection& server) {
    return sqlExec(withDatabase(server, dbName), "show tables;");
}

bool MySQLManager::checkDBexists(const std::string& dbName, const MySQLConnection& server) {
    return !sqlHasErrors(showTablesIn(dbName, server));
}

bool MySQLManager::isDBempty(const std::string& dbName, const MySQLConnection& server) {
    MySQLResultSet result = showTablesIn(dbName, server);
    int tables = 0;
    while (sqlNext(result))
        ++tables;
    return tables < 9;
}

std::string MySQLManager::genBackupPath() {
    const platform::LocalTime now = services_.clock.localNow();
    return "harvella.mysql4.sql.backup_" + std::to_string(now.year) + lz(now.month) + lz(now.day) +
           lz(now.hour) + lz(now.minute) + lz(now.second);
}

std::string MySQLManager::lz(int number) {
    return (number < 10 ? "0" : "") + std::to_string(number);
}

}  // namespace Quimbo
