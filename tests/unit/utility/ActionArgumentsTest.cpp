#include <gtest/gtest.h>

#include "fakes/FakeServices.h"
#include "frame/ActionArguments.h"

namespace {

using namespace Quimbo;

TEST(SplitArgumentLine, KeepsEmptyFieldsBlanksAndQuotes) {
    EXPECT_EQ(SplitArgumentLine(""), Args{});
    EXPECT_EQ(SplitArgumentLine("6|"), (Args{"6", ""}));
    EXPECT_EQ(SplitArgumentLine("|"), (Args{"", ""}));
    EXPECT_EQ(SplitArgumentLine("0| C:\\My Dir |\"x\"||"), (Args{"0", " C:\\My Dir ", "\"x\"", "", ""}));
    EXPECT_EQ(SplitArgumentLine(std::string(9999, '|')).size(), 10000u);
}

TEST(ParseActionCode, AcceptsBlanksAndASignWithin16Bits) {
    std::int16_t code = 99;
    EXPECT_TRUE(ParseActionCode(" 6 ", code));
    EXPECT_EQ(code, 6);
    EXPECT_TRUE(ParseActionCode("-1", code));
    EXPECT_EQ(code, -1);
    EXPECT_TRUE(ParseActionCode("+4", code));
    EXPECT_EQ(code, 4);
    for (const char* bad : {"", " ", "+", "-", "6.0", "6a", "0x6", "32768", "-32769", "- 1", "\t6",
                            "99999999999999999999999999"}) {
        EXPECT_FALSE(ParseActionCode(bad, code)) << "\"" << bad << "\" was taken as " << code;
    }
}

TEST(WindowHandleField, ReadsA32BitDecimalOrEndsLikeAWrongFieldCount) {
    fakes::FakeServices fake;
    const Args args{"1", "1234", "-5", "12ab", "", "4294967296", "+", " - "};
    EXPECT_EQ(WindowHandleField(fake.services, args, 1), 1234);
    EXPECT_EQ(WindowHandleField(fake.services, args, 2), -5);
    for (const std::size_t bad : {3u, 4u, 5u, 6u, 7u, 8u}) {
        fakes::FakeServices fresh;
        try {
            WindowHandleField(fresh.services, args, bad);
            ADD_FAILURE() << "field " << bad << " was accepted";
        } catch (const fakes::ProcessExited& exited) {
            EXPECT_EQ(exited.code, 0);
            ASSERT_EQ(fresh.messageBoxes.shown.size(), 1u);
            EXPECT_EQ(fresh.messageBoxes.shown[0],
                      "Parameter " + std::to_string(bad) + " must be a window handle (a decimal number)!");
        }
    }
    EXPECT_EQ(fakes::exitCodeOf([&] {
                  WindowHandleFields(fake.services, {"1", "1", "x", "1", "y"}, 1);
              }),
              0);
    EXPECT_EQ(fake.messageBoxes.shown,
              std::vector<std::string>{"Parameter 2 must be a window handle (a decimal number)!"})
        << "the first bad field is named";
}

}  // namespace
