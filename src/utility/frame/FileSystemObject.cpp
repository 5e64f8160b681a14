#include "FileSystemObject.h"

#include <cstdio>

#include "FailureRecord.h"
#include "VbErrors.h"

namespace Quimbo {
namespace {

void raiseOn(platform::ErrorCode error, const std::string& source) {
    using namespace platform::winerr;
    switch (error) {
    case success: return;
    case fileNotFound: throw vbError(VbError::fileNotFound, source);
    case pathNotFound: throw vbError(VbError::pathNotFound, source);
    case accessDenied:
    case sharingViolation: throw vbError(VbError::permissionDenied, source);
    case fileExists:
    case alreadyExists: throw vbError(VbError::fileAlreadyExists, source);
    case diskFull:
    case handleDiskFull: throw vbError(VbError::diskFull, source);
    case invalidName:
    case filenameTooLong: throw vbError(VbError::badFileNameOrNumber, source);
    default: throw vbError(VbError::invalidProcedureCall, source);
    }
}

template <class T>
T valueOrRaise(platform::Result<T> result, const std::string& source) {
    raiseOn(result.error, source);
    return std::move(result.value);
}

}  // namespace

FileSystemObject::FileSystemObject(platform::FileSystem& files, platform::Random& random,
                                   const platform::Conventions& conventions)
    : files_(files), random_(random), conventions_(conventions) {}

std::string FileSystemObject::BuildPath(const std::string& folder, const std::string& name) const {
    return folder + Separator() + name;
}

std::string FileSystemObject::GetParentFolderName(const std::string& path) const {
    const auto last = path.find_last_of(Separator());
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

bool FileSystemObject::FileExists(const std::string& path) { return files_.fileExists(path); }

bool FileSystemObject::FolderExists(const std::string& path) { return files_.folderExists(path); }

std::string FileSystemObject::ReadAll(const std::string& path) {
    return valueOrRaise(files_.readFile(path), path);
}

void FileSystemObject::CreateNew(const std::string& path, const std::string& text) {
    raiseOn(files_.createNewFile(path, text), path);
}

void FileSystemObject::ReplaceContent(const std::string& path, const std::string& text,
                                      bool ownerOnly) {
    raiseOn(files_.replaceFileContent(path, text, ownerOnly, platform::AtLink::writeThrough), path);
}

void FileSystemObject::ReplaceFile(const std::string& path, const std::string& text,
                                   bool ownerOnly) {
    raiseOn(files_.replaceFileContent(path, text, ownerOnly, platform::AtLink::replaceLink), path);
}

void FileSystemObject::DeleteFile(const std::string& path) {
    raiseOn(files_.deleteFile(path), path);
}

void FileSystemObject::DeleteFolder(const std::string& path) {
    raiseOn(files_.deleteFolder(path), path);
}

std::string FileSystemObject::FirstLinkUnder(const std::string& folder) {
    return valueOrRaise(files_.firstLinkUnder(folder), folder);
}

void FileSystemObject::MoveFolder(const std::string& from, const std::string& to) {
    raiseOn(files_.moveFolder(from, to), from);
}

void FileSystemObject::CreateFolder(const std::string& path) {
    if (files_.folderExists(path)) throw vbError(VbError::fileAlreadyExists, path);
    raiseOn(files_.createFolder(path), path);
}

std::vector<std::string> FileSystemObject::ListFiles(const std::string& folder) {
    return valueOrRaise(files_.listFiles(folder), folder);
}

std::string FileSystemObject::GetAbsolutePathName(const std::string& path) {
    return valueOrRaise(files_.absolutePath(path), path);
}

std::uint64_t FileSystemObject::GetFreeSpace(const std::string& path) {
    return valueOrRaise(files_.freeSpace(path), path);
}

void FileSystemObject::CopyFile(const std::string& from, const std::string& to) {
    raiseOn(files_.copyFile(from, to), from);
}

void FileSystemObject::MoveFile(const std::string& from, const std::string& to) {
    raiseOn(files_.moveFile(from, to, false), from);
}

void FileSystemObject::MoveFileOver(const std::string& from, const std::string& to) {
    raiseOn(files_.moveFile(from, to, true), to);
}

std::uint64_t FileSystemObject::GetFileSize(const std::string& path) {
    return valueOrRaise(files_.fileSize(path), path);
}

std::string FileSystemObject::GetTempName() {
    char name[16];
    std::snprintf(name, sizeof name, "rad%05X.tmp", random_.bits() & 0xFFFFFu);
    return name;
}

std::string FileSystemObject::TempFolder() { return files_.tempFolder(); }

}  // namespace Quimbo
