#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/error.h"

namespace platform {

// Files and folders by path. Paths are plain strings composed by the caller.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool fileExists(const std::string& path) = 0;
    virtual bool folderExists(const std::string& path) = 0;

    virtual Result<std::string> readFile(const std::string& path) = 0;
    // Creates or truncates the file and writes the bytes.
    virtual ErrorCode writeFile(const std::string& path, const std::string& bytes) = 0;
    // As writeFile, but the file is readable and writable by its owner only,
    // from the moment it exists: for files that hold a secret.
    virtual ErrorCode writePrivateFile(const std::string& path, const std::string& bytes) = 0;
    // Puts `from` in the place of `to`, replacing it in one step where the system can.
    virtual ErrorCode replaceFile(const std::string& from, const std::string& to) = 0;
    // Deletes a file, read-only ones included.
    virtual ErrorCode deleteFile(const std::string& path) = 0;
    // Deletes a folder with everything in it, read-only files included.
    virtual ErrorCode deleteFolder(const std::string& path) = 0;
    // Creates one folder; its parent must exist.
    virtual ErrorCode createFolder(const std::string& path) = 0;
    // Names (not paths) of the files directly inside a folder.
    virtual Result<std::vector<std::string>> listFiles(const std::string& folder) = 0;

    virtual Result<std::string> absolutePath(const std::string& path) = 0;
    // Free bytes, for the caller, on the volume that holds the path.
    virtual Result<std::uint64_t> freeSpace(const std::string& path) = 0;
    // The user's temporary folder, without a trailing separator.
    virtual std::string tempFolder() = 0;
};

}  // namespace platform
