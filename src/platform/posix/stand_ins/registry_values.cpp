#include "registry_values.h"

#include <cstdint>
#include <cstdlib>

#include "stand_in_files.h"

namespace platform::posix {
namespace {

const char* typeName(std::uint32_t type) {
    switch (type) {
        case regtype::sz:
            return "REG_SZ";
        case regtype::expandSz:
            return "REG_EXPAND_SZ";
        case regtype::multiSz:
            return "REG_MULTI_SZ";
        case regtype::dword:
            return "REG_DWORD";
        default:
            return nullptr;
    }
}

std::optional<std::uint32_t> typeOf(const std::string& name) {
    for (const std::uint32_t type :
         {regtype::sz, regtype::expandSz, regtype::multiSz, regtype::dword})
        if (name == typeName(type)) return type;
    return std::nullopt;
}

// The stored text leaves out the terminating NULs the registry keeps.
std::string withoutTerminators(std::string bytes, std::size_t count) {
    while (count-- > 0 && !bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    return bytes;
}

}  // namespace

std::optional<RegistryValue> decodeStoredValue(const std::string& stored) {
    const std::size_t colon = stored.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const auto type = typeOf(stored.substr(0, colon));
    if (!type) return std::nullopt;
    const std::string data = unescapeLineValue(stored.substr(colon + 1));
    if (*type == regtype::dword) {
        const auto number = static_cast<std::uint32_t>(std::strtoul(data.c_str(), nullptr, 10));
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
        return RegistryValue{*type, bytes};
    }
    const std::string terminator =
        *type == regtype::multiSz ? std::string(2, '\0') : std::string(1, '\0');
    return RegistryValue{*type, data + terminator};
}

std::optional<std::string> encodeStoredValue(const RegistryValue& value) {
    const char* name = typeName(value.type);
    if (!name) return std::nullopt;
    if (value.type == regtype::dword) {
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < 4 && i < value.data.size(); ++i)
            number |= static_cast<std::uint32_t>(static_cast<unsigned char>(value.data[i]))
                      << (8 * i);
        return std::string(name) + ":" + std::to_string(number);
    }
    const std::size_t terminators = value.type == regtype::multiSz ? 2 : 1;
    return std::string(name) + ":" + escapeLineValue(withoutTerminators(value.data, terminators));
}

}  // namespace platform::posix
