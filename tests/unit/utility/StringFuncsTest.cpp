#include <gtest/gtest.h>

#include "fakes/FakeServices.h"
#include "frame/FailureRecord.h"
#include "frame/StringFuncsModule.h"
#include "platform/std_random.h"

namespace {

using namespace Quimbo;

bool allLetters(const std::string& text) {
    for (const char c : text) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    }
    return true;
}

TEST(StringFuncs, RandomLettersRedrawsUntilALetterAndReseedsEveryCall) {
    fakes::FakeRandom random;
    // 0.0 -> 0 -> 50 ('2', redrawn); 0.55 -> 67 'C'; 0.8 -> 98 'b'; 0.75 -> 92 (redrawn); 1.0 -> 122 'z'
    random.units = {0.0, 0.55, 0.8, 0.75, 122.0 / 122};
    EXPECT_EQ(RandomLetters(random, 3), "Cbz");
    EXPECT_EQ(random.reseeds, 1);
    RandomLetters(random, 0);
    EXPECT_EQ(random.reseeds, 2);
}

TEST(StringFuncs, PaddedPasswordsRoundTripThroughUnpad) {
    platform::StdRandom random;
    for (const std::string& password : std::vector<std::string>{"", "s3cret$\\pw", std::string(40, 'x')}) {
        const std::string padded = PadPassword(random, password);
        ASSERT_EQ(padded.size(), password.size() + 18);
        EXPECT_TRUE(allLetters(padded.substr(0, 7)));
        EXPECT_TRUE(allLetters(padded.substr(7 + password.size())));
        EXPECT_EQ(UnpadPassword(padded), password);
    }
    EXPECT_THROW(UnpadPassword(std::string(17, 'a')), FailureRecord);
}

TEST(StringFuncs, TrimLineEndsCutsBreaksOnlyAtTheVeryEndAndBlanksOnly) {
    EXPECT_EQ(TrimLineEnds("  text  \r\n"), "text");
    EXPECT_EQ(TrimLineEnds("text\r\n "), "text\r\n");
    EXPECT_EQ(TrimLineEnds("\r\n\n"), "");
    EXPECT_EQ(TrimLineEnds(""), "");
    EXPECT_EQ(TrimLineEnds("\ttext\t\n"), "\ttext\t");
}

TEST(StringFuncs, DigitsToIntegerKeepsOnlyDigits) {
    EXPECT_EQ(DigitsToInteger("5.6.11"), 5611);
    EXPECT_EQ(DigitsToInteger("v0032767x"), 32767);
    EXPECT_EQ(DigitsToInteger("000"), 0);
}

TEST(StringFuncs, DigitsToIntegerRaisesWithoutDigitsOrAbove16Bits) {
    for (const char* text : {"", "abc", "32768", "123456789012345678901234567890"}) {
        try {
            DigitsToInteger(text);
            ADD_FAILURE() << "no failure raised for \"" << text << "\"";
        } catch (const FailureRecord& failure) {
            EXPECT_TRUE(failure.number == 13 || failure.number == 6) << failure.number;
        }
    }
}

TEST(StringFuncs, ConvertCodePagePassesTheCodePagesAndRaisesWhenTheSystemCannot) {
    struct RecordingCodePages : platform::CodePages {
        unsigned ansiCodePage() override { return 1251; }
        unsigned from = 0, to = 0;
        char fallback = 0;
        platform::Result<std::string> convert(const std::string& bytes, unsigned f, unsigned t,
                                              char d) override {
            from = f, to = t, fallback = d;
            if (bytes == "bad") return platform::Result<std::string>::failure(1113);
            return {"converted", 0};
        }
        std::size_t lengthOfCharacters(const std::string& text, std::size_t) override {
            return text.size();
        }
    } codePages;
    EXPECT_EQ(ConvertCodePage(codePages, "text", 866, 1251), "converted");
    EXPECT_EQ(codePages.from, 866u);
    EXPECT_EQ(codePages.to, 1251u);
    EXPECT_EQ(codePages.fallback, '0');
    EXPECT_THROW(ConvertCodePage(codePages, "bad", 866, 1251), FailureRecord);
}

}  // namespace
