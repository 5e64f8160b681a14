// Keys below HKEY_LOCAL_MACHINE; a 32-bit program gets the 32-bit view.
#include <windows.h>

#include <vector>

#include "launcher_seams.h"

namespace platform::win32 {
namespace {
HKEY keyOf(RegistryHandle key) {
    return reinterpret_cast<HKEY>(key);
}
}  // namespace

Result<RegistryHandle> Win32Registry::openKey(const std::string& path) {
    HKEY key = nullptr;
    const LONG status = ::RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key);
    if (status != ERROR_SUCCESS) return Result<RegistryHandle>::failure(status);
    return {reinterpret_cast<RegistryHandle>(key), winerr::success};
}

Result<RegistryHandle> Win32Registry::createKey(const std::string& path) {
    HKEY key = nullptr;
    const LONG status = ::RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key);
    if (status != ERROR_SUCCESS) return Result<RegistryHandle>::failure(status);
    return {reinterpret_cast<RegistryHandle>(key), winerr::success};
}

void Win32Registry::closeKey(RegistryHandle key) {
    ::RegCloseKey(keyOf(key));
}

Result<RegistryValue> Win32Registry::queryValue(RegistryHandle key, const std::string& name,
                                                std::size_t bufferSize) {
    std::vector<BYTE> buffer(bufferSize);
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(bufferSize);
    const LONG status =
        ::RegQueryValueExA(keyOf(key), name.c_str(), nullptr, &type, buffer.data(), &size);
    if (status != ERROR_SUCCESS) return Result<RegistryValue>::failure(status);
    return {RegistryValue{type, std::string(reinterpret_cast<const char*>(buffer.data()), size)},
            winerr::success};
}

ErrorCode Win32Registry::setValue(RegistryHandle key, const std::string& name,
                                  const RegistryValue& value) {
    return ::RegSetValueExA(keyOf(key), name.c_str(), 0, value.type,
                            reinterpret_cast<const BYTE*>(value.data.data()),
                            static_cast<DWORD>(value.data.size()));
}

}  // namespace platform::win32
