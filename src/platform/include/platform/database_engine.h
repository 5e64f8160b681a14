#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// What the data access stack says when a call fails: the number a script
// would see (an engine error number such as 3356, or an HRESULT as a signed
// value) and the engine's description.
struct EngineError {
    bool failed = false;
    std::int32_t number = 0;
    std::string description;
};

template <class T>
struct EngineResult {
    T value{};
    EngineError error;

    bool ok() const { return !error.failed; }
    static EngineResult failure(EngineError e) { return EngineResult{T{}, std::move(e)}; }
};

// The first column of the first row of a result.
struct FirstValue {
    bool hasRow = false;
    bool isNull = false;
    // The value converted to text, as the engine converts it.
    std::string text;
};

// An ADO connection over the Jet OLE DB provider. Statements are UTF-8 (the
// encoding of the schema scripts); the connection string is ANSI.
class DatabaseConnection {
public:
    virtual ~DatabaseConnection() = default;
    // Open with an empty user name and password.
    virtual EngineError open(const std::string& connectionString) = 0;
    // Execute; the result's first value when the statement yields rows.
    virtual EngineResult<FirstValue> execute(const std::string& statement) = 0;
    // A recordset opened over this connection with the given cursor type,
    // lock type and options; its first value.
    virtual EngineResult<FirstValue> openRecordset(const std::string& source, int cursorType,
                                                   int lockType, int options) = 0;
    virtual bool isOpen() = 0;
    virtual void close() = 0;
};

// DAO's engine object.
class DaoEngine {
public:
    virtual ~DaoEngine() = default;
    // A new, empty database file with the collating order; it is closed again at once.
    virtual EngineError createDatabase(const std::string& path,
                                       const std::string& collatingOrder) = 0;
    // A copy of the source in the engine's current file format, written to a
    // destination that must not exist yet. `whileHeld` runs after a good copy
    // while no other program can write to the source yet, so that the copy
    // can take its place without losing a write made meanwhile; a source in
    // use fails as locked.
    virtual EngineError compactDatabase(const std::string& source, const std::string& destination,
                                        const std::function<void()>& whileHeld) = 0;
};

// What the Access database path asks of the system: DAO, ADO, the system's
// locale, the system folder and the version resources of its libraries.
class DatabaseEngine {
public:
    virtual ~DatabaseEngine() = default;
    // Fails when DAO 3.6 is not registered.
    virtual EngineResult<std::unique_ptr<DaoEngine>> createDaoEngine() = 0;
    virtual EngineResult<std::unique_ptr<DatabaseConnection>> createConnection() = 0;
    // The system's default locale identifier (0x419 for Russian).
    virtual std::uint32_t defaultLocaleId() = 0;
    // The file version of a file's version resource as "a.b.c.d"; "" when the
    // file has none or cannot be read.
    virtual std::string fileVersion(const std::string& path) = 0;
    // The Windows system folder, and the drive that holds it ("C:").
    virtual std::string systemFolder() = 0;
    virtual std::string systemDrive() = 0;
};

}  // namespace platform
