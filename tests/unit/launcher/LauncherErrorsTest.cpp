#include <gtest/gtest.h>

#include "fakes/FakeServices.h"
#include "frontend/ErrorReporting.h"
#include "frontend/IOError.h"
#include "frontend/LauncherErrors.h"

namespace {

using Harvella::HarvellaError;

TEST(HarvellaErrorText, FullMessageAppendsTheCodeUnlessItIsMinusOne) {
    EXPECT_EQ(HarvellaError("Registry key path is too long").getFullMessage(),
              "Registry key path is too long");
    EXPECT_EQ(HarvellaError(0, "Done: ").getFullMessage(), "Done:  [ErrorCode: 0]");
    EXPECT_EQ(HarvellaError(-2147024894, "Failed").getFullMessage(),
              "Failed [ErrorCode: -2147024894]");
    EXPECT_EQ(HarvellaError(1234567, "Big").getFullMessage(), "Big [ErrorCode: 1234567]");
    EXPECT_EQ(HarvellaError("x").getErrorCode(), -1);
}

TEST(IOErrorText, MessageJoinsPrefixAndFileAndFullMessageAlwaysHasTheCode) {
    const Fio::IOError denied(5, "Access denied on attempt to find file: ", "C:\\run\\stop");
    EXPECT_EQ(denied.getMessage(), "Access denied on attempt to find file: C:\\run\\stop");
    EXPECT_EQ(denied.getFullMessage(),
              "Access denied on attempt to find file: C:\\run\\stop [ErrorCode: 5]");
    const Fio::IOError noCode(-1, "Could not create file: ", "a");
    EXPECT_EQ(noCode.getFullMessage(), "Could not create file: a [ErrorCode: -1]");
    const HarvellaError& asBase = noCode;
    EXPECT_EQ(asBase.getMessage(), "Could not create file: a");
}

TEST(ReportError, EachModeReachesOnlyItsOwnChannel) {
    fakes::FakeServices fakes;
    Harvella::reportError({true, true}, fakes.services, "silent");
    EXPECT_TRUE(fakes.console.out.empty() && fakes.console.err.empty() &&
                fakes.messageBoxes.shown.empty());

    Harvella::reportError({false, true}, fakes.services, "to console");
    EXPECT_EQ(fakes.console.out, "to console");
    EXPECT_TRUE(fakes.messageBoxes.shown.empty());

    Harvella::reportError({false, false}, fakes.services, "in a box");
    ASSERT_EQ(fakes.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(fakes.messageBoxes.shown[0], "in a box");
    EXPECT_EQ(fakes.messageBoxes.icons[0], platform::MessageIcon::error);
    EXPECT_EQ(fakes.console.out, "to console");
}

}  // namespace
