#pragma once
#include <cstdint>
#include <string>

#include "FileSystemObject.h"

namespace Quimbo {

// Creates a new file in the temporary folder, named by a fresh random name and
// the suffix, holding the text, and returns its path. Only its owner may use
// it from the first byte, and it is never a file or link someone else put
// there: a taken name (suffix included) draws another. Other failures raise.
std::string CreateTempFile(FileSystemObject& fso, const std::string& suffix = "",
                           const std::string& text = "");
// The same in the given folder.
std::string CreateTempFileIn(FileSystemObject& fso, const std::string& folder,
                             const std::string& suffix, const std::string& text);
void DeleteFileQuietly(const std::string& path, FileSystemObject& fso);
void DeleteFolderQuietly(const std::string& path, FileSystemObject& fso);
// Creates the folder and every missing folder above it; failures raise.
void CreateFolderPath(const std::string& path, FileSystemObject& fso);
// Free bytes on the drive that holds the path; failures raise.
std::uint64_t GetFreeSpace(const std::string& path, FileSystemObject& fso);

}  // namespace Quimbo
