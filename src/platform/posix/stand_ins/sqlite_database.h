#pragma once
// POSIX side only: one SQLite database handle, and SQLite's failures in the
// numbers the Access path's callers decide on.
#include <sqlite3.h>

#include <string>

#include "platform/database_engine.h"

namespace platform::posix {

namespace jeterr {
constexpr std::int32_t fileNotFound = 3024;
constexpr std::int32_t noPermission = 3051;
constexpr std::int32_t alreadyExists = 3204;
constexpr std::int32_t unrecognizedFormat = 3343;
constexpr std::int32_t openedExclusively = 3356;
// E_FAIL, which the OLE DB provider reports for most failures.
constexpr std::int32_t unspecified = -2147467259;
}  // namespace jeterr

EngineError engineError(std::int32_t number, const std::string& description);

class SqliteDatabase {
public:
    SqliteDatabase() = default;
    ~SqliteDatabase() { close(); }
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    EngineError open(const std::string& path, int flags);
    bool isOpen() const { return db_ != nullptr; }
    void close();
    // Runs the one statement of the text (a ";" and blanks may follow it) and
    // returns its first value; a second statement in the text is an error.
    EngineResult<FirstValue> run(const std::string& statement, const std::string* bound = nullptr);

private:
    EngineError failure(int code) const;

    sqlite3* db_ = nullptr;
    std::string path_;
};

}  // namespace platform::posix
