#include <gtest/gtest.h>

#include "foreign_windows.h"

namespace {

using platform::posix::TerminalPage;
namespace wm = platform::wm;

class StdErrOnly final : public platform::Console {
public:
    std::string err;
    std::string argumentLine() override { return ""; }
    platform::Result<std::size_t> writeStdOut(const std::string&) override {
        ADD_FAILURE() << "standard output is reserved for the result text";
        return {0, 0};
    }
    void writeStdErr(const std::string& bytes) override { err += bytes; }

protected:
    void endProcess(int) override {}
};

const std::string redLine =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
    "{\\*\\generator x;}\\pard\\cf1\\f0\\fs20 Failed: C:\\\\dir\\cf0\\par}\r";

TEST(TerminalPage, ReducesAnRtfLineToItsTextWithSingleBackslashes) {
    const auto line = platform::posix::reduceRtf(redLine);
    EXPECT_EQ(line.text, "Failed: C:\\dir\n");
    EXPECT_TRUE(line.red);
    EXPECT_FALSE(platform::posix::reduceRtf("{\\rtf1{\\colortbl;\\red0\\green0\\blue0;}x}").red);
}

TEST(TerminalPage, WritesEachChangeAsALineOnStandardError) {
    StdErrOnly console;
    TerminalPage page(console, false);
    page.send(5, wm::progressSetPos, 30, 0);
    page.send(5, wm::progressSetPos, page.send(5, wm::progressGetPos, 0, 0) + 150, 0);
    page.sendText(4, wm::setText, 0, "Installing database");
    page.sendText(6, wm::replaceSelection, 0, redLine);
    page.enable(1, false);
    page.post(9, wm::command, 1, 1);
    EXPECT_EQ(console.err,
              "[page] progress 30%\n[page] progress 100%\n[page] action: Installing database\n"
              "[page] log: Failed: C:\\dir\n[page] window 1 disabled\n[page] window 1 clicked\n");
}

TEST(TerminalPage, ColoursErrorLinesRedOnlyOnATerminal) {
    StdErrOnly console;
    TerminalPage page(console, true);
    page.sendText(6, wm::replaceSelection, 0, redLine);
    EXPECT_EQ(console.err, "[page] log: \033[31mFailed: C:\\dir\033[0m\n");
}

TEST(TerminalPage, IgnoresAbsentControls) {
    StdErrOnly console;
    TerminalPage page(console, true);
    page.send(0, wm::progressSetPos, 30, 0);
    page.sendText(-1, wm::setText, 0, "x");
    page.enable(0, true);
    page.post(0, wm::command, 1, 0);
    EXPECT_EQ(console.err, "");
}

}  // namespace
