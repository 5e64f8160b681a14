// The POSIX content replace when the final rename fails, and for a file with a
// second link. This program is linked with --wrap=rename, so that a test can make
// the rename fail.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "file_replace.h"

namespace {

int renameFailure = 0;

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

extern "C" int __real_rename(const char* from, const char* to);
extern "C" int __wrap_rename(const char* from, const char* to) {
    if (renameFailure == 0) return __real_rename(from, to);
    errno = renameFailure;
    return -1;
}

namespace {

TEST(PosixFileReplace, AFailedFinalRenameLeavesTheFileAndNoCopyOfTheNewContent) {
    char pattern[] = "/tmp/harvella-replace-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    const std::string target = folder / "data.ptc";
    std::ofstream(target) << "old";
    renameFailure = EIO;
    for (const bool ownerOnly : {false, true}) {
        EXPECT_NE(
            platform::posix::replaceFileContent(target, "abcdefgSECRETabcdefghijk\r\n", ownerOnly),
            0u);
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            EXPECT_TRUE(entry.path() == target ||
                        readAll(entry.path()).find("SECRET") == std::string::npos)
                << entry.path() << " holds the new content (owner only: " << ownerOnly << ")";
    }
    renameFailure = 0;
    EXPECT_EQ(readAll(target), "old");
    std::filesystem::remove_all(folder);
}

TEST(PosixFileReplace, AFileWithASecondNameIsWrittenInPlaceSoThatBothNamesShowTheNewContent) {
    char pattern[] = "/tmp/harvella-replace-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    const std::string target = folder / "harvella.config", other = folder / "shared.config";
    std::ofstream(target) << "old";
    std::filesystem::create_hard_link(target, other);
    EXPECT_EQ(platform::posix::replaceFileContent(target, "new", false), 0u);
    EXPECT_EQ(readAll(other), "new") << "the second name lost its link";
    std::filesystem::remove_all(folder);
}

}  // namespace
