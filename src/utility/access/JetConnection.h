#pragma once
#include <memory>
#include <string>

#include "frame/FailureRecord.h"
#include "platform/database_engine.h"

namespace Quimbo {

// An ADO connection on an Access database file through the Jet OLE DB
// provider. Every failure raises a FailureRecord with the engine's number
// and description.
class JetConnection {
public:
    explicit JetConnection(platform::DatabaseEngine& engine) : engine_(engine) {}

    // "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + the quoted path + ";".
    static std::string ConnectionString(const std::string& dbPath);

    // Creates the connection object; raises when ADO is not there.
    void Create();
    // Opens the database file with an empty user name and password; creates
    // the connection object first when there is none.
    void Open(const std::string& dbPath);
    void Execute(const std::string& statement);
    // The first column of the first row of a query run through Execute.
    platform::FirstValue Query(const std::string& query);
    // The same through a recordset opened with a keyset cursor and optimistic locking.
    platform::FirstValue QueryKeyset(const std::string& query);
    // Closes the connection when it is open; the object stays for the next Open.
    void Close();

private:
    platform::DatabaseConnection& connection();

    platform::DatabaseEngine& engine_;
    std::unique_ptr<platform::DatabaseConnection> connection_;
};

}  // namespace Quimbo
