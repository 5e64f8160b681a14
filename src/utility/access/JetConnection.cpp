#include "JetConnection.h"

namespace Quimbo {
namespace {

const char* const source = "ADODB.Connection";
constexpr int adOpenKeyset = 1;
constexpr int adLockOptimistic = 3;
constexpr int adCmdUnspecified = -1;

void raiseOn(const platform::EngineError& error) {
    if (error.failed) throw FailureRecord{error.number, source, error.description};
}

template <class T>
T valueOrRaise(platform::EngineResult<T> result) {
    raiseOn(result.error);
    return std::move(result.value);
}

}  // namespace

std::string JetConnection::ConnectionString(const std::string& dbPath) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + dbPath + "\";";
}

void JetConnection::Create() {
    connection_ = valueOrRaise(engine_.createConnection());
}

void JetConnection::Open(const std::string& dbPath) {
    if (!connection_) Create();
    raiseOn(connection_->open(ConnectionString(dbPath)));
}

void JetConnection::Execute(const std::string& statement) {
    raiseOn(connection().execute(statement).error);
}

platform::FirstValue JetConnection::Query(const std::string& query) {
    return valueOrRaise(connection().execute(query));
}

platform::FirstValue JetConnection::QueryKeyset(const std::string& query) {
    return valueOrRaise(
        connection().openRecordset(query, adOpenKeyset, adLockOptimistic, adCmdUnspecified));
}

void JetConnection::Close() {
    if (connection_ && connection_->isOpen()) connection_->close();
}

platform::DatabaseConnection& JetConnection::connection() {
    if (!connection_)
        throw FailureRecord{91, source, "Object variable or With block variable not set"};
    return *connection_;
}

}  // namespace Quimbo
