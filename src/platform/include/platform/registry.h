#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/error.h"

namespace platform {

// Value types as the registry numbers them.
namespace regtype {
constexpr std::uint32_t none = 0;
constexpr std::uint32_t sz = 1;
constexpr std::uint32_t expandSz = 2;
constexpr std::uint32_t binary = 3;
constexpr std::uint32_t dword = 4;
constexpr std::uint32_t multiSz = 7;
}  // namespace regtype

// ERROR_MORE_DATA: the value does not fit the caller's buffer.
constexpr ErrorCode registryMoreData = 234;

using RegistryHandle = std::uintptr_t;

// A value's type and its bytes as stored: strings with their terminating NUL,
// a REG_DWORD as four little-endian bytes.
struct RegistryValue {
    std::uint32_t type = 0;
    std::string data;
};

// Keys below HKEY_LOCAL_MACHINE, in the registry view of a 32-bit program.
// Failures carry the registry function's status.
class Registry {
public:
    virtual ~Registry() = default;
    // RegOpenKeyA: an existing key only.
    virtual Result<RegistryHandle> openKey(const std::string& path) = 0;
    // RegCreateKeyA: opens the key, creating it and its missing parents.
    virtual Result<RegistryHandle> createKey(const std::string& path) = 0;
    virtual void closeKey(RegistryHandle key) = 0;
    // RegQueryValueExA into a buffer of `bufferSize` bytes: registryMoreData
    // when the value is larger, 2 when it is missing.
    virtual Result<RegistryValue> queryValue(RegistryHandle key, const std::string& name,
                                             std::size_t bufferSize) = 0;
    // RegSetValueExA with exactly the given bytes.
    virtual ErrorCode setValue(RegistryHandle key, const std::string& name,
                               const RegistryValue& value) = 0;
};

}  // namespace platform
