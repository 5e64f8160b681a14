#pragma once
#include "platform/dynamic_library.h"

namespace platform::posix {

class PosixDynamicLibraries final : public DynamicLibraries {
public:
    Result<LibraryHandle> load(const std::string& path) override;
    void* symbol(LibraryHandle library, const std::string& name) override;
    void release(LibraryHandle library) override;
};

class PosixWorkingDirectory final : public WorkingDirectory {
public:
    Result<std::string> get() override;
    ErrorCode set(const std::string& path) override;
};

}  // namespace platform::posix
