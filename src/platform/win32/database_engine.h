#pragma once
// Win32 side only: DAO, ADO and the script host reached by late binding
// through IDispatch, the locale and version resources through kernel32.
#include "platform/database_engine.h"

namespace platform::win32 {

class Win32DatabaseEngine final : public DatabaseEngine {
public:
    Win32DatabaseEngine() = default;
    ~Win32DatabaseEngine() override;
    Win32DatabaseEngine(const Win32DatabaseEngine&) = delete;
    Win32DatabaseEngine& operator=(const Win32DatabaseEngine&) = delete;

    EngineResult<std::unique_ptr<DaoEngine>> createDaoEngine() override;
    EngineResult<std::unique_ptr<DatabaseConnection>> createConnection() override;
    std::uint32_t defaultLocaleId() override;
    std::string fileVersion(const std::string& path) override;
    std::string systemFolder() override;
    std::string systemDrive() override;

private:
    // COM is started on this thread when a database object is first asked for,
    // not in every program that holds the services.
    void startCom();

    bool comTried_ = false;
    bool comStarted_ = false;
};

}  // namespace platform::win32
