// The MySQL root password dialog under Wine, in front of the fake installer
// page, as a person meets it: where its controls stand and what they say, the
// installer's window disabled while it is open, OK enabled by typing, the red
// line after an OK, Enter and Esc. The screen is saved beside the launcher's.
#include <gtest/gtest.h>
#include <windows.h>

#include "installer_page/PageRecord.h"
#include "platform/platform.h"
#include "support/Screenshot.h"
#include "support/WineSupport.h"

namespace {

// The controls in tab order, in pixels of the client area at 96 dots per inch
// (15 twips a pixel). Their fonts are the driver's GDI objects, out of reach
// here: the screenshots show them.
struct Expected {
    const char* windowClass;
    RECT place;
    const char* text;
};
const Expected designed[] = {
    {"Edit", {272, 136, 465, 155}, ""},
    {"Button", {136, 256, 249, 281}, "OK"},
    {"Button", {312, 256, 425, 281}, "Cancel"},
    {"Static",
     {72, 16, 561, 33},
     "Setup cannot connect to the Harvella database under the 'root' MySQL user."},
    {"Static",
     {72, 48, 553, 129},
     "This may happen if password of the 'root' MySQL user has been changed after Harvella "
     "installation or if MySQL database is corrupted.\r\n\r\nIf you changed the password of the "
     "'root' MySQL user,  please enter the new password below."},
    {"Static", {72, 136, 273, 153}, "Password of the 'root' MySQL user:"},
    {"Static", {272, 160, 537, 177}, "Provided password is invalid. Please try again."},
    {"Static",
     {72, 176, 537, 233},
     "If you do not know the password or provided password does not fit, try to repair or "
     "uninstall the current Harvella version before installing Harvella 21.0."},
    {"Static", {16, 24, 47, 53}, ""},
};
enum Control { box, ok, cancel, header, description, prompt, invalidLine, action, picture };

template <class Condition>
bool waitUntil(Condition condition) {
    for (const ULONGLONG deadline = GetTickCount64() + 30000; GetTickCount64() < deadline;
         Sleep(50))
        if (condition()) return true;
    return false;
}

// The next showing's controls in Z order, which is the order of creation and
// of Tab; nothing when no new dialog appears.
std::vector<HWND> nextShowing(HWND& dialog) {
    const HWND previous = dialog;
    waitUntil([&] {
        dialog = FindWindowA("#32770", "  Cannot Connect to Database");
        return dialog != nullptr && dialog != previous && IsWindowVisible(dialog);
    });
    std::vector<HWND> controls;
    for (HWND c = GetWindow(dialog, GW_CHILD); dialog != previous && c;
         c = GetWindow(c, GW_HWNDNEXT))
        controls.push_back(c);
    return controls;
}

void expectAsDesigned(HWND dialog, const std::vector<HWND>& controls) {
    RECT client{};
    GetClientRect(dialog, &client);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    EXPECT_EQ(std::vector<LONG>({origin.x, origin.y, client.right, client.bottom}),
              std::vector<LONG>({184, 250, 565, 294}))
        << "the client area: 2760, 3750 twips from the screen's corner, 8475 x 4410 twips";
    for (std::size_t i = 0; i < controls.size(); ++i) {
        char windowClass[64] = "", text[1024] = "";
        GetClassNameA(controls[i], windowClass, sizeof windowClass);
        GetWindowTextA(controls[i], text, sizeof text);
        RECT place{};
        GetWindowRect(controls[i], &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        const RECT& want = designed[i].place;
        SCOPED_TRACE("control " + std::to_string(i) + " (" + designed[i].text + ")");
        EXPECT_EQ(lstrcmpiA(windowClass, designed[i].windowClass), 0) << windowClass;
        EXPECT_EQ(std::vector<LONG>({place.left, place.top, place.right, place.bottom}),
                  std::vector<LONG>({want.left, want.top, want.right, want.bottom}));
        EXPECT_EQ(std::string(text), designed[i].text);
    }
}

// Posted into the dialog's own message loop, as the keyboard would send it.
void press(HWND control, UINT key, UINT scanCode) {
    PostMessageA(control, WM_KEYDOWN, key, 1 | (scanCode << 16));
}

bool shows(HWND dialog, HWND control, std::uint32_t rgb) {
    return winesupport::showsColour(winesupport::captureWindow(dialog), control, rgb);
}

TEST(RootPasswordDialogUnderWine, AsksInFrontOfTheDisabledInstallerAgainAfterEveryOk) {
    winesupport::TempFolder folder;
    const std::string fixtures = winesupport::fixturesFolder();
    const std::string record = folder / "dialog.record";
    const auto system = platform::makeSystemServices(0, nullptr);
    auto page = system->services().processes.launch("\"" + fixtures + "\\installer_page.exe\" \"" +
                                                    record + "\" \"" + fixtures +
                                                    "\\root_password_driver.exe\" 21.0");
    ASSERT_TRUE(page.ok()) << "the fake installer page did not start";

    // First showing: no red line, OK only once something is typed.
    HWND dialog = nullptr;
    const auto first = nextShowing(dialog);
    ASSERT_EQ(first.size(), std::size(designed)) << "the dialog did not appear whole";
    expectAsDesigned(dialog, first);
    const HWND installer = GetWindow(dialog, GW_OWNER);
    EXPECT_EQ(installer, FindWindowA("#32770", "")) << "the installer's wizard owns the dialog";
    EXPECT_FALSE(IsWindowEnabled(installer)) << "the installer is disabled while it is open";
    EXPECT_FALSE(IsWindowVisible(first[invalidLine]));
    EXPECT_EQ(SendMessageA(first[box], EM_GETPASSWORDCHAR, 0, 0), '*');
    EXPECT_FALSE(IsWindowEnabled(first[ok]));
    for (const char c : std::string("wr0ng pw"))
        PostMessageA(first[box], WM_CHAR, static_cast<unsigned char>(c), 1);
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(first[ok]) != FALSE; })) << "typed";
    EXPECT_TRUE(waitUntil([&] { return shows(dialog, first[picture], 0xFFDD00); }))
        << "the yellow warning triangle";
    winesupport::saveScreenshot(dialog, "root-password-dialog");
    PostMessageA(first[ok], BM_CLICK, 0, 0);

    // After an OK the red line shows; Enter in the empty box is OK as well.
    const auto second = nextShowing(dialog);
    ASSERT_EQ(second.size(), std::size(designed)) << "no second showing after OK";
    EXPECT_TRUE(IsWindowVisible(second[invalidLine]));
    EXPECT_FALSE(IsWindowEnabled(second[ok]));
    EXPECT_TRUE(waitUntil([&] { return shows(dialog, second[invalidLine], 0xFF0000); }))
        << "the invalid line is pure red";
    winesupport::saveScreenshot(dialog, "root-password-dialog-invalid");
    press(second[box], VK_RETURN, 0x1C);

    const auto third = nextShowing(dialog);
    ASSERT_EQ(third.size(), std::size(designed)) << "no third showing after Enter";
    press(third[box], VK_ESCAPE, 0x01);

    ASSERT_TRUE(winesupport::waitForExit(*page.value, 30000)) << "the page did not end";
    EXPECT_EQ(installerpage::parsePageRecord(winesupport::readFile(record)).out,
              "ok [wr0ng pw] installer enabled\n"
              "ok [] installer enabled\n"
              "cancel [] installer enabled\n");
}

}  // namespace
