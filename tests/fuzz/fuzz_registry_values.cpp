// A registry key's values file on the stand-in machine, which a person or an
// installer script may have written: every value reads without harm, and
// setting one value stores it exactly and leaves the others as they were.
// Input: the file's text, then after a NUL byte the name and, after another
// NUL, the text of the value to set.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "InputLines.h"
#include "StandInMachine.h"
#include "stand_ins/registry.h"

namespace {

using platform::posix::PosixRegistry;

constexpr std::size_t bufferSize = 1 << 20;

std::map<std::string, std::string> readAll(PosixRegistry& registry, platform::RegistryHandle key,
                                           const std::string& text) {
    std::map<std::string, std::string> values;
    fuzzsupport::forEachLine(text, [&](const std::string& line) {
        const std::string name = line.substr(0, line.find('='));
        const auto value = registry.queryValue(key, name, bufferSize);
        values[name] = value.ok() ? std::to_string(value.value.type) + ":" + value.value.data
                                  : "error " + std::to_string(value.error);
    });
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string folder = fuzzsupport::standInMachine() + "/registry/HKEY_LOCAL_MACHINE/Fuzz";
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t first = input.find('\0');
    const std::size_t second = first == std::string::npos ? first : input.find('\0', first + 1);
    const std::string text = input.substr(0, first);
    const std::string name =
        first == std::string::npos ? "" : input.substr(first + 1, second - first - 1);
    const std::string value = second == std::string::npos ? "" : input.substr(second + 1);

    PosixRegistry registry;
    const auto key = registry.createKey("Fuzz");
    if (!key.ok()) std::abort();
    std::ofstream(folder + "/values", std::ios::binary | std::ios::trunc) << text;
    auto before = readAll(registry, key.value, text);

    const platform::RegistryValue set{platform::regtype::sz, value + std::string(1, '\0')};
    if (registry.setValue(key.value, name, set) == platform::winerr::success) {
        const auto read = registry.queryValue(key.value, name, bufferSize);
        if (!read.ok() || read.value.type != set.type || read.value.data != set.data) std::abort();
        auto after = readAll(registry, key.value, text);
        before.erase(name);
        after.erase(name);
        if (before != after) std::abort();
    }
    registry.closeKey(key.value);
    return 0;
}
