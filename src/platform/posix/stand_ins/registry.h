#pragma once
#include <chrono>
#include <map>
#include <mutex>

#include "platform/registry.h"

namespace platform::posix {

// The registry stand-in: a key is a folder under <root>/registry/, its values
// are lines "Name=TYPE:data" of the file `values` in that folder.
class PosixRegistry final : public Registry {
public:
    // Writers of one key take turns; one that waits longer than `writerWait`
    // for the key's holder (a suspended process) fails with 258.
    static constexpr std::chrono::milliseconds writerWaitLimit{30000};
    explicit PosixRegistry(std::chrono::milliseconds writerWait = writerWaitLimit)
        : writerWait_(writerWait) {}

    Result<RegistryHandle> openKey(const std::string& path) override;
    Result<RegistryHandle> createKey(const std::string& path) override;
    void closeKey(RegistryHandle key) override;
    Result<RegistryValue> queryValue(RegistryHandle key, const std::string& name,
                                     std::size_t bufferSize) override;
    ErrorCode setValue(RegistryHandle key, const std::string& name,
                       const RegistryValue& value) override;

private:
    RegistryHandle remember(const std::string& folder);
    std::string folderOf(RegistryHandle key);

    const std::chrono::milliseconds writerWait_;
    std::mutex mutex_;
    std::map<RegistryHandle, std::string> open_;
    RegistryHandle next_ = 1;
};

}  // namespace platform::posix
