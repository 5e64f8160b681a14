// SQLite statements for the Access path, with failures mapped onto the DAO
// numbers whose meaning the callers decide on (locked, no permission, damaged).
#include "sqlite_database.h"

#include <sys/stat.h>

#include <cerrno>
#include <memory>

namespace platform::posix {

EngineError engineError(std::int32_t number, const std::string& description) {
    return EngineError{true, number, description};
}

EngineError SqliteDatabase::open(const std::string& path, int flags) {
    close();
    path_ = path;
    // SQLite takes an empty file for an empty database; the engine it stands
    // for does not.
    struct stat info {};
    if (!(flags & SQLITE_OPEN_CREATE) && ::stat(path.c_str(), &info) == 0 && info.st_size == 0)
        return engineError(jeterr::unrecognizedFormat,
                           "Unrecognized database format '" + path + "'.");
    int code = ::sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    // SQLite opens lazily; the engine it stands for reads the file at once, so
    // that a damaged or locked file fails here and not at the first statement.
    if (code == SQLITE_OK)
        code = ::sqlite3_exec(db_, "PRAGMA schema_version;", nullptr, nullptr, nullptr);
    if (code == SQLITE_OK) return {};
    EngineError error = failure(code);
    close();
    return error;
}

void SqliteDatabase::close() {
    if (db_) ::sqlite3_close_v2(db_);
    db_ = nullptr;
}

EngineResult<FirstValue> SqliteDatabase::run(const std::string& statement,
                                             const std::string* bound) {
    using R = EngineResult<FirstValue>;
    if (!db_) return R::failure(engineError(jeterr::unspecified, "The connection is closed."));
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int code = ::sqlite3_prepare_v2(db_, statement.c_str(), static_cast<int>(statement.size()),
                                    &raw, &tail);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> prepared(raw, ::sqlite3_finalize);
    if (code != SQLITE_OK) return R::failure(failure(code));
    if (!prepared) return R::failure(engineError(jeterr::unspecified, "Empty statement."));
    for (const char* rest = tail; rest < statement.c_str() + statement.size(); ++rest) {
        if (*rest != ' ' && *rest != '\t' && *rest != '\r' && *rest != '\n' && *rest != ';')
            return R::failure(
                engineError(jeterr::unspecified, "Characters found after end of SQL statement."));
    }
    if (bound) ::sqlite3_bind_text(raw, 1, bound->c_str(), -1, SQLITE_TRANSIENT);
    FirstValue value;
    code = ::sqlite3_step(raw);
    if (code == SQLITE_ROW && ::sqlite3_column_count(raw) > 0) {
        value.hasRow = true;
        value.isNull = ::sqlite3_column_type(raw, 0) == SQLITE_NULL;
        const auto* text = ::sqlite3_column_text(raw, 0);
        if (text) value.text = reinterpret_cast<const char*>(text);
    } else if (code != SQLITE_DONE && code != SQLITE_ROW) {
        return R::failure(failure(code));
    }
    return {value, {}};
}

EngineError SqliteDatabase::failure(int code) const {
    const std::string message = db_ ? ::sqlite3_errmsg(db_) : ::sqlite3_errstr(code);
    switch (code & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return engineError(jeterr::openedExclusively, message);
        case SQLITE_PERM:
        case SQLITE_READONLY:
        case SQLITE_AUTH:
            return engineError(jeterr::noPermission, message);
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return engineError(jeterr::unrecognizedFormat, message);
        case SQLITE_CANTOPEN: {
            const int cause = db_ ? ::sqlite3_system_errno(db_) : 0;
            if (cause == ENOENT)
                return engineError(jeterr::fileNotFound, "Could not find file '" + path_ + "'.");
            if (cause == EACCES || cause == EPERM || cause == EROFS)
                return engineError(jeterr::noPermission, message);
            return engineError(jeterr::unspecified, message);
        }
        default:
            return engineError(jeterr::unspecified, message);
    }
}

}  // namespace platform::posix
