#pragma once
// POSIX side only: the text form of registry values in a key's `values` file.
#include <optional>
#include <string>

#include "platform/registry.h"

namespace platform::posix {

// "TYPE:data" as stored, into the bytes RegQueryValueExA would give;
// nothing for a type the stand-in does not know.
std::optional<RegistryValue> decodeStoredValue(const std::string& stored);
// The bytes of RegSetValueExA into "TYPE:data"; nothing for an unknown type.
std::optional<std::string> encodeStoredValue(const RegistryValue& value);

}  // namespace platform::posix
