// The dump half of MySQLManager: mysqldump runs and the dump size estimate.
#include <cstdlib>

#include "MySQLManager.h"
#include "MySQLToolCredentials.h"
#include "TemporaryFiles.h"
#include "frame/CommandLineQuoting.h"
#include "frame/FailureRecord.h"
#include "frame/VbErrors.h"

namespace Quimbo {
namespace {

// Bytes the dump writes around every table: "LOCK TABLES `t` WRITE;" CR LF,
// CR LF "UNLOCK TABLES;", and a margin for the table's definition.
constexpr double lockLineLength = 23;
constexpr double unlockLinesLength = 16;
constexpr double tableMargin = 1000;
// "INSERT INTO `t` VALUES" without the name, and CR LF after the rows.
constexpr double insertHeadLength = 21;
constexpr double insertEndLength = 2;
constexpr double estimateFactor = 1.25;

// Names as identifiers, so that a table or column named like a keyword is measured too.
std::string identifier(const std::string& name) {
    std::string quoted = "`";
    for (const char c : name)
        quoted += c == '`' ? std::string("``") : std::string(1, c);
    return quoted + "`";
}

double numberColumn(const std::optional<std::string>& value) {
    char* end = nullptr;
    const std::string text = value.value_or("");
    const double number = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') throw vbError(VbError::typeMismatch, "dump size");
    return number;
}

}  // namespace

void MySQLManager::DumpMySQLDatabase(const MySQLConnection& connection,
                                     const std::string& dumpFileName, bool withData) {
    FileSystemObject& fso = *fileObject_;
    // Every value quoted: a name holding blanks or quotes must arrive as one argument.
    const std::string arguments =
        " --databases " + QuoteArgument(connection.database) +
        " --force --routines --comments --extended-insert --quote-names --user=" +
        QuoteArgument(connection.user) + " --host=" + QuoteArgument(connection.host) +
        " --port=" + QuoteArgument(connection.port) +
        " --single-transaction --skip-lock-tables --result-file=" + QuoteArgument(dumpFileName) +
        (withData ? "" : " --no-data");
    // The dump holds the whole database: the tool writes into a file that
    // only its owner may read, made here unless the caller made it.
    if (!fso.FileExists(dumpFileName)) fso.CreateNew(dumpFileName, "");
    std::string errText, outText;
    const int exitCode = ExecMySQLTool(services_, fso, program(connection.mysqlHome, "mysqldump"),
                                       connection.password, arguments, errText, outText);
    if (exitCode == 0) return;
    if (fso.FileExists(dumpFileName)) DeleteFileQuietly(dumpFileName, fso);
    throw FailureRecord{exitCode, "", errText};
}

double MySQLManager::GetMySQLDatabaseDumpSize(const MySQLConnection& connection) {
    FileSystemObject& fso = *fileObject_;
    double total = 0;
    {
        // In the temporary folder rather than the current one, which may be
        // the installation folder and not writable; made here, so that the
        // tool only writes into a file of ours.
        TemporaryFiles schemaDump(fso);
        const std::string path = schemaDump.add(CreateTempFile(fso));
        DumpMySQLDatabase(connection, path, false);
        total = static_cast<double>(fso.ReadAll(path).size());
    }
    MySQLResultSet tables = sqlExec(connection, "show tables;");
    while (sqlHasNext(tables)) {
        const auto table = sqlGet(sqlNext(tables), 0);
        if (table) total += tableDumpSize(connection, *table);
    }
    return total * estimateFactor;
}

double MySQLManager::tableDumpSize(const MySQLConnection& connection, const std::string& table) {
    std::string query = "select count(*), ifnull(";
    double cols = 0;
    {
        MySQLResultSet description = sqlExec(connection, "desc " + identifier(table) + ";");
        while (sqlHasNext(description)) {
            const auto row = sqlNext(description);
            const std::string field = identifier(sqlGet(row, 0).value_or(""));
            const std::string type = lowerCase(sqlGet(row, 1).value_or(""));
            // Text values are written in quotes.
            const std::string length = type.find("char") != std::string::npos
                                           ? "length(" + field + ") + 2"
                                           : "length(" + field + ")";
            if (cols > 0) query += " + ";
            query += "sum(if (" + field + " is null, 3, " + length + "))";
            ++cols;
        }
    }
    query += " , 0) from " + identifier(table);

    MySQLResultSet size = sqlExec(connection, query);
    const auto row = sqlNext(size);
    if (!row) return 0;
    const double rows = numberColumn(sqlGet(row, 0));
    const double dataLength = numberColumn(sqlGet(row, 1));
    const double nameLength = static_cast<double>(table.size());
    double bytes = nameLength + lockLineLength;
    if (rows >= 1) {
        bytes += nameLength + insertHeadLength;
        // "(" and ")," per row and a comma between values.
        bytes += (1 + (cols - 1) + 2) * rows + dataLength;
        bytes += insertEndLength;
    }
    return bytes + unlockLinesLength + tableMargin;
}

}  // namespace Quimbo
