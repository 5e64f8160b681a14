#pragma once
#include <map>
#include <set>
#include <string>

#include "FailureSchedule.h"
#include "platform/file_system.h"

namespace fakes {

// An in-memory tree of files and folders with "/" as separator.
class FakeFileSystem final : public platform::FileSystem {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> folders{"/", "/tmp"};
    std::set<std::string> privateFiles;
    std::set<std::string> links;
    // Lock files another process holds.
    std::set<std::string> heldLocks;
    std::uint64_t freeBytes = 1ull << 40;
    FailureSchedule writes, deletes, creates, moves;

    bool fileExists(const std::string& path) override { return files.count(path) > 0; }
    bool folderExists(const std::string& path) override { return folders.count(path) > 0; }

    platform::Result<std::string> readFile(const std::string& path) override {
        const auto found = files.find(path);
        if (found == files.end()) return platform::Result<std::string>::failure(2);
        return {found->second, 0};
    }
    platform::ErrorCode writeFile(const std::string& path, const std::string& bytes) override {
        if (const auto e = writes.next()) return e;
        if (!folderExists(parentOf(path))) return platform::winerr::pathNotFound;
        files[path] = bytes;
        return 0;
    }
    platform::ErrorCode createNewFile(const std::string& path, const std::string& bytes) override {
        if (fileExists(path) || folderExists(path)) return platform::winerr::fileExists;
        const auto e = writeFile(path, bytes);
        if (e == 0) privateFiles.insert(path);
        return e;
    }
    platform::ErrorCode replaceFileContent(const std::string& path, const std::string& bytes,
                                           bool ownerOnly, platform::AtLink) override {
        const auto e = writeFile(path, bytes);
        if (e == 0 && ownerOnly) privateFiles.insert(path);
        return e;
    }
    platform::ErrorCode deleteFile(const std::string& path) override {
        if (const auto e = deletes.next()) return e;
        return files.erase(path) ? 0 : platform::winerr::fileNotFound;
    }
    platform::ErrorCode deleteFolder(const std::string& path) override {
        if (const auto e = deletes.next()) return e;
        if (!folders.erase(path)) return platform::winerr::pathNotFound;
        eraseBelow(path);
        return 0;
    }
    platform::Result<std::string> firstLinkUnder(const std::string& folder) override {
        for (const auto& link : links)
            if (link.rfind(folder + "/", 0) == 0) return {link, 0};
        return {"", 0};
    }
    platform::Result<std::string> finalPath(const std::string& path) override { return {path, 0}; }
    platform::Result<std::unique_ptr<platform::FileLock>> lockFile(
        const std::string& path) override {
        if (heldLocks.count(path))
            return platform::Result<std::unique_ptr<platform::FileLock>>::failure(
                platform::winerr::sharingViolation);
        return {std::make_unique<platform::FileLock>(), 0};
    }
    platform::ErrorCode moveFolder(const std::string& from, const std::string& to) override {
        if (const auto e = moves.next()) return e;
        if (!folderExists(from)) return platform::winerr::pathNotFound;
        if (folderExists(to) || fileExists(to)) return platform::winerr::alreadyExists;
        if (!folderExists(parentOf(to))) return platform::winerr::pathNotFound;
        const std::string prefix = from + "/";
        std::map<std::string, std::string> moved;
        for (auto it = files.begin(); it != files.end();)
            if (it->first.rfind(prefix, 0) == 0) {
                moved[to + it->first.substr(from.size())] = it->second;
                it = files.erase(it);
            } else {
                ++it;
            }
        files.insert(moved.begin(), moved.end());
        std::set<std::string> movedFolders{to};
        for (auto it = folders.begin(); it != folders.end();)
            if (*it == from || it->rfind(prefix, 0) == 0) {
                if (*it != from) movedFolders.insert(to + it->substr(from.size()));
                it = folders.erase(it);
            } else {
                ++it;
            }
        folders.insert(movedFolders.begin(), movedFolders.end());
        return 0;
    }
    platform::ErrorCode createFolder(const std::string& path) override {
        if (const auto e = creates.next()) return e;
        if (folderExists(path)) return platform::winerr::alreadyExists;
        if (!folderExists(parentOf(path))) return platform::winerr::pathNotFound;
        folders.insert(path);
        return 0;
    }
    platform::Result<std::vector<std::string>> listFiles(const std::string& folder) override {
        if (!folderExists(folder)) return platform::Result<std::vector<std::string>>::failure(3);
        std::vector<std::string> names;
        for (const auto& [path, bytes] : files) {
            if (parentOf(path) == folder) names.push_back(path.substr(folder.size() + 1));
        }
        return {names, 0};
    }
    platform::Result<std::string> absolutePath(const std::string& path) override {
        return {path.empty() || path[0] != '/' ? "/work/" + path : path, 0};
    }
    platform::Result<std::uint64_t> freeSpace(const std::string&) override { return {freeBytes, 0}; }
    std::string tempFolder() override { return "/tmp"; }
    platform::ErrorCode copyFile(const std::string& from, const std::string& to) override {
        const auto found = files.find(from);
        if (found == files.end()) return platform::winerr::fileNotFound;
        if (from == to) return platform::winerr::sharingViolation;
        return writeFile(to, found->second);
    }
    platform::ErrorCode moveFile(const std::string& from, const std::string& to,
                                 bool replaceExisting) override {
        const auto found = files.find(from);
        if (found == files.end()) return platform::winerr::fileNotFound;
        if (files.count(to) && !replaceExisting) return platform::winerr::alreadyExists;
        files[to] = found->second;
        files.erase(from);
        return 0;
    }
    platform::Result<std::uint64_t> fileSize(const std::string& path) override {
        const auto found = files.find(path);
        if (found == files.end()) return platform::Result<std::uint64_t>::failure(2);
        return {found->second.size(), 0};
    }

    static std::string parentOf(const std::string& path) {
        const auto slash = path.find_last_of('/');
        if (slash == std::string::npos) return "";
        return slash == 0 ? "/" : path.substr(0, slash);
    }

private:
    void eraseBelow(const std::string& folder) {
        const std::string prefix = folder + "/";
        for (auto it = files.begin(); it != files.end();)
            it = it->first.rfind(prefix, 0) == 0 ? files.erase(it) : std::next(it);
        for (auto it = folders.begin(); it != folders.end();)
            it = it->rfind(prefix, 0) == 0 ? folders.erase(it) : std::next(it);
    }
};

}  // namespace fakes
