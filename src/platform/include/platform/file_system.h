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
    // Creates a file that must not exist yet and writes the bytes. A link in
    // its place counts as existing and is not followed; only the owner may
    // read or write the file, from the moment it exists. fileExists when the
    // name is taken: temporary files in shared folders are made this way.
    virtual ErrorCode createNewFile(const std::string& path, const std::string& bytes) = 0;
    // Gives a file new content so that no reader ever sees half of it: the
    // bytes go to a new file beside it, which then takes its place. The file
    // stays what it was (its permissions and owner, a link leading to it); a
    // read-only file is refused with accessDenied as a direct write would be;
    // where no file can be made beside it, it is written in place.
    // `ownerOnly`: only the owner may read the result (a secret).
    virtual ErrorCode replaceFileContent(const std::string& path, const std::string& bytes,
                                         bool ownerOnly) = 0;
    // Deletes a file, read-only ones included.
    virtual ErrorCode deleteFile(const std::string& path) = 0;
    // Deletes a folder with everything in it, read-only files included.
    virtual ErrorCode deleteFolder(const std::string& path) = 0;
    // Moves or renames a folder with everything in it; fails when something
    // exists at `to` already.
    virtual ErrorCode moveFolder(const std::string& from, const std::string& to) = 0;
    // Creates one folder; its parent must exist.
    virtual ErrorCode createFolder(const std::string& path) = 0;
    // Names (not paths) of the files directly inside a folder.
    virtual Result<std::vector<std::string>> listFiles(const std::string& folder) = 0;

    virtual Result<std::string> absolutePath(const std::string& path) = 0;
    // Free bytes, for the caller, on the volume that holds the path.
    virtual Result<std::uint64_t> freeSpace(const std::string& path) = 0;
    // The user's temporary folder, without a trailing separator.
    virtual std::string tempFolder() = 0;

    // Copies a file over the destination, which may exist. A file is never
    // copied onto itself: that fails with 32 and leaves it as it was.
    virtual ErrorCode copyFile(const std::string& from, const std::string& to) = 0;
    // Renames a file. A destination that exists fails with 183, or with
    // `replaceExisting` is replaced in one step.
    virtual ErrorCode moveFile(const std::string& from, const std::string& to,
                               bool replaceExisting) = 0;
    virtual Result<std::uint64_t> fileSize(const std::string& path) = 0;
};

}  // namespace platform
