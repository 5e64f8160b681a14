#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"

namespace platform {

// What a write does with a symbolic link (on Windows any reparse point) at
// its path.
enum class AtLink {
    writeThrough,  // the file the link leads to gets the content
    replaceLink,   // the path gets a file of its own; what the link led to stays
};

// Held for as long as it lives, and never longer than the process.
class FileLock {
public:
    virtual ~FileLock() = default;
};

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
    // `ownerOnly`: only the owner may read the result (a secret). With
    // AtLink::replaceLink a link at the path is replaced rather than
    // followed, and a file that other hard links share is never written in
    // place: for files in a folder someone else may plant links in.
    virtual ErrorCode replaceFileContent(const std::string& path, const std::string& bytes,
                                         bool ownerOnly, AtLink atLink) = 0;
    // Deletes a file, read-only ones included.
    virtual ErrorCode deleteFile(const std::string& path) = 0;
    // Deletes a folder with everything in it, read-only files included. A
    // link inside (a junction, a directory link) is removed as a link; what
    // it leads to is never entered.
    virtual ErrorCode deleteFolder(const std::string& path) = 0;
    // The first symbolic link (on Windows any reparse point) anywhere under
    // the folder, none of them entered; "" when there is none.
    virtual Result<std::string> firstLinkUnder(const std::string& folder) = 0;
    // The path with every link on the way resolved: where the file really is.
    virtual Result<std::string> finalPath(const std::string& path) = 0;
    // Takes the file at the path (made when missing) as a lock that no other
    // process can take while this one holds it: sharingViolation then. The
    // system lets it go when the process ends, however it ends.
    virtual Result<std::unique_ptr<FileLock>> lockFile(const std::string& path) = 0;
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
    // copied onto itself: that fails with 32 and leaves it as it was. A copy
    // that fails leaves no part of itself under the destination's name.
    virtual ErrorCode copyFile(const std::string& from, const std::string& to) = 0;
    // Renames a file. A destination that exists fails with 183, or with
    // `replaceExisting` is replaced in one step; a read-only one is refused
    // with accessDenied, as Windows refuses it.
    virtual ErrorCode moveFile(const std::string& from, const std::string& to,
                               bool replaceExisting) = 0;
    virtual Result<std::uint64_t> fileSize(const std::string& path) = 0;
};

}  // namespace platform
