// Win32 files and folders through the ANSI kernel32 calls.
#include "file_system.h"

#include <windows.h>

#include <cstdio>
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

ErrorCode deleteTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    {
        FindHandle find(::FindFirstFileA((path + "\\*").c_str(), &entry));
        if (find.valid()) {
            do {
                const std::string name = entry.cFileName;
                if (name == "." || name == "..") continue;
                const std::string child = path + "\\" + name;
                ErrorCode error = ERROR_SUCCESS;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    error = deleteTree(child);
                } else {
                    ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                    if (!::DeleteFileA(child.c_str())) error = ::GetLastError();
                }
                if (error) return error;
            } while (::FindNextFileA(find.get(), &entry));
        }
    }
    return ::RemoveDirectoryA(path.c_str()) ? ERROR_SUCCESS : ::GetLastError();
}

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
ErrorCode Win32FileSystem::replaceFileContent(const std::string& path, const std::string& bytes,
                                              bool ownerOnly) {
    const DWORD attributes = attributesOf(path);
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return ERROR_ACCESS_DENIED;
    std::string temporary;
    ErrorCode error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        temporary = besideName(path);
        error = createNew(temporary, bytes, ownerOnly);
    }
    if (error == ERROR_ACCESS_DENIED) return writeInPlace(path, bytes, ownerOnly);
    if (error) return error;
    const BOOL replaced =
        exists && !ownerOnly
            ? ::ReplaceFileA(path.c_str(), temporary.c_str(), nullptr,
                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
            : ::MoveFileExA(temporary.c_str(), path.c_str(),
                            MOVEFILE_WRITE_THROUGH | (exists ? MOVEFILE_REPLACE_EXISTING : 0));
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
    return deleteTree(path);
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
    // The drive's root: the folder itself need not exist.
    const std::string root = path.size() >= 3 && path[1] == ':' ? path.substr(0, 3) : path;
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr))
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

ErrorCode Win32FileSystem::copyFile(const std::string& from, const std::string& to) {
    return ::CopyFileA(from.c_str(), to.c_str(), FALSE) ? ERROR_SUCCESS : ::GetLastError();
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
