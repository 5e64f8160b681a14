// The MySQL root password dialog under Wine, in front of the fake installer
// page, as a person meets it: where its controls stand, what they say, the
// installer's window disabled while it is open, OK enabled by typing, the red
// line after an OK, Enter and Esc. The screen is saved beside the launcher's.
#include <gtest/gtest.h>
#include <windows.h>

#include "installer_page/PageRecord.h"
#include "platform/platform.h"
#include "support/Screenshot.h"
#include "support/WineSupport.h"

namespace {

const char* const caption = "  Cannot Connect to Database";
constexpr ULONGLONG patienceMs = 30000;

// Fonts are another process's GDI objects, out of reach here: the
// screenshots show them.
struct Expected {
    const char* windowClass;
    RECT place;  // left, top, right, bottom in pixels of the client area
    const char* text;
};

// The controls in tab order, at 96 dots per inch (15 twips a pixel).
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
    const ULONGLONG deadline = GetTickCount64() + patienceMs;
    while (GetTickCount64() < deadline) {
        if (condition()) return true;
        Sleep(50);
    }
    return false;
}

// The dialog's next showing: a window other than the one before.
HWND nextShowing(HWND previous) {
    HWND shown = nullptr;
    waitUntil([&] {
        shown = FindWindowA("#32770", caption);
        return shown != nullptr && shown != previous && IsWindowVisible(shown);
    });
    return shown == previous ? nullptr : shown;
}

// Children in Z order, which is the order of creation and of Tab.
std::vector<HWND> controlsOf(HWND dialog) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        found.push_back(child);
    return found;
}

std::string textOf(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void expectAsDesigned(HWND dialog, const std::vector<HWND>& controls) {
    RECT client{};
    GetClientRect(dialog, &client);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    EXPECT_EQ(client.right, 565);
    EXPECT_EQ(client.bottom, 294);
    EXPECT_EQ(origin.x, 184) << "the client area stands at 2760, 3750 twips";
    EXPECT_EQ(origin.y, 250);
    ASSERT_EQ(controls.size(), std::size(designed));
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Expected& want = designed[i];
        char windowClass[64] = "";
        GetClassNameA(controls[i], windowClass, sizeof windowClass);
        RECT place{};
        GetWindowRect(controls[i], &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        SCOPED_TRACE("control " + std::to_string(i) + " (" + want.text + ")");
        EXPECT_EQ(lstrcmpiA(windowClass, want.windowClass), 0) << windowClass;
        EXPECT_EQ(std::vector<LONG>({place.left, place.top, place.right, place.bottom}),
                  std::vector<LONG>(
                      {want.place.left, want.place.top, want.place.right, want.place.bottom}));
        if (i != box) {
            EXPECT_EQ(textOf(controls[i]), want.text);
        }
    }
}

void type(HWND box, const std::string& text) {
    for (const char c : text)
        PostMessageA(box, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// Through the dialog's own message loop, as the keyboard would send it.
void press(HWND control, UINT key, UINT scanCode) {
    PostMessageA(control, WM_KEYDOWN, key, 1 | (scanCode << 16));
}

bool shows(HWND dialog, HWND control, std::uint32_t rgb) {
    return winesupport::showsColour(winesupport::captureWindow(dialog), control, rgb);
}

TEST(RootPasswordDialogUnderWine, AsksInFrontOfTheDisabledInstallerAgainAfterEveryOk) {
    // The display has no window manager: Wine draws the caption itself.
    HKEY x11 = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", &x11) == ERROR_SUCCESS) {
        RegSetValueExA(x11, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
        RegCloseKey(x11);
    }
    winesupport::TempFolder folder;
    const std::string fixtures = winesupport::fixturesFolder();
    const std::string record = folder / "dialog.record";
    const auto system = platform::makeSystemServices(0, nullptr);
    auto page = system->services().processes.launch("\"" + fixtures + "\\installer_page.exe\" \"" +
                                                    record + "\" \"" + fixtures +
                                                    "\\root_password_driver.exe\" 21.0");
    ASSERT_TRUE(page.ok()) << "the fake installer page did not start";

    // First showing: no red line, OK only once something is typed.
    const HWND first = nextShowing(nullptr);
    ASSERT_NE(first, nullptr) << "the dialog did not appear";
    const auto controls = controlsOf(first);
    expectAsDesigned(first, controls);
    const HWND installer = GetWindow(first, GW_OWNER);
    char ownerClass[64] = "";
    GetClassNameA(installer, ownerClass, sizeof ownerClass);
    EXPECT_STREQ(ownerClass, "#32770") << "the installer's wizard owns the dialog";
    EXPECT_FALSE(IsWindowEnabled(installer)) << "the installer is disabled while it is open";
    EXPECT_FALSE(IsWindowVisible(controls[invalidLine]));
    EXPECT_EQ(SendMessageA(controls[box], EM_GETPASSWORDCHAR, 0, 0), '*');
    EXPECT_FALSE(IsWindowEnabled(controls[ok]));
    type(controls[box], "wr0ng pw");
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(controls[ok]) != FALSE; }))
        << "typing enables OK";
    EXPECT_TRUE(waitUntil([&] { return shows(first, controls[picture], 0xFFDD00); }))
        << "the yellow warning triangle";
    winesupport::saveScreenshot(first, "root-password-dialog");
    PostMessageA(controls[ok], BM_CLICK, 0, 0);

    // After an OK the red line shows; Enter in the empty box is OK as well.
    const HWND second = nextShowing(first);
    ASSERT_NE(second, nullptr) << "no second showing after OK";
    const auto again = controlsOf(second);
    ASSERT_EQ(again.size(), std::size(designed));
    EXPECT_TRUE(IsWindowVisible(again[invalidLine]));
    EXPECT_FALSE(IsWindowEnabled(again[ok]));
    EXPECT_TRUE(waitUntil([&] { return shows(second, again[invalidLine], 0xFF0000); }))
        << "the invalid line is pure red";
    winesupport::saveScreenshot(second, "root-password-dialog-invalid");
    press(again[box], VK_RETURN, 0x1C);

    const HWND third = nextShowing(second);
    ASSERT_NE(third, nullptr) << "no third showing after Enter";
    press(controlsOf(third).at(box), VK_ESCAPE, 0x01);

    ASSERT_TRUE(winesupport::waitForExit(*page.value, patienceMs)) << "the page did not end";
    const auto seen = installerpage::parsePageRecord(winesupport::readFile(record));
    EXPECT_EQ(seen.out,
              "ok [wr0ng pw] installer enabled\n"
              "ok [] installer enabled\n"
              "cancel [] installer enabled\n");
}

}  // namespace
