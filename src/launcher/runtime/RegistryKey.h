#pragma once
#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace Harvella {

// One open key below HKEY_LOCAL_MACHINE, closed when the object goes, also
// when one of its operations has thrown.
class RegistryKey {
public:
    // The largest value read, its terminating NUL included.
    static constexpr std::size_t valueBufferSize = 2048;

    // An existing key; RegistryKeyNotFoundError otherwise.
    static RegistryKey open(platform::Registry& registry, const std::string& path);
    // Opens the key, or creates it when it cannot be opened.
    static RegistryKey openOrCreate(platform::Registry& registry, const std::string& path);

    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&&) = delete;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    // A REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ value's text up to its first
    // NUL: environment references stay unexpanded, a multi-string gives its first.
    std::string getStringValue(const std::string& name) const;
    // Stored as REG_EXPAND_SZ, with the terminating NUL.
    void setStringValue(const std::string& name, const std::string& value);
    void setDwordValue(const std::string& name, std::uint32_t value);

private:
    RegistryKey(platform::Registry& registry, platform::RegistryHandle handle);
    void setValue(const std::string& name, const platform::RegistryValue& value);

    platform::Registry* registry_;
    platform::RegistryHandle handle_;
};

}  // namespace Harvella
