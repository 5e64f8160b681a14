#pragma once
#include <string>

#include "platform/error.h"

namespace platform {

// The file calls of the launcher, with the Win32 semantics it relies on.
class LauncherFiles {
public:
    virtual ~LauncherFiles() = default;
    // CreateFileA with CREATE_NEW, closed at once: an empty new file, or
    // 80 (file exists) leaving the existing one untouched.
    virtual ErrorCode createNew(const std::string& path) = 0;
    // DeleteFileA: 2 when there is no such file.
    virtual ErrorCode deleteFile(const std::string& path) = 0;
    // FindFirstFileA: 0 when a file or folder matches; "*" and "?" in the
    // last component match as patterns.
    virtual ErrorCode find(const std::string& path) = 0;
    // The whole file, opened for reading and writing with both shared, so a
    // read-only file fails like a missing one.
    virtual Result<std::string> readWritable(const std::string& path) = 0;
};

}  // namespace platform
