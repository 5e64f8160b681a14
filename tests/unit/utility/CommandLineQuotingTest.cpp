// Hostile paths and values on command lines and in generated command files.
#include <gtest/gtest.h>

#include "RaisedBy.h"
#include "command_line.h"
#include "fakes/FakeServices.h"
#include "frame/CommandLineQuoting.h"

namespace {

using Quimbo::CommandFileWord;
using Quimbo::QuoteArgument;

TEST(QuoteArgument, EveryValueComesBackAsExactlyOneArgument) {
    for (const std::string value :
         {"", "abc", "my db", "C:\\dir\\", "C:\\a b\\\\", "a\"b", "a\\\"b", "a\\\\\"b\\",
          "2.5\" --no-data --tables \"t", "x$(touch p)`id`%PATH%'q'\t;&|<>"}) {
        const auto words =
            platform::posix::splitWindowsCommandLine("prog " + QuoteArgument(value) + " next");
        EXPECT_EQ(words, (std::vector<std::string>{"prog", value, "next"})) << value;
    }
}

TEST(CommandFileWord, ABatchFileDoublesPercentAndRefusesAQuote) {
    const auto& windows = fakes::windowsConventions();
    EXPECT_EQ(CommandFileWord(windows, "C:\\100%done\\a & b\\"), "\"C:\\100%%done\\a & b\\\\\"");
    const std::string hostile = "C:\\x\" & echo INJECTED > C:\\pwned.txt & \"";
    EXPECT_EQ(raisedBy([&] { CommandFileWord(windows, hostile); }),
              Raised(5, "command file",
                     hostile + " cannot be written into a command file: it holds a double quote "
                               "or a line break, which no Windows path can hold."));
    EXPECT_EQ(std::get<0>(raisedBy([&] { CommandFileWord(windows, "a\r\nb"); })), 5);
}

}  // namespace
