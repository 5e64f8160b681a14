#pragma once
#include <cstdint>
#include <string>

#include "FileSystemObject.h"

namespace Quimbo {

// The temporary folder + a fresh random name; the file is not created.
std::string GetTempFilePath(FileSystemObject& fso);
void DeleteFileQuietly(const std::string& path, FileSystemObject& fso);
void DeleteFolderQuietly(const std::string& path, FileSystemObject& fso);
// Creates the folder and every missing folder above it; failures raise.
void CreateFolderPath(const std::string& path, FileSystemObject& fso);
// Free bytes on the drive that holds the path; failures raise.
std::uint64_t GetFreeSpace(const std::string& path, FileSystemObject& fso);

}  // namespace Quimbo
