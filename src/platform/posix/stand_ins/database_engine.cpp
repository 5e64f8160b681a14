// The Access path on SQLite: ADO connections and DAO's create and compact
// over SQLite files, the locale from the environment, and version resources
// read by the portable PE reader.
#include "database_engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "file_bytes.h"
#include "pe_version.h"
#include "sqlite_database.h"
#include "stand_in_files.h"
#include "unique_fd.h"

namespace platform::posix {
namespace {

const std::string jetPrefix = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"";
const std::string jetSuffix = "\";";

// The Data Source of the Jet connection string the utility builds; false for
// any other provider or form.
bool dataSourceOf(const std::string& connectionString, std::string& path) {
    if (connectionString.size() < jetPrefix.size() + jetSuffix.size() ||
        connectionString.compare(0, jetPrefix.size(), jetPrefix) != 0 ||
        connectionString.compare(connectionString.size() - jetSuffix.size(), jetSuffix.size(),
                                 jetSuffix) != 0)
        return false;
    path = connectionString.substr(jetPrefix.size(),
                                   connectionString.size() - jetPrefix.size() - jetSuffix.size());
    return !path.empty();
}

class SqliteConnection final : public DatabaseConnection {
public:
    EngineError open(const std::string& connectionString) override {
        std::string path;
        if (!dataSourceOf(connectionString, path))
            return engineError(jeterr::unspecified,
                               "Provider cannot be found. It may not be properly installed.");
        return db_.open(path, SQLITE_OPEN_READWRITE);
    }
    EngineResult<FirstValue> execute(const std::string& statement) override {
        return db_.run(statement);
    }
    EngineResult<FirstValue> openRecordset(const std::string& source, int cursorType, int lockType,
                                           int) override {
        if (cursorType < 0 || cursorType > 3 || lockType < 1 || lockType > 4)
            return EngineResult<FirstValue>::failure(
                engineError(jeterr::unspecified,
                            "Arguments are of the wrong type, are out of acceptable range, "
                            "or are in conflict with one another."));
        return db_.run(source);
    }
    bool isOpen() override { return db_.isOpen(); }
    void close() override { db_.close(); }

private:
    SqliteDatabase db_;
};

// The LANGID of a collating order ";LANGID=0x0419;CP=1251;COUNTRY=0"; false
// when the text has another form.
bool languageOf(const std::string& collatingOrder, long& language) {
    const std::string head = ";LANGID=0x";
    if (collatingOrder.compare(0, head.size(), head) != 0) return false;
    char* end = nullptr;
    language = std::strtol(collatingOrder.c_str() + head.size(), &end, 16);
    return end && std::strncmp(end, ";CP=", 4) == 0;
}

class SqliteDao final : public DaoEngine {
public:
    // The collating order is kept as the file's application id: SQLite itself
    // compares text by bytes.
    EngineError createDatabase(const std::string& path,
                               const std::string& collatingOrder) override {
        long language = 0;
        if (!languageOf(collatingOrder, language))
            return engineError(3129, "Invalid collating order '" + collatingOrder + "'.");
        // Made by us first, so that an existing file is never taken over.
        Fd created(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (!created.open() && errno == EEXIST)
            return engineError(jeterr::alreadyExists, "Database already exists.");
        if (!created.open())
            return engineError(errno == ENOENT ? jeterr::fileNotFound : jeterr::noPermission,
                               "Cannot create '" + path + "'.");
        created.reset();
        SqliteDatabase db;
        if (EngineError e = db.open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE); e.failed)
            return e;
        return db.run("PRAGMA application_id = " + std::to_string(language) + ";").error;
    }

    // The source must pass SQLite's integrity check; the fresh copy gets the
    // source's permissions and owner, so that it can take the source's place.
    // An exclusive lock, kept (locking mode EXCLUSIVE) from the check until
    // `whileHeld` has run, refuses a program in a transaction and keeps every
    // other out: a row committed into the old file meanwhile would be lost.
    EngineError compactDatabase(const std::string& source, const std::string& destination,
                                const std::function<void()>& whileHeld) override {
        SqliteDatabase db;
        if (EngineError e = db.open(source, SQLITE_OPEN_READWRITE); e.failed) return e;
        for (const char* statement :
             {"PRAGMA locking_mode = EXCLUSIVE;", "BEGIN EXCLUSIVE;", "COMMIT;"})
            if (EngineError e = db.run(statement).error; e.failed) return e;
        const auto check = db.run("PRAGMA integrity_check;");
        if (!check.ok()) return check.error;
        if (check.value.text != "ok")
            return engineError(jeterr::unrecognizedFormat,
                               "The database is damaged: " + check.value.text);
        if (EngineError e = db.run("VACUUM INTO ?;", &destination).error; e.failed) return e;
        struct stat info {};
        if (::stat(source.c_str(), &info) == 0) {
            ::chmod(destination.c_str(), info.st_mode & 07777);
            if (::geteuid() == 0 && ::chown(destination.c_str(), info.st_uid, info.st_gid) != 0)
                return engineError(jeterr::noPermission,
                                   "Cannot give the copy the owner of the original.");
        }
        whileHeld();
        return {};
    }
};

struct LocaleEntry {
    const char* name;
    std::uint32_t id;
};

// Language (and country where the language alone is ambiguous) to LCID.
const LocaleEntry localeIds[] = {
    {"ar", 0x401}, {"cs", 0x405},    {"nl", 0x413},    {"en", 0x409},    {"el", 0x408},
    {"he", 0x40D}, {"hu", 0x40E},    {"is", 0x40F},    {"sv", 0x41D},    {"da", 0x406},
    {"nb", 0x414}, {"nn", 0x814},    {"pl", 0x415},    {"ru", 0x419},    {"es", 0x40A},
    {"tr", 0x41F}, {"ja", 0x411},    {"zh_TW", 0x404}, {"zh_HK", 0xC04}, {"zh", 0x804},
    {"ko", 0x412}, {"th", 0x41E},    {"sl", 0x424},    {"de", 0x407},    {"fr", 0x40C},
    {"it", 0x410}, {"pt_BR", 0x416}, {"pt", 0x816},    {"fi", 0x40B},    {"uk", 0x422},
};

}  // namespace

EngineResult<std::unique_ptr<DaoEngine>> SqliteDatabaseEngine::createDaoEngine() {
    return {std::make_unique<SqliteDao>(), {}};
}

EngineResult<std::unique_ptr<DatabaseConnection>> SqliteDatabaseEngine::createConnection() {
    return {std::make_unique<SqliteConnection>(), {}};
}

std::uint32_t SqliteDatabaseEngine::defaultLocaleId() {
    std::string locale;
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    for (const LocaleEntry& entry : localeIds) {
        const std::size_t length = std::strlen(entry.name);
        if (locale.compare(0, length, entry.name) == 0 &&
            (locale.size() == length || std::strchr("_.@", locale[length])))
            return entry.id;
    }
    return 0x409;
}

std::string SqliteDatabaseEngine::fileVersion(const std::string& path) {
    const auto bytes = readWholeFile(path);
    return bytes.ok() ? peFileVersion(bytes.value) : "";
}

std::string SqliteDatabaseEngine::systemFolder() {
    return standInRoot() + "/windows/system32";
}

std::string SqliteDatabaseEngine::systemDrive() {
    return standInRoot();
}

}  // namespace platform::posix
