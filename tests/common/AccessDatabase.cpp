#include "AccessDatabase.h"

#include <stdexcept>

namespace accesstest {
namespace {

int collect(void* into, int columns, char** values, char**) {
    auto& text = *static_cast<std::string*>(into);
    if (!text.empty()) text += ",";
    for (int i = 0; i < columns; ++i)
        text += (i ? "/" : "") + std::string(values[i] ? values[i] : "NULL");
    return 0;
}

}  // namespace

std::string sql(const std::string& path, const std::string& statements) {
    sqlite3* db = nullptr;
    std::string rows;
    char* error = nullptr;
    const bool ok = ::sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                    ::sqlite3_exec(db, statements.c_str(), collect, &rows, &error) == SQLITE_OK;
    const std::string message = error ? error : ::sqlite3_errmsg(db);
    ::sqlite3_free(error);
    ::sqlite3_close(db);
    if (!ok) throw std::runtime_error(path + ": " + message);
    return rows;
}

ExclusiveLock::ExclusiveLock(const std::string& path) {
    if (::sqlite3_open(path.c_str(), &db_) != SQLITE_OK ||
        ::sqlite3_exec(db_, "begin exclusive;", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot lock " + path);
}

ExclusiveLock::~ExclusiveLock() {
    ::sqlite3_exec(db_, "rollback;", nullptr, nullptr, nullptr);
    ::sqlite3_close(db_);
}

}  // namespace accesstest
