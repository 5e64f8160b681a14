#include <gtest/gtest.h>

#include "command_line.h"

namespace {

using platform::posix::splitWindowsCommandLine;
using Words = std::vector<std::string>;

TEST(WindowsCommandLine, BlanksSeparateAndQuotesGroup) {
    EXPECT_EQ(splitWindowsCommandLine("a  b\tc"), (Words{"a", "b", "c"}));
    EXPECT_EQ(splitWindowsCommandLine("\"/opt/my dir/mysql\" --version"),
              (Words{"/opt/my dir/mysql", "--version"}));
    EXPECT_EQ(splitWindowsCommandLine("a\"b c\"d"), (Words{"ab cd"}));
    EXPECT_EQ(splitWindowsCommandLine("\"\""), (Words{""}));
    EXPECT_EQ(splitWindowsCommandLine("   "), Words{});
}

TEST(WindowsCommandLine, BackslashesCountOnlyBeforeAQuote) {
    EXPECT_EQ(splitWindowsCommandLine(R"(C:\dir\file)"), (Words{R"(C:\dir\file)"}));
    EXPECT_EQ(splitWindowsCommandLine(R"(a\"b)"), (Words{R"(a"b)"}));
    EXPECT_EQ(splitWindowsCommandLine(R"(a\\"b c")"), (Words{R"(a\b c)"}));
    EXPECT_EQ(splitWindowsCommandLine(R"("a\\\"b")"), (Words{R"(a\"b)"}));
    EXPECT_EQ(splitWindowsCommandLine(R"("C:\dir\\")"), (Words{R"(C:\dir\)"}));
}

TEST(WindowsCommandLine, AnUnclosedQuoteRunsToTheEnd) {
    EXPECT_EQ(splitWindowsCommandLine("\"a b"), (Words{"a b"}));
}

}  // namespace
