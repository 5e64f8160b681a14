#pragma once
#include <cstdint>
#include <string>

#include "platform/error.h"

namespace platform {

using LibraryHandle = std::uintptr_t;

// Shared libraries loaded at run time (LoadLibraryA, dlopen).
class DynamicLibraries {
public:
    virtual ~DynamicLibraries() = default;
    // 126 (module not found) when the file is missing or cannot be loaded.
    virtual Result<LibraryHandle> load(const std::string& path) = 0;
    // The exported function or variable; nullptr when there is none.
    virtual void* symbol(LibraryHandle library, const std::string& name) = 0;
    virtual void release(LibraryHandle library) = 0;
};

// The process's current directory.
class WorkingDirectory {
public:
    virtual ~WorkingDirectory() = default;
    virtual Result<std::string> get() = 0;
    virtual ErrorCode set(const std::string& path) = 0;
};

}  // namespace platform
