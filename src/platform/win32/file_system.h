#pragma once
#include "platform/file_system.h"

namespace platform::win32 {

class Win32FileSystem final : public FileSystem {
public:
    bool fileExists(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    Result<std::string> readFile(const std::string& path) override;
    ErrorCode writeFile(const std::string& path, const std::string& bytes) override;
    ErrorCode createNewFile(const std::string& path, const std::string& bytes) override;
    ErrorCode replaceFileContent(const std::string& path, const std::string& bytes, bool ownerOnly,
                                 AtLink atLink) override;
    ErrorCode deleteFile(const std::string& path) override;
    ErrorCode deleteFolder(const std::string& path) override;
    Result<std::string> firstLinkUnder(const std::string& folder) override;
    Result<std::string> finalPath(const std::string& path) override;
    Result<std::unique_ptr<FileLock>> lockFile(const std::string& path) override;
    ErrorCode moveFolder(const std::string& from, const std::string& to) override;
    ErrorCode createFolder(const std::string& path) override;
    Result<std::vector<std::string>> listFiles(const std::string& folder) override;
    Result<std::string> absolutePath(const std::string& path) override;
    Result<std::uint64_t> freeSpace(const std::string& path) override;
    std::string tempFolder() override;
    ErrorCode copyFile(const std::string& from, const std::string& to) override;
    ErrorCode moveFile(const std::string& from, const std::string& to,
                       bool replaceExisting) override;
    Result<std::uint64_t> fileSize(const std::string& path) override;
};

}  // namespace platform::win32
