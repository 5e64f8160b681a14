#include "FileFuncsModule.h"

#include "FailureRecord.h"

namespace Quimbo {

std::string GetTempFilePath(FileSystemObject& fso) {
    const std::string folder = fso.TempFolder();
    std::string path;
    do {
        path = fso.BuildPath(folder, fso.GetTempName());
    } while (fso.FileExists(path));
    return path;
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
