// The Win32 file system under Wine: a replace that cannot take the file's
// place leaves the file as it was and no copy of the new content beside it.
#include <gtest/gtest.h>
#include <windows.h>

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

}  // namespace
