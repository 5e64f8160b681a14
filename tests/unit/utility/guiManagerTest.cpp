#include <gtest/gtest.h>

#include "RaisedBy.h"
#include "fakes/FakeServices.h"
#include "frame/guiManager.h"

namespace {

using Calls = std::vector<std::string>;
using Quimbo::guiManager;

// Handles: Next 1, Back 2, Cancel 3, label 4, progress bar 5, log 6. The Next
// button has the control identifier 1201 and sits on page 9.
struct Page {
    fakes::FakeServices fake;
    guiManager gui{fake.services};
    Page() {
        gui.Initialize(1, 2, 3, 4, 5, 6);
        fake.windows.identifiers[1] = 1201;
        fake.windows.parents[1] = 9;
    }
    const Calls& calls() const { return fake.windows.calls; }
};

std::string logged(const std::string& rtf) { return "text 6 194 0 " + rtf + "\r"; }
const std::string selectEnd = "send 6 177 -1 0";
const std::string nextClick = "post 9 273 1201 1";

std::string joined(const Calls& calls) {
    std::string text;
    for (const auto& call : calls) text += call + "\n";
    return text;
}

using fakes::exitCodeOf;

TEST(guiManagerRtf, WrapsTheTextInABlackOrRedArialDocument) {
    EXPECT_EQ(guiManager::MakeRTFStr("Done", false),
              "{\\rtf1\\ansi\\deff0\\deflang1049{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset1 Arial;}"
              "{\\f1\\fswiss\\fcharset204{\\*\\fname Arial;}Arial CYR;}}"
              "{\\colortbl;\\red0\\green0\\blue0;}{\\*\\generator Msftedit 5.41.15.1507;}"
              "\\viewkind4\\uc1\\pard\\cf1\\lang1033\\f0\\fs20 Done\\cf0\\lang1049\\f1\\par}");
    const std::string red = guiManager::MakeRTFStr("Done", true);
    EXPECT_NE(red.find("{\\colortbl;\\red255\\green0\\blue0;}"), std::string::npos) << red;
}

TEST(guiManagerRtf, EscapesBackslashesAndBracesAndMakesEachLineAParagraph) {
    const std::string rtf = guiManager::MakeRTFStr("C:\\dir\\{x}}", false);
    EXPECT_NE(rtf.find("\\fs20 C:\\\\dir\\\\\\{x\\}\\}\\cf0"), std::string::npos) << rtf;
    const std::string lines = guiManager::MakeRTFStr("a:\r\nb\nc\rd", true);
    EXPECT_NE(lines.find("\\fs20 a:\\par b\\par c\\par d\\cf0"), std::string::npos) << lines;
}

TEST(guiManagerOperations, CurrentActionAppendsABlackLineThenSetsTheLabel) {
    Page page;
    page.gui.UpdateCurrentAction("Installing database");
    EXPECT_EQ(page.calls(),
              (Calls{selectEnd, logged(guiManager::MakeRTFStr("Installing database", false)),
                     "text 4 12 0 Installing database"}));
}

TEST(guiManagerOperations, ForwardReadsThePositionAndSetsTheSum) {
    Page page;
    page.fake.windows.positions[5] = 40;
    page.gui.ForwardProgressBar(25);
    EXPECT_EQ(page.calls(), (Calls{"send 5 1032 0 0", "send 5 1026 65 0"}));
}

TEST(guiManagerOperations, ForwardBeyondSixteenBitsRaisesOverflowAndSetsNothing) {
    Page page;
    page.fake.windows.positions[5] = 100;
    EXPECT_EQ(std::get<0>(raisedBy([&] { page.gui.ForwardProgressBar(32767); })), 6) << "Overflow";
    EXPECT_EQ(page.calls(), (Calls{"send 5 1032 0 0"}));
}

TEST(guiManagerOperations, ButtonStatesAreSetInTheirOrder) {
    Page page;
    page.gui.SetButtonStatusSuccess();
    page.gui.SetButtonStatusFailed(true);
    page.gui.SetButtonStatusFailed(false);
    EXPECT_EQ(page.calls(), (Calls{"enable 1 true", "enable 3 true", "enable 2 false",
                                   "enable 1 false", "enable 3 true", "enable 2 true",
                                   "enable 1 false", "enable 3 true", "enable 2 false"}));
}

TEST(guiManagerOperations, SuccessFillsTheBarSetsButtonsLogsAndPostsOneNextClick) {
    Page page;
    page.gui.UpdateGUIOnSuccess("Installing database");
    const std::string line =
        logged(guiManager::MakeRTFStr("Installing database completed successfully", false));
    EXPECT_EQ(page.calls(),
              (Calls{"send 5 1026 100 0", "enable 1 true", "enable 3 true", "enable 2 false",
                     selectEnd, line, "text 4 12 0 Installing database completed successfully",
                     "enable 1 true", "id 1", "parent 1", nextClick}))
        << joined(page.calls());
}

TEST(guiManagerOperations, NextClickCarriesTheLowWordOfTheIdentifier) {
    Page page;
    page.fake.windows.identifiers[1] = 0x12345;
    page.gui.GenerateNextBtnClickEvent();
    EXPECT_EQ(page.calls().back(), "post 9 273 9029 1");  // 0x2345: BN_CLICKED (0) above it
}

TEST(guiManagerEndings, DieLogsTheRedReasonDisablesNextAndReturns) {
    Page page;
    page.gui.die("install", "no disk", false, false);
    const std::string reason = "Failed to install database due to the following reason: no disk\r\n";
    EXPECT_EQ(page.calls(), (Calls{selectEnd, logged(guiManager::MakeRTFStr(reason, true)),
                                   "enable 1 false", "enable 3 true", "enable 2 false"}));
}

TEST(guiManagerEndings, DieAtFinishEndsWithZeroAndNoOutput) {
    Page page;
    EXPECT_EQ(exitCodeOf([&] { page.gui.die("install", "no disk", true, true); }), 0);
    EXPECT_EQ(page.fake.console.out, "");
    EXPECT_EQ(page.calls().back(), "enable 2 true");
}

TEST(guiManagerEndings, DieAndReturnErrorPressesNextThenExitsWithCodeAndText) {
    Page page;
    EXPECT_EQ(exitCodeOf([&] { page.gui.dieAndReturnError("upgrade", "gone", 2007, "out", true); }),
              2007);
    EXPECT_EQ(page.fake.console.out, "out");
    const Calls tail(page.calls().end() - 7, page.calls().end());
    EXPECT_EQ(tail, (Calls{"enable 1 false", "enable 3 true", "enable 2 true", "enable 1 true",
                           "id 1", "parent 1", nextClick}))
        << joined(page.calls());
}

TEST(guiManagerEndings, WithoutControlsNothingIsSentButTheExitStillHappens) {
    fakes::FakeServices fake;
    guiManager gui(fake.services);
    gui.Initialize(0, 0, -1, 0, 0, 0);
    gui.UpdateCurrentAction("a");
    gui.ForwardProgressBar(5);
    gui.UpdateGUIOnSuccess("a");
    gui.die("install", "x", true, false);
    EXPECT_EQ(exitCodeOf([&] { gui.dieAndReturnError("install", "x", 3001, "text", false); }),
              3001);
    EXPECT_TRUE(fake.windows.calls.empty()) << joined(fake.windows.calls);
    EXPECT_EQ(fake.console.out, "text");
}

TEST(guiManagerInitialize, TakesHandlesGivenAsTextAndRejectsOthers) {
    Page page;
    page.gui.Initialize(" 11 ", "12", "13", "14", "15.5", 20);
    page.gui.UpdateProgressBar(7);
    EXPECT_EQ(page.calls(), (Calls{"send 16 1026 7 0"}));  // 15.5 rounds half to even
    for (const auto& [field, number] : std::vector<std::pair<std::string, int>>{
             {"abc", 13}, {"", 13}, {"0x10", 13}, {"3000000000", 6}}) {
        const std::string text = field;  // a lambda cannot capture a structured binding
        EXPECT_EQ(std::get<0>(raisedBy([&] { page.gui.Initialize(text, "1", "1", "1", "1", 1); })),
                  number)
            << "for \"" << text << "\"";
    }
}

}  // namespace
