#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/database_engine.h"

namespace fakes {

// DAO present or not, a locale, a system folder and file versions; the
// databases themselves are left to the real engines.
class FakeDatabaseEngine final : public platform::DatabaseEngine {
public:
    bool daoRegistered = false;
    std::uint32_t localeId = 0x409;
    std::map<std::string, std::string> versions;
    std::vector<std::string> created;

    platform::EngineResult<std::unique_ptr<platform::DaoEngine>> createDaoEngine() override {
        using R = platform::EngineResult<std::unique_ptr<platform::DaoEngine>>;
        if (!daoRegistered) return R::failure({true, 429, "ActiveX component can't create object"});
        return {std::make_unique<Dao>(*this), {}};
    }
    platform::EngineResult<std::unique_ptr<platform::DatabaseConnection>> createConnection()
        override {
        return platform::EngineResult<std::unique_ptr<platform::DatabaseConnection>>::failure(
            {true, 429, "ActiveX component can't create object"});
    }
    std::uint32_t defaultLocaleId() override { return localeId; }
    std::string fileVersion(const std::string& path) override {
        const auto found = versions.find(path);
        return found == versions.end() ? "" : found->second;
    }
    std::string systemFolder() override { return "/C/windows/system32"; }
    std::string systemDrive() override { return "/C"; }

private:
    class Dao final : public platform::DaoEngine {
    public:
        explicit Dao(FakeDatabaseEngine& owner) : owner_(owner) {}
        platform::EngineError createDatabase(const std::string& path,
                                             const std::string& order) override {
            owner_.created.push_back(path + order);
            return {};
        }
        platform::EngineError compactDatabase(const std::string&, const std::string&) override {
            return {};
        }

    private:
        FakeDatabaseEngine& owner_;
    };
};

}  // namespace fakes
