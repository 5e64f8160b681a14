#include "dynamic_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "errno_map.h"

namespace platform::posix {

namespace {
constexpr ErrorCode modNotFound = 126;
}

Result<LibraryHandle> PosixDynamicLibraries::load(const std::string& path) {
    // The JVM resolves its own siblings by name: its symbols go global.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!handle) {
        const bool present = ::access(path.c_str(), F_OK) == 0;
        return Result<LibraryHandle>::failure(
            setLastError(present ? winerr::badExeFormat : modNotFound));
    }
    return {reinterpret_cast<LibraryHandle>(handle), winerr::success};
}

void* PosixDynamicLibraries::symbol(LibraryHandle library, const std::string& name) {
    return ::dlsym(reinterpret_cast<void*>(library), name.c_str());
}

void PosixDynamicLibraries::release(LibraryHandle library) {
    ::dlclose(reinterpret_cast<void*>(library));
}

Result<std::string> PosixWorkingDirectory::get() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return Result<std::string>::failure(setLastErrorFromErrno());
        buffer.resize(buffer.size() * 2);
    }
    return {buffer.data(), winerr::success};
}

ErrorCode PosixWorkingDirectory::set(const std::string& path) {
    return ::chdir(path.c_str()) == 0 ? winerr::success : setLastErrorForPath(path);
}

}  // namespace platform::posix
