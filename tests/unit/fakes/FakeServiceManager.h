#pragma once
// An in-memory service manager whose services play back scripted states and
// write every call into a journal, so that tests can check the order of calls.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/service_manager.h"

namespace servicefakes {

using Journal = std::vector<std::string>;

struct FakeService {
    platform::ServiceConfig config;
    // Each query takes the next status; the last one repeats.
    std::vector<platform::ServiceStatus> script{platform::ServiceStatus{}};
    std::size_t queries = 0;
    platform::ErrorCode startError = 0, controlError = 0, queryError = 0, removeError = 0;
    // Starts refused with 1056, as while an old process is on its way out.
    int startsRefused = 0;
    // A deleted service stays visible while this many more opens succeed.
    int opensAfterRemove = 0;
    bool removed = false;
    std::string description;
};

inline platform::ServiceStatus statusOf(std::uint32_t state, std::uint32_t win32ExitCode = 0,
                                        std::uint32_t specific = 0) {
    platform::ServiceStatus status;
    status.currentState = state;
    status.win32ExitCode = win32ExitCode;
    status.serviceSpecificExitCode = specific;
    return status;
}

class FakeServiceManager final : public platform::ServiceManager {
public:
    std::map<std::string, FakeService> services;
    Journal& journal;
    platform::ErrorCode connectError = 0, openError = 0, lockError = 0, createError = 0;
    // The rights the last open asked for.
    std::uint32_t openAccess = 0;

    explicit FakeServiceManager(Journal& sharedJournal) : journal(sharedJournal) {}

    // A fresh service under the name, replacing one added before.
    FakeService& add(const std::string& name, std::vector<platform::ServiceStatus> script) {
        FakeService& service = services[name] = FakeService{};
        service.config.name = name;
        service.script = std::move(script);
        return service;
    }
    void dependOn(const std::string& name, const std::vector<std::string>& dependencies) {
        std::string multiString;
        for (const auto& dependency : dependencies)
            multiString += dependency + '\0';
        services[name].config.dependencies =
            (multiString.empty() ? std::string(1, '\0') : multiString) + '\0';
    }

    platform::Result<std::unique_ptr<platform::ServiceManagerConnection>> connect(
        std::uint32_t access) override;
};

class FakeHandle final : public platform::ServiceHandle {
public:
    FakeHandle(FakeServiceManager& manager, std::string name)
        : manager_(manager), name_(std::move(name)) {}

    platform::ErrorCode start() override {
        log("start " + name_);
        if (service().startsRefused > 0) {
            --service().startsRefused;
            return platform::winerr::serviceAlreadyRunning;
        }
        return service().startError;
    }
    platform::Result<platform::ServiceStatus> control(std::uint32_t code) override {
        log("control " + std::to_string(code) + " " + name_);
        if (service().controlError)
            return platform::Result<platform::ServiceStatus>::failure(service().controlError);
        return {current(), 0};
    }
    platform::Result<platform::ServiceStatus> queryStatus() override {
        log("query " + name_);
        FakeService& s = service();
        if (s.queryError) return platform::Result<platform::ServiceStatus>::failure(s.queryError);
        const auto status = current();
        ++s.queries;
        return {status, 0};
    }
    platform::Result<platform::ServiceConfig> queryConfig() override {
        return {service().config, 0};
    }
    platform::ErrorCode remove() override {
        log("delete " + name_);
        if (service().removeError) return service().removeError;
        service().removed = true;
        return 0;
    }
    platform::ErrorCode setDescription(const std::string& description) override {
        service().description = description;
        return 0;
    }

private:
    FakeService& service() { return manager_.services.at(name_); }
    platform::ServiceStatus current() {
        FakeService& s = service();
        return s.script.at(std::min(s.queries, s.script.size() - 1));
    }
    void log(const std::string& entry) { manager_.journal.push_back(entry); }

    FakeServiceManager& manager_;
    std::string name_;
};

class FakeLock final : public platform::ServiceDatabaseLock {
public:
    explicit FakeLock(Journal& journal) : journal_(journal) { journal_.push_back("lock"); }
    ~FakeLock() override { journal_.push_back("unlock"); }

private:
    Journal& journal_;
};

class FakeConnection final : public platform::ServiceManagerConnection {
public:
    explicit FakeConnection(FakeServiceManager& manager) : manager_(manager) {}

    platform::Result<std::unique_ptr<platform::ServiceHandle>> open(const std::string& name,
                                                                    std::uint32_t access) override {
        using R = platform::Result<std::unique_ptr<platform::ServiceHandle>>;
        manager_.openAccess = access;
        if (manager_.openError) return R::failure(manager_.openError);
        const auto found = manager_.services.find(name);
        if (found == manager_.services.end())
            return R::failure(platform::winerr::serviceDoesNotExist);
        if (found->second.removed) {
            if (found->second.opensAfterRemove == 0) {
                manager_.services.erase(found);
                return R::failure(platform::winerr::serviceDoesNotExist);
            }
            --found->second.opensAfterRemove;
        }
        return {std::make_unique<FakeHandle>(manager_, name), 0};
    }
    platform::Result<std::unique_ptr<platform::ServiceHandle>> create(
        const platform::ServiceConfig& config) override {
        using R = platform::Result<std::unique_ptr<platform::ServiceHandle>>;
        manager_.journal.push_back("create " + config.name);
        if (manager_.createError) return R::failure(manager_.createError);
        if (manager_.services.count(config.name))
            return R::failure(platform::winerr::serviceExists);
        manager_.services[config.name].config = config;
        return {std::make_unique<FakeHandle>(manager_, config.name), 0};
    }
    platform::Result<std::unique_ptr<platform::ServiceDatabaseLock>> lock() override {
        using R = platform::Result<std::unique_ptr<platform::ServiceDatabaseLock>>;
        if (manager_.lockError) return R::failure(manager_.lockError);
        return {std::make_unique<FakeLock>(manager_.journal), 0};
    }

private:
    FakeServiceManager& manager_;
};

inline platform::Result<std::unique_ptr<platform::ServiceManagerConnection>>
FakeServiceManager::connect(std::uint32_t) {
    using R = platform::Result<std::unique_ptr<platform::ServiceManagerConnection>>;
    if (connectError) return R::failure(connectError);
    return {std::make_unique<FakeConnection>(*this), 0};
}

inline std::size_t countOf(const Journal& journal, const std::string& entry) {
    std::size_t count = 0;
    for (const auto& e : journal)
        count += e == entry;
    return count;
}

}  // namespace servicefakes
