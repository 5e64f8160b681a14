// DAO 3.6 and ADO over the Jet OLE DB provider by late binding, as the
// utility's scripts reached them; the system locale and folder and the
// libraries' version resources through kernel32 and version.dll.
#include "database_engine.h"

#include <objbase.h>
#include <winver.h>

#include "dispatch.h"

namespace platform::win32 {
namespace {

constexpr long adStateOpen = 1;
// dbVersion40: the Access 2000 file format.
constexpr long dbVersion40 = 64;

// The first column of a recordset's current row; an empty or closed result has none.
EngineResult<FirstValue> firstValue(Dispatch& recordset) {
    using R = EngineResult<FirstValue>;
    FirstValue value;
    auto state = recordset.property("State");
    if (!state.ok()) return R::failure(state.error);
    if ((state.value.toInteger() & adStateOpen) == 0) return {value, {}};
    auto atEnd = recordset.property("EOF");
    if (!atEnd.ok()) return R::failure(atEnd.error);
    if (atEnd.value.toInteger() == 0) {
        auto fields = recordset.property("Fields");
        if (!fields.ok()) return R::failure(fields.error);
        Dispatch fieldList = Dispatch::from(fields.value);
        std::vector<Variant> index;
        index.push_back(Variant::integer(0));
        auto field = fieldList.property("Item", std::move(index));
        if (!field.ok()) return R::failure(field.error);
        auto content = Dispatch::from(field.value).property("Value");
        if (!content.ok()) return R::failure(content.error);
        value.hasRow = true;
        value.isNull = content.value.isNull();
        value.text = content.value.toText();
    }
    recordset.call("Close");
    return {value, {}};
}

class AdoConnection final : public DatabaseConnection {
public:
    explicit AdoConnection(Dispatch connection) : connection_(std::move(connection)) {}

    EngineError open(const std::string& connectionString) override {
        std::vector<Variant> arguments;
        arguments.push_back(Variant::text(connectionString));
        arguments.push_back(Variant::text(""));
        arguments.push_back(Variant::text(""));
        return connection_.call("Open", std::move(arguments)).error;
    }
    EngineResult<FirstValue> execute(const std::string& statement) override {
        std::vector<Variant> arguments;
        arguments.push_back(Variant::text(statement, CP_UTF8));
        auto result = connection_.call("Execute", std::move(arguments));
        if (!result.ok()) return EngineResult<FirstValue>::failure(result.error);
        Dispatch recordset = Dispatch::from(result.value);
        if (!recordset.valid()) return {FirstValue{}, {}};
        return firstValue(recordset);
    }
    EngineResult<FirstValue> openRecordset(const std::string& source, int cursorType, int lockType,
                                           int options) override {
        auto created = Dispatch::create("ADODB.Recordset");
        if (!created.ok()) return EngineResult<FirstValue>::failure(created.error);
        std::vector<Variant> arguments;
        arguments.push_back(Variant::text(source, CP_UTF8));
        arguments.push_back(Variant::object(connection_.get()));
        arguments.push_back(Variant::integer(cursorType));
        arguments.push_back(Variant::integer(lockType));
        arguments.push_back(Variant::integer(options));
        auto opened = created.value.call("Open", std::move(arguments));
        if (!opened.ok()) return EngineResult<FirstValue>::failure(opened.error);
        return firstValue(created.value);
    }
    bool isOpen() override {
        auto state = connection_.property("State");
        return state.ok() && (state.value.toInteger() & adStateOpen) != 0;
    }
    void close() override {
        if (isOpen()) connection_.call("Close");
    }

private:
    Dispatch connection_;
};

class DaoDbEngine final : public DaoEngine {
public:
    explicit DaoDbEngine(Dispatch engine) : engine_(std::move(engine)) {}

    EngineError createDatabase(const std::string& path,
                               const std::string& collatingOrder) override {
        std::vector<Variant> arguments;
        arguments.push_back(Variant::text(path));
        arguments.push_back(Variant::text(collatingOrder));
        auto database = engine_.call("CreateDatabase", std::move(arguments));
        if (!database.ok()) return database.error;
        Dispatch::from(database.value).call("Close");
        return {};
    }
    // The engine itself refuses a source another program has open, and
    // Windows refuses to replace a file that is open: nothing more to hold.
    EngineError compactDatabase(const std::string& source, const std::string& destination,
                                const std::function<void()>& whileHeld) override {
        std::vector<Variant> arguments;
        arguments.push_back(Variant::text(source));
        arguments.push_back(Variant::text(destination));
        arguments.push_back(Variant::missing());
        arguments.push_back(Variant::integer(dbVersion40));
        const EngineError error = engine_.call("CompactDatabase", std::move(arguments)).error;
        if (!error.failed) whileHeld();
        return error;
    }

private:
    Dispatch engine_;
};

}  // namespace

Win32DatabaseEngine::~Win32DatabaseEngine() {
    if (comStarted_) ::CoUninitialize();
}

void Win32DatabaseEngine::startCom() {
    if (comTried_) return;
    comTried_ = true;
    comStarted_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

EngineResult<std::unique_ptr<DaoEngine>> Win32DatabaseEngine::createDaoEngine() {
    startCom();
    auto engine = Dispatch::create("DAO.DBEngine.36");
    if (!engine.ok()) return EngineResult<std::unique_ptr<DaoEngine>>::failure(engine.error);
    return {std::make_unique<DaoDbEngine>(std::move(engine.value)), {}};
}

EngineResult<std::unique_ptr<DatabaseConnection>> Win32DatabaseEngine::createConnection() {
    startCom();
    auto connection = Dispatch::create("ADODB.Connection");
    if (!connection.ok())
        return EngineResult<std::unique_ptr<DatabaseConnection>>::failure(connection.error);
    return {std::make_unique<AdoConnection>(std::move(connection.value)), {}};
}

std::uint32_t Win32DatabaseEngine::defaultLocaleId() {
    return ::GetSystemDefaultLCID();
}

std::string Win32DatabaseEngine::fileVersion(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return "";
    std::string block(size, '\0');
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, &block[0])) return "";
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&info), &length) ||
        length < sizeof *info)
        return "";
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionLS));
}

std::string Win32DatabaseEngine::systemFolder() {
    char buffer[MAX_PATH + 1];
    const UINT length = ::GetSystemDirectoryA(buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length)
                                                : "C:\\WINDOWS\\system32";
}

std::string Win32DatabaseEngine::systemDrive() {
    return systemFolder().substr(0, 2);
}

}  // namespace platform::win32
