#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/conventions.h"
#include "platform/file_system.h"
#include "platform/random.h"

namespace Quimbo {

// The file-system service that each action creates once and hands to every
// helper object. Failures raise a FailureRecord with the run-time error's
// number and text ("File not found", "Path not found", …).
class FileSystemObject {
public:
    FileSystemObject(platform::FileSystem& files, platform::Random& random,
                     const platform::Conventions& conventions);

    const std::string& Separator() const { return conventions_.separator; }
    std::string BuildPath(const std::string& folder, const std::string& name) const;
    std::string GetParentFolderName(const std::string& path) const;

    bool FileExists(const std::string& path);
    bool FolderExists(const std::string& path);
    std::string ReadAll(const std::string& path);
    // A file that must not exist yet (nor a link in its place), private to its
    // owner from the first byte. Raises "File already exists" when it does.
    void CreateNew(const std::string& path, const std::string& text);
    // New content that no reader sees half-written; `ownerOnly` for a secret.
    // A link at the path leads to the file that gets it.
    void ReplaceContent(const std::string& path, const std::string& text, bool ownerOnly);
    // The same for a file in a folder where someone else may plant links (the
    // MySQL folder, whose data folder the server's account owns): a link at
    // the path is replaced, never written through.
    void ReplaceFile(const std::string& path, const std::string& text, bool ownerOnly);
    void DeleteFile(const std::string& path);
    void DeleteFolder(const std::string& path);
    // The first link anywhere under the folder, "" when there is none.
    std::string FirstLinkUnder(const std::string& folder);
    void MoveFolder(const std::string& from, const std::string& to);
    void CreateFolder(const std::string& path);
    std::vector<std::string> ListFiles(const std::string& folder);
    std::string GetAbsolutePathName(const std::string& path);
    std::uint64_t GetFreeSpace(const std::string& path);
    // Overwrites the destination; a file copied onto itself fails.
    void CopyFile(const std::string& from, const std::string& to);
    // Fails with "File already exists" when the destination is taken.
    void MoveFile(const std::string& from, const std::string& to);
    // The file takes the destination's place in one step; readers see the
    // old file or the new one, never neither.
    void MoveFileOver(const std::string& from, const std::string& to);
    std::uint64_t GetFileSize(const std::string& path);

    // A fresh random file name ("radXXXXX.tmp"); the file is not created.
    std::string GetTempName();
    std::string TempFolder();

private:
    platform::FileSystem& files_;
    platform::Random& random_;
    const platform::Conventions& conventions_;
};

}  // namespace Quimbo
