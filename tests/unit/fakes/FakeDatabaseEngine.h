#pragma once
#include <memory>
#include <string>

#include "platform/database_engine.h"

namespace fakes {

// A machine without DAO and ADO: every object creation fails as COM's does.
// The databases themselves are left to the real engines.
class FakeDatabaseEngine final : public platform::DatabaseEngine {
public:
    platform::EngineResult<std::unique_ptr<platform::DaoEngine>> createDaoEngine() override {
        return platform::EngineResult<std::unique_ptr<platform::DaoEngine>>::failure(
            notRegistered());
    }
    platform::EngineResult<std::unique_ptr<platform::DatabaseConnection>> createConnection()
        override {
        return platform::EngineResult<std::unique_ptr<platform::DatabaseConnection>>::failure(
            notRegistered());
    }
    std::uint32_t defaultLocaleId() override { return 0x409; }
    std::string fileVersion(const std::string&) override { return ""; }
    std::string systemFolder() override { return "/C/windows/system32"; }
    std::string systemDrive() override { return "/C"; }

private:
    static platform::EngineError notRegistered() {
        return {true, 429, "ActiveX component can't create object"};
    }
};

}  // namespace fakes
