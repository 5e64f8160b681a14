#include "FileFuncsModule.h"

#include "FailureRecord.h"
#include "VbErrors.h"

namespace Quimbo {

std::string CreateTempFile(FileSystemObject& fso, const std::string& suffix,
                           const std::string& text) {
    return CreateTempFileIn(fso, fso.TempFolder(), suffix, text);
}

std::string CreateTempFileIn(FileSystemObject& fso, const std::string& folder,
                             const std::string& suffix, const std::string& text) {
    while (true) {
        const std::string path = fso.BuildPath(folder, fso.GetTempName() + suffix);
        try {
            fso.CreateNew(path, text);
            return path;
        } catch (const FailureRecord& failure) {
            if (failure.number != static_cast<std::int32_t>(VbError::fileAlreadyExists)) throw;
        }
    }
}

void DeleteFileQuietly(const std::string& path, FileSystemObject& fso) {
    try {
        fso.DeleteFile(path);
    } catch (const FailureRecord&) {
    }
}

void DeleteFolderQuietly(const std::string& path, FileSystemObject& fso) {
    try {
        fso.DeleteFolder(path);
    } catch (const FailureRecord&) {
    }
}

void CreateFolderPath(const std::string& path, FileSystemObject& fso) {
    if (path.empty() || fso.FolderExists(path)) return;
    CreateFolderPath(fso.GetParentFolderName(path), fso);
    fso.CreateFolder(path);
}

std::uint64_t GetFreeSpace(const std::string& path, FileSystemObject& fso) {
    return fso.GetFreeSpace(fso.GetAbsolutePathName(path));
}

}  // namespace Quimbo
