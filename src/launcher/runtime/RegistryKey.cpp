#include "runtime/RegistryKey.h"

#include "frontend/LauncherErrors.h"

namespace Harvella {

RegistryKey::RegistryKey(platform::Registry& registry, platform::RegistryHandle handle)
    : registry_(&registry), handle_(handle) {}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : registry_(other.registry_), handle_(other.handle_) {
    other.registry_ = nullptr;
}

RegistryKey::~RegistryKey() {
    if (registry_) registry_->closeKey(handle_);
}

RegistryKey RegistryKey::open(platform::Registry& registry, const std::string& path) {
    const auto opened = registry.openKey(path);
    if (!opened.ok()) throw RegistryKeyNotFoundError("Cannot open registry key: " + path);
    return RegistryKey(registry, opened.value);
}

RegistryKey RegistryKey::openOrCreate(platform::Registry& registry, const std::string& path) {
    const auto opened = registry.openKey(path);
    if (opened.ok()) return RegistryKey(registry, opened.value);
    const auto created = registry.createKey(path);
    if (!created.ok())
        throw RegistryCreationError(static_cast<std::int32_t>(created.error),
                                    "Failed to create registry key: " + path);
    return RegistryKey(registry, created.value);
}

std::string RegistryKey::getStringValue(const std::string& name) const {
    const auto read = registry_->queryValue(handle_, name, valueBufferSize);
    if (!read.ok())
        throw CannotReadRegistryKeyValueError(static_cast<std::int32_t>(read.error),
                                              "Cannot read registry key value: " + name);
    const auto type = read.value.type;
    if (type != platform::regtype::sz && type != platform::regtype::expandSz &&
        type != platform::regtype::multiSz)
        throw HarvellaError("Invalid type of the value: " + name);
    const std::string& data = read.value.data;
    return data.substr(0, data.find('\0'));
}

void RegistryKey::setStringValue(const std::string& name, const std::string& value) {
    setValue(name, {platform::regtype::expandSz, value + std::string(1, '\0')});
}

void RegistryKey::setDwordValue(const std::string& name, std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    setValue(name, {platform::regtype::dword, bytes});
}

void RegistryKey::setValue(const std::string& name, const platform::RegistryValue& value) {
    const platform::ErrorCode status = registry_->setValue(handle_, name, value);
    if (status != platform::winerr::success)
        throw CannotWriteRegistryKeyValueError(static_cast<std::int32_t>(status),
                                               "Cannot write registry key value: " + name);
}

}  // namespace Harvella
