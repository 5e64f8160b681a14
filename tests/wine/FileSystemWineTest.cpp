// The Win32 file system under Wine: a replace that cannot take the file's
// place leaves the file as it was and no copy of the new content beside it;
// a folder removal never enters a directory link; the free space of a file on
// a share.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "file_system.h"
#include "support/WineSupport.h"

namespace {

// Names of the files in the folder, other than `except`, whose content holds `text`.
std::string filesHolding(const std::string& folder, const std::string& except,
                         const std::string& text) {
    std::string names;
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = entry.cFileName;
        if (name != except && !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            winesupport::readFile(folder + "\\" + name).find(text) != std::string::npos)
            names += name + " ";
    } while (::FindNextFileA(find, &entry));
    ::FindClose(find);
    return names;
}

TEST(Win32FileSystemUnderWine, AReplaceRefusedByAnOpenFileLeavesNoCopyOfTheNewContent) {
    winesupport::TempFolder folder;
    const std::string target = folder / "data.ptc";
    platform::win32::Win32FileSystem files;
    ASSERT_EQ(files.writeFile(target, "old"), 0u);
    // Another program reads the file and lets nobody delete or rename it.
    HANDLE held = ::CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    for (const bool ownerOnly : {false, true}) {
        EXPECT_NE(files.replaceFileContent(target, "abcdefgSECRETabcdefghijk\r\n", ownerOnly,
                                           platform::AtLink::writeThrough),
                  0u)
            << "the replace went through a file held open";
        EXPECT_EQ(filesHolding(folder.path(), "data.ptc", "SECRET"), "")
            << "left beside the target (owner only: " << ownerOnly << ")";
    }
    ::CloseHandle(held);
    EXPECT_EQ(winesupport::readFile(target), "old");
}

// Content for the owner only takes the place of an existing file with its own
// private access list (Wine keeps no access lists, so only the move is seen here).
TEST(Win32FileSystemUnderWine, AFileRewrittenForItsOwnerOnlyTakesTheNewContentAndLeavesNoCopy) {
    winesupport::TempFolder folder;
    const std::string target = folder / "harvella.config";
    platform::win32::Win32FileSystem files;
    ASSERT_EQ(files.writeFile(target, "DBpassword=\r\n"), 0u);
    ASSERT_EQ(files.replaceFileContent(target, "DBpassword=SECRET\r\n", true,
                                       platform::AtLink::writeThrough),
              0u);
    EXPECT_EQ(winesupport::readFile(target), "DBpassword=SECRET\r\n");
    EXPECT_EQ(filesHolding(folder.path(), "harvella.config", "SECRET"), "");
}

// Runs a shell command on Linux: Wine starts Linux programs from
// CreateProcessA (without a handle to wait on).
void onLinux(std::string script) {
    std::string command = "Z:\\bin\\sh -c \"" + script + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process));
}

// Wine shows a Unix link to a folder as a directory reparse point (its
// CreateSymbolicLink makes none), and removes it by no Win32 call, so here the
// removal fails where Windows removes the link; it must never enter it.
TEST(Win32FileSystemUnderWine, AFolderRemovalNeverEntersADirectoryLink) {
    const std::string name = "/tmp/harvella-link-" + std::to_string(::GetCurrentProcessId());
    std::string folder = "Z:" + name;
    for (char& c : folder)
        if (c == '/') c = '\\';
    onLinux("mkdir -p " + name + "/victim " + name + "/MySQL/data && echo kept >" + name +
            "/victim/file && ln -s " + name + "/victim " + name + "/MySQL/data/linked");
    const std::string link = folder + "\\MySQL\\data\\linked";
    for (int wait = 0; wait < 200 && ::GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES;
         ++wait)
        ::Sleep(50);
    platform::win32::Win32FileSystem files;
    EXPECT_EQ(files.firstLinkUnder(folder + "\\MySQL").value, link);
    files.deleteFolder(folder + "\\MySQL");
    EXPECT_EQ(winesupport::readFile(folder + "\\victim\\file"), "kept\n");
    onLinux("rm -rf " + name);
}

// Wine keeps the share \\server\share as the folder dosdevices\unc\server\share
// of its prefix.
TEST(Win32FileSystemUnderWine, TheFreeSpaceOfAFileOnAShareIsTheShares) {
    const char* prefix = std::getenv("WINEPREFIX");
    ASSERT_NE(prefix, nullptr);
    std::string unc = std::string("Z:") + prefix + "\\dosdevices\\unc";
    for (char& c : unc)
        if (c == '/') c = '\\';
    const std::string server = "harvella-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(unc.c_str(), nullptr);
    winesupport::makeFolder(unc + "\\" + server);
    winesupport::makeFolder(unc + "\\" + server + "\\share");
    platform::win32::Win32FileSystem files;
    const std::string database = "\\\\" + server + "\\share\\harvella.mdb";
    ASSERT_EQ(files.writeFile(database, "mdb"), 0u);
    const auto free = files.freeSpace(database);
    files.deleteFolder(unc + "\\" + server);
    EXPECT_EQ(free.error, 0u) << "the whole path went to GetDiskFreeSpaceEx";
    EXPECT_GT(free.value, 0u);
}

}  // namespace
