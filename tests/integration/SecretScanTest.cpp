// The secret scan that the flow tests rely on finds a secret in each place it
// watches, and only where others could read it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "support/SecretScan.h"
#include "support/TestSupport.h"

namespace {

TEST(SecretScan, FindsASecretOnACommandLineInAnEnvironmentAndInFilesOthersCanRead) {
    const std::string secret = "Scan$ecret" + std::to_string(::getpid());
    // Known only once the flow has made it, as a generated password.
    const std::string made = "Made$ecret" + std::to_string(::getpid());
    testsupport::TempFolder folder;
    testsupport::writeFile(folder / "open.txt", "first\nkey=" + secret + "\nlast\n");
    ::chmod((folder / "open.txt").c_str(), 0644);
    testsupport::writeFile(folder / "closed.txt", secret);
    ::chmod((folder / "closed.txt").c_str(), 0600);
    testsupport::makeFolders(folder / ("in-" + secret));

    testsupport::SecretScan scan({secret, ""});
    ::setenv("SCAN_TEST_VARIABLE", secret.c_str(), 1);
    const auto run = testsupport::runProgram("/bin/sh -c \"sleep 0.5\" " + secret + " " + made);
    ::unsetenv("SCAN_TEST_VARIABLE");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> found = scan.finish({folder.path()}, {made});

    EXPECT_TRUE(scan.saw("/bin/sh"));
    auto has = [&](const std::string& text) {
        for (const std::string& line : found)
            if (line.find(text) != std::string::npos) return true;
        return false;
    };
    SCOPED_TRACE(::testing::PrintToString(found));
    EXPECT_TRUE(has("command line of process")) << "the shell's argument";
    EXPECT_TRUE(has("\"" + made + "\"")) << "the secret the flow made, on the same line";
    EXPECT_TRUE(has("environment of process")) << "the shell's and the sleep's variable";
    EXPECT_TRUE(has("open.txt: \"key=" + secret + "\"")) << "the line, not the whole file";
    EXPECT_TRUE(has("\"SCAN_TEST_VARIABLE=" + secret + "\"")) << "the variable, not them all";
    EXPECT_TRUE(has("name of " + folder.path() + "/in-"));
    EXPECT_FALSE(has("closed.txt"));
}

}  // namespace
