#pragma once
// POSIX side only: the Access path's data access on SQLite. The database file
// keeps its name and extension; DAO counts as registered.
#include "platform/database_engine.h"

namespace platform::posix {

class SqliteDatabaseEngine final : public DatabaseEngine {
public:
    EngineResult<std::unique_ptr<DaoEngine>> createDaoEngine() override;
    EngineResult<std::unique_ptr<DatabaseConnection>> createConnection() override;
    // From the environment's locale (LC_ALL, LC_COLLATE, LANG): ru_RU gives
    // 0x419; a locale that names no known language gives 0x409.
    std::uint32_t defaultLocaleId() override;
    std::string fileVersion(const std::string& path) override;
    // $HARVELLA_SYSTEM_ROOT/windows/system32 on the stand-in's drive, the root.
    std::string systemFolder() override;
    std::string systemDrive() override;
};

}  // namespace platform::posix
