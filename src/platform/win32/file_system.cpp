// Win32 files and folders through the ANSI kernel32 calls.
#include "file_system.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <utility>

#include "file_bytes.h"
#include "owner_only.h"
#include "scoped_handle.h"

namespace platform::win32 {
namespace {

DWORD attributesOf(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

// Writes the bytes from the start and ends the file after them.
ErrorCode writeBytes(FileHandle file, const std::string& bytes) {
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return ::GetLastError();
    if (written != bytes.size()) return ERROR_DISK_FULL;
    if (!::SetEndOfFile(file.get())) return ::GetLastError();
    if (!::CloseHandle(file.release())) return ::GetLastError();
    return ERROR_SUCCESS;
}

ErrorCode writeAll(const std::string& path, const std::string& bytes) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return ::GetLastError();
    return writeBytes(std::move(file), bytes);
}

// CREATE_NEW fails on any existing name, a link included, and the security
// is given at creation: nobody else can have planted or opened the file.
ErrorCode createNew(const std::string& path, const std::string& bytes, bool ownerOnly) {
    OwnerOnlySecurity security;
    if (ownerOnly && !security.attributes()) return security.error();
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0,
                                  ownerOnly ? security.attributes() : nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return ::GetLastError();
    const ErrorCode error = writeBytes(std::move(file), bytes);
    if (error) ::DeleteFileA(path.c_str());
    return error;
}

// Writes over the file's content where it is: its attributes stay, and so
// does its access list unless the content is for its owner only.
ErrorCode writeInPlace(const std::string& path, const std::string& bytes, bool ownerOnly) {
    OwnerOnlySecurity security;
    if (ownerOnly && !security.attributes()) return security.error();
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE | (ownerOnly ? WRITE_DAC : 0), 0,
                                  ownerOnly ? security.attributes() : nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return ::GetLastError();
    if (ownerOnly) {
        if (const ErrorCode error = security.applyTo(file.get())) return error;
    }
    return writeBytes(std::move(file), bytes);
}

// A name beside the target that no other writer draws at the same moment.
std::string besideName(const std::string& path) {
    static unsigned counter = 0;
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".~%lx%x%lx", ::GetCurrentProcessId(), ++counter,
                  ::GetTickCount() & 0xFFFFFF);
    return path + suffix;
}

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (valid()) ::FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

bool isLink(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Calls `visit` with the path and attributes of every entry directly in the
// folder, stopping at the first error it returns. A folder that cannot be
// listed has no entries.
template <class Visit>
ErrorCode forEachEntry(const std::string& folder, Visit visit) {
    WIN32_FIND_DATAA entry;
    FindHandle find(::FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (!find.valid()) return ERROR_SUCCESS;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        if (const ErrorCode error = visit(folder + "\\" + name, entry.dwFileAttributes))
            return error;
    } while (::FindNextFileA(find.get(), &entry));
    return ERROR_SUCCESS;
}

// A junction or a directory link is removed as what it is, never entered:
// FILE_ATTRIBUTE_DIRECTORY alone would lead into the folder it points to.
ErrorCode deleteTree(const std::string& path) {
    const ErrorCode error =
        forEachEntry(path, [](const std::string& child, DWORD attributes) -> ErrorCode {
            if (isLink(attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                return ::RemoveDirectoryA(child.c_str()) ? ERROR_SUCCESS : ::GetLastError();
            if (!isLink(attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                return deleteTree(child);
            ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            return ::DeleteFileA(child.c_str()) ? ERROR_SUCCESS : ::GetLastError();
        });
    if (error) return error;
    return ::RemoveDirectoryA(path.c_str()) ? ERROR_SUCCESS : ::GetLastError();
}

ErrorCode findLink(const std::string& folder, std::string& link) {
    return forEachEntry(folder, [&](const std::string& child, DWORD attributes) -> ErrorCode {
        if (isLink(attributes)) {
            link = child;
            return ERROR_CANCELLED;
        }
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? findLink(child, link) : ERROR_SUCCESS;
    });
}

// Whether the two paths name one file (the same volume and file index).
bool sameFile(const std::string& a, const std::string& b) {
    const auto open = [](const std::string& path) {
        return FileHandle(::CreateFileA(path.c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    FileHandle first = open(a), second = open(b);
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return first.valid() && second.valid() && ::GetFileInformationByHandle(first.get(), &x) &&
           ::GetFileInformationByHandle(second.get(), &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// The root GetDiskFreeSpaceEx wants for a path: "C:\" for a drive path,
// "\\server\share\" for a UNC path (which names no drive), else the path.
std::string volumeRootOf(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':') return path.substr(0, 3);
    if (path.compare(0, 2, "\\\\") != 0) return path;
    const auto server = path.find('\\', 2);
    if (server == std::string::npos) return path + "\\";
    const auto share = path.find('\\', server + 1);
    return share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
}

class Win32FileLock final : public FileLock {
public:
    explicit Win32FileLock(FileHandle file) : file_(std::move(file)) {}

private:
    FileHandle file_;
};

}  // namespace

bool Win32FileSystem::fileExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::folderExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Result<std::string> Win32FileSystem::readFile(const std::string& path) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Result<std::string>::failure(::GetLastError());
    return readToEnd(file.get());
}

ErrorCode Win32FileSystem::writeFile(const std::string& path, const std::string& bytes) {
    return writeAll(path, bytes);
}

ErrorCode Win32FileSystem::createNewFile(const std::string& path, const std::string& bytes) {
    return createNew(path, bytes, true);
}

// A read-only file is refused as opening it for writing would refuse it; a
// folder that refuses a new file gets the content written in place.
// ReplaceFile keeps the replaced file's access list and attributes; content
// for the owner only takes the new file's private list with it instead.
// With AtLink::replaceLink a reparse point at the path counts as no file: the
// new file takes its name, and nothing is written through it.
ErrorCode Win32FileSystem::replaceFileContent(const std::string& path, const std::string& bytes,
                                              bool ownerOnly, AtLink atLink) {
    const DWORD attributes = attributesOf(path);
    const bool linkToReplace = atLink == AtLink::replaceLink && isLink(attributes);
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES && !linkToReplace;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return ERROR_ACCESS_DENIED;
    std::string temporary;
    ErrorCode error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        temporary = besideName(path);
        error = createNew(temporary, bytes, ownerOnly);
    }
    if (error == ERROR_ACCESS_DENIED && !linkToReplace) return writeInPlace(path, bytes, ownerOnly);
    if (error) return error;
    const BOOL replaced =
        exists && !ownerOnly
            ? ::ReplaceFileA(path.c_str(), temporary.c_str(), nullptr,
                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
            : ::MoveFileExA(temporary.c_str(), path.c_str(),
                            MOVEFILE_WRITE_THROUGH |
                                (exists || linkToReplace ? MOVEFILE_REPLACE_EXISTING : 0));
    if (!replaced) {
        error = ::GetLastError();
        ::DeleteFileA(temporary.c_str());
    }
    return error;
}

ErrorCode Win32FileSystem::deleteFile(const std::string& path) {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileA(path.c_str()) ? ERROR_SUCCESS : ::GetLastError();
}

ErrorCode Win32FileSystem::deleteFolder(const std::string& path) {
    if (!folderExists(path)) return ERROR_PATH_NOT_FOUND;
    if (isLink(attributesOf(path)))
        return ::RemoveDirectoryA(path.c_str()) ? ERROR_SUCCESS : ::GetLastError();
    return deleteTree(path);
}

Result<std::string> Win32FileSystem::firstLinkUnder(const std::string& folder) {
    if (!folderExists(folder)) return Result<std::string>::failure(ERROR_PATH_NOT_FOUND);
    std::string link;
    const ErrorCode error = findLink(folder, link);
    if (error && error != ERROR_CANCELLED) return Result<std::string>::failure(error);
    return {link, ERROR_SUCCESS};
}

Result<std::string> Win32FileSystem::finalPath(const std::string& path) {
    FileHandle file(::CreateFileA(path.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) return Result<std::string>::failure(::GetLastError());
    char buffer[MAX_PATH * 2];
    const DWORD length = ::GetFinalPathNameByHandleA(file.get(), buffer, sizeof buffer,
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= sizeof buffer)
        return Result<std::string>::failure(length ? ERROR_FILENAME_EXCED_RANGE : ::GetLastError());
    // The answer comes with the long-path prefix, which the callers' paths lack.
    std::string final(buffer, length);
    if (final.compare(0, 8, "\\\\?\\UNC\\") == 0) return {"\\" + final.substr(7), ERROR_SUCCESS};
    if (final.compare(0, 4, "\\\\?\\") == 0) return {final.substr(4), ERROR_SUCCESS};
    return {final, ERROR_SUCCESS};
}

// No sharing: a second open fails with a sharing violation while this handle
// lives, and the system closes it, deleting the file, when the process ends.
Result<std::unique_ptr<FileLock>> Win32FileSystem::lockFile(const std::string& path) {
    using R = Result<std::unique_ptr<FileLock>>;
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr));
    if (!file.valid()) return R::failure(::GetLastError());
    return {std::make_unique<Win32FileLock>(std::move(file)), ERROR_SUCCESS};
}

ErrorCode Win32FileSystem::moveFolder(const std::string& from, const std::string& to) {
    if (!folderExists(from)) return ERROR_PATH_NOT_FOUND;
    return ::MoveFileA(from.c_str(), to.c_str()) ? ERROR_SUCCESS : ::GetLastError();
}

ErrorCode Win32FileSystem::createFolder(const std::string& path) {
    return ::CreateDirectoryA(path.c_str(), nullptr) ? ERROR_SUCCESS : ::GetLastError();
}

Result<std::vector<std::string>> Win32FileSystem::listFiles(const std::string& folder) {
    using R = Result<std::vector<std::string>>;
    if (!folderExists(folder)) return R::failure(ERROR_PATH_NOT_FOUND);
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    FindHandle find(::FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (!find.valid()) return {names, ERROR_SUCCESS};
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(entry.cFileName);
    } while (::FindNextFileA(find.get(), &entry));
    return {names, ERROR_SUCCESS};
}

Result<std::string> Win32FileSystem::absolutePath(const std::string& path) {
    char buffer[MAX_PATH * 2];
    const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (length == 0 || length >= sizeof buffer) return Result<std::string>::failure(::GetLastError());
    return {std::string(buffer, length), ERROR_SUCCESS};
}

Result<std::uint64_t> Win32FileSystem::freeSpace(const std::string& path) {
    // The volume's root: the folder itself need not exist, and a file is no
    // folder at all.
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExA(volumeRootOf(path).c_str(), &available, nullptr, nullptr))
        return Result<std::uint64_t>::failure(::GetLastError());
    return {available.QuadPart, ERROR_SUCCESS};
}

std::string Win32FileSystem::tempFolder() {
    char buffer[MAX_PATH + 1];
    const DWORD length = ::GetTempPathA(sizeof buffer, buffer);
    std::string folder(buffer, length);
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

// The copy is made beside the destination and then takes its name, so that a
// copy cut short (a full disk) never stands under it; where the folder
// refuses a new file, CopyFile writes the destination, which a failure removes.
ErrorCode Win32FileSystem::copyFile(const std::string& from, const std::string& to) {
    if (sameFile(from, to)) return ERROR_SHARING_VIOLATION;
    const std::string beside = besideName(to);
    if (!::CopyFileA(from.c_str(), beside.c_str(), TRUE)) {
        const ErrorCode error = ::GetLastError();
        if (error != ERROR_ACCESS_DENIED) {
            ::DeleteFileA(beside.c_str());
            return error;
        }
        if (::CopyFileA(from.c_str(), to.c_str(), FALSE)) return ERROR_SUCCESS;
        const ErrorCode direct = ::GetLastError();
        if (direct != ERROR_ACCESS_DENIED && direct != ERROR_SHARING_VIOLATION)
            ::DeleteFileA(to.c_str());
        return direct;
    }
    if (::MoveFileExA(beside.c_str(), to.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return ERROR_SUCCESS;
    const ErrorCode error = ::GetLastError();
    ::DeleteFileA(beside.c_str());
    return error;
}

ErrorCode Win32FileSystem::moveFile(const std::string& from, const std::string& to,
                                   bool replaceExisting) {
    const DWORD flags = MOVEFILE_COPY_ALLOWED | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
    return ::MoveFileExA(from.c_str(), to.c_str(), flags) ? ERROR_SUCCESS : ::GetLastError();
}

Result<std::uint64_t> Win32FileSystem::fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return Result<std::uint64_t>::failure(::GetLastError());
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return Result<std::uint64_t>::failure(ERROR_FILE_NOT_FOUND);
    return {(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
            ERROR_SUCCESS};
}

}  // namespace platform::win32
