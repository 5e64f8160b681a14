#include <gtest/gtest.h>

#include "fakes/FakeServices.h"
#include "frame/FailureRecord.h"
#include "frame/FileFuncsModule.h"

namespace {

using namespace Quimbo;

struct FileFuncs : ::testing::Test {
    fakes::FakeServices fake;
    FileSystemObject fso{fake.files, fake.random, fakes::linuxConventions()};
};

TEST_F(FileFuncs, TempFilesAreFreshPrivateFilesInTheTempFolder) {
    const std::string first = CreateTempFile(fso);
    const std::string second = CreateTempFile(fso, "", "text");
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind("/tmp/rad", 0), 0u) << first;
    EXPECT_EQ(first.substr(first.size() - 4), ".tmp");
    EXPECT_EQ(fake.files.files.at(second), "text");
    EXPECT_EQ(fake.files.privateFiles, (std::set<std::string>{first, second}));
}

TEST_F(FileFuncs, ATakenNameSuffixIncludedIsLeftAloneAndAnotherDrawn) {
    fake.random.nextBits = 7;
    fake.files.files["/tmp/rad00007.tmp.sh"] = "planted";
    EXPECT_EQ(CreateTempFile(fso, ".sh", "echo"), "/tmp/rad00008.tmp.sh");
    EXPECT_EQ(fake.files.files.at("/tmp/rad00007.tmp.sh"), "planted");
}

TEST_F(FileFuncs, QuietDeletesIgnoreEveryFailure) {
    fake.files.files["/tmp/a"] = "x";
    fake.files.deletes.failOnCall(1, platform::winerr::accessDenied);
    EXPECT_NO_THROW(DeleteFileQuietly("/tmp/a", fso));
    EXPECT_NO_THROW(DeleteFileQuietly("/tmp/missing", fso));
    EXPECT_NO_THROW(DeleteFolderQuietly("/nowhere", fso));
    DeleteFileQuietly("/tmp/a", fso);
    EXPECT_FALSE(fake.files.fileExists("/tmp/a"));
}

TEST_F(FileFuncs, CreateFolderPathCreatesEveryMissingLevel) {
    fake.files.folders.insert("/base");
    CreateFolderPath("/base/one/two/three", fso);
    EXPECT_TRUE(fake.files.folderExists("/base/one"));
    EXPECT_TRUE(fake.files.folderExists("/base/one/two"));
    EXPECT_TRUE(fake.files.folderExists("/base/one/two/three"));
    EXPECT_NO_THROW(CreateFolderPath("/base/one", fso));
    EXPECT_NO_THROW(CreateFolderPath("", fso));
}

TEST_F(FileFuncs, CreateFolderPathPassesFailuresOn) {
    fake.files.folders.insert("/base");
    fake.files.creates.failOnCall(2, platform::winerr::accessDenied);
    try {
        CreateFolderPath("/base/one/two", fso);
        FAIL() << "expected Permission denied";
    } catch (const FailureRecord& failure) {
        EXPECT_EQ(failure.number, 70);
        EXPECT_EQ(failure.description, "Permission denied");
    }
}

TEST_F(FileFuncs, GetFreeSpaceAsksForTheAbsolutePath) {
    fake.files.freeBytes = 5'000'000'000ull;
    EXPECT_EQ(GetFreeSpace("relative/dir", fso), 5'000'000'000ull);
}

}  // namespace
