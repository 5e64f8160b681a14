// Harvella_Access.exe under Wine: the verbs through Wine's service manager
// with the test jvm.dll, the progress dialog as a user sees it (read back
// from the window and from the screen), and the resources of both builds.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <functional>
#include <memory>

#include "frontend/HarvellaDialog.h"
#include "platform/service_manager.h"
#include "runtime/LauncherSettings.h"
#include "support/Screenshot.h"
#include "support/WineSupport.h"

namespace {

namespace ctl = platform::dialogctl;
constexpr std::uint32_t pureRed = 0xFF0000;

// Wine draws the caption itself (there is no window manager on the test
// display) and gets the fonts a Windows desktop has, so that the dialog's
// units come out as on Windows.
void prepareDesktop() {
    HKEY key = nullptr;
    if (::RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", &key) == ERROR_SUCCESS) {
        ::RegSetValueExA(key, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
        ::RegCloseKey(key);
    }
    char windows[MAX_PATH];
    ::GetWindowsDirectoryA(windows, sizeof windows);
    for (const char* font : {"tahoma.ttf", "tahomabd.ttf", "marlett.ttf"}) {
        const std::string installed = std::string(windows) + "\\Fonts\\" + font;
        ::CopyFileA((std::string("Z:\\usr\\share\\wine\\fonts\\") + font).c_str(),
                    installed.c_str(), TRUE);
        ::AddFontResourceExA(installed.c_str(), FR_PRIVATE, nullptr);
    }
}

bool waitFor(const std::function<bool()>& condition, unsigned timeoutMs = 60000) {
    for (const ULONGLONG deadline = ::GetTickCount64() + timeoutMs; ::GetTickCount64() < deadline;
         ::Sleep(50))
        if (condition()) return true;
    return condition();
}

std::string text(HWND window) {
    char buffer[1024] = {};
    ::GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

bool shown(HWND dialog, int control) {
    return ::IsWindowVisible(::GetDlgItem(dialog, control)) != FALSE;
}

RECT placeOf(HWND dialog, int control) {
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(dialog, control), &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Sent once the dialog's message loop runs; 0 when it does not answer.
LRESULT ask(HWND control, UINT message, WPARAM wParam = 0) {
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(control, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    return static_cast<LRESULT>(answer);
}

// Whether the control is tall enough for its whole word-wrapped text in the
// dialog's font, and lies inside the dialog's client area.
bool showsWholeText(HWND dialog, int control) {
    const RECT place = placeOf(dialog, control);
    RECT client{};
    ::GetClientRect(dialog, &client);
    const HDC dc = ::GetDC(nullptr);
    const HFONT font = ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                     "MS Shell Dlg");
    const HGDIOBJ previous = ::SelectObject(dc, font);
    RECT needed{0, 0, place.right - place.left, 0};
    const std::string content = text(::GetDlgItem(dialog, control));
    ::DrawTextA(dc, content.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    ::SelectObject(dc, previous);
    ::DeleteObject(font);
    ::ReleaseDC(nullptr, dc);
    return needed.bottom <= place.bottom - place.top && place.left >= 0 && place.top >= 0 &&
           place.right <= client.right && place.bottom <= client.bottom;
}

// The share of the bar's middle row painted in the highlight colour.
double barFill(HWND dialog) {
    const HWND bar = ::GetDlgItem(dialog, ctl::progressBar);
    RECT row{};
    ::GetWindowRect(bar, &row);
    row.top = (row.top + row.bottom) / 2;
    row.bottom = row.top + 1;
    const winesupport::ScreenPixels pixels = winesupport::captureScreen(row);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    const std::uint32_t fill =
        (GetRValue(highlight) << 16) | (GetGValue(highlight) << 8) | GetBValue(highlight);
    std::size_t filled = 0;
    for (std::uint32_t pixel : pixels.rgb)
        filled += pixel == fill;
    return pixels.rgb.empty() ? 0 : double(filled) / pixels.rgb.size();
}

// One run of the program started as a shortcut starts it (shown normally),
// whose dialog the test works.
class LauncherRun {
public:
    explicit LauncherRun(std::string commandLine) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &process_);
    }
    ~LauncherRun() {
        if (dialog_ && !ended()) ::PostMessageA(dialog_, WM_CLOSE, 0, 0);
        exitCode();
        if (process_.hProcess) ::CloseHandle(process_.hProcess);
        if (process_.hThread) ::CloseHandle(process_.hThread);
    }
    HWND dialog(const char* caption) {
        waitFor([&] { return (dialog_ = ::FindWindowA("#32770", caption)) != nullptr || ended(); });
        return dialog_;
    }
    bool ended() const {
        return !process_.hProcess || ::WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
    }
    // Once the program has ended by itself; 12345 when it does not.
    int exitCode() {
        DWORD code = 12345;
        if (process_.hProcess && ::WaitForSingleObject(process_.hProcess, 60000) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<int>(code);
    }

private:
    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

// Lets this thread's windows paint.
void pumpMessages(unsigned milliseconds) {
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    MSG message;
    while (::GetTickCount64() < deadline) {
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&message);
        ::Sleep(10);
    }
}

class LauncherUnderWine : public ::testing::Test {
protected:
    static void SetUpTestSuite() { prepareDesktop(); }

    void SetUp() override {
        winesupport::installTestJvm(temp);
        winesupport::makeFolder(programs);
        for (const std::string program : {"Harvella_Access.exe", "Harvella_Access_NoManifest.exe"})
            winesupport::copyFile(winesupport::programFolder() + "\\" + program,
                                  programs + "\\" + program);
        winesupport::copyFile(winesupport::fixturesFolder() + "\\launcher\\explorer.exe",
                              programs + "\\explorer.exe");
        ::SetEnvironmentVariableA("EXPLORER_RECORD", opened.c_str());
        setServerClass("sample.server.SampleServer");
        std::ofstream(temp / "install\\harvella.config", std::ios::binary)
            << "IPaddress=127.0.0.1\r\nHTTPPort=18080\r\n";
    }
    void TearDown() override {
        run("stopsilent");
        run("remove");
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, Harvella::productKeyPath);
    }

    void setServerClass(const std::string& name) {
        ASSERT_TRUE(winesupport::setMachineStrings(
            Harvella::productKeyPath, {{"InstallPath", temp / "install"},
                                       {"JavaPath", temp / "java"},
                                       {"StartupClassPath", "C:\\Harvella\\lib\\server.jar"},
                                       {"StartupClassName", name}}));
    }
    std::string commandLine(const std::string& verb, const char* program = "Harvella_Access") {
        return "\"" + programs + "\\" + program + ".exe\" " + verb;
    }
    int run(const std::string& verb, const char* program = "Harvella_Access") {
        return winesupport::runProgram(commandLine(verb, program)).exitCode;
    }
    platform::ServiceStatus status() {
        auto connection = manager->connect(platform::svc::managerAllAccess);
        auto service = connection.value->open("Harvella");
        return service.ok() ? service.value->queryStatus().value : platform::ServiceStatus{};
    }
    // Waits for the final layout and checks what it shows.
    void expectFinalLayout(HWND dialog, const std::string& result, int total) {
        ASSERT_TRUE(waitFor([&] { return shown(dialog, ctl::resultText); }));
        EXPECT_EQ(text(::GetDlgItem(dialog, ctl::resultText)), result);
        RECT client{};
        ::GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 503);
        EXPECT_EQ(client.bottom, 80);
        for (int control : {ctl::icon, ctl::resultText, ctl::button})
            EXPECT_TRUE(shown(dialog, control)) << "control " << control;
        for (int control : {ctl::progressBar, ctl::waitText})
            EXPECT_FALSE(shown(dialog, control)) << "control " << control;
        const HWND bar = ::GetDlgItem(dialog, ctl::progressBar);
        EXPECT_EQ(ask(bar, PBM_GETRANGE, FALSE), total);
        EXPECT_EQ(ask(bar, PBM_GETPOS), total);
    }

    winesupport::TempFolder temp;
    const std::string programs = temp / "programs";
    const std::string opened = temp / "opened.txt";
    std::unique_ptr<platform::ServiceManager> manager = platform::makeSystemServiceManager();
};

TEST_F(LauncherUnderWine, StartAndStopShowTheirProgressAndResultAndTheUserEndsTheDialog) {
    ASSERT_EQ(run("install"), 0);

    LauncherRun start(commandLine("start"));
    HWND dialog = start.dialog("Starting Harvella");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(text(::GetDlgItem(dialog, ctl::waitText)),
              "Please wait while Harvella is being started ...");
    EXPECT_FALSE(shown(dialog, ctl::button));
    // The loop does not run yet: the bar is read off the screen.
    std::vector<double> fill;
    while (!shown(dialog, ctl::resultText) && !start.ended()) {
        fill.push_back(barFill(dialog));
        if (fill.size() == 20)
            winesupport::saveScreenshot(winesupport::captureWindow(dialog), "dialog-working");
        ::Sleep(100);
    }
    EXPECT_TRUE(std::any_of(fill.begin(), fill.end(), [](double f) { return f > 0 && f < 1; }));
    expectFinalLayout(dialog, "Harvella has been started.", 120);
    EXPECT_EQ(text(::GetDlgItem(dialog, ctl::button)), "Open Login Page");
    const RECT openButton = placeOf(dialog, ctl::button);
    const auto started = winesupport::captureWindow(dialog);
    winesupport::saveScreenshot(started, "dialog-started");
    EXPECT_FALSE(winesupport::showsColour(started, ::GetDlgItem(dialog, ctl::resultText), pureRed));
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(ctl::button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, ctl::button)));
    EXPECT_EQ(start.exitCode(), 0);
    EXPECT_TRUE(waitFor([&] { return !winesupport::readFile(opened).empty(); }, 10000));
    EXPECT_EQ(winesupport::readFile(opened), "http://localhost:18080/login.do");
    EXPECT_EQ(status().currentState, platform::svc::running);

    LauncherRun again(commandLine("start"));
    dialog = again.dialog("Starting Harvella");
    ASSERT_NE(dialog, nullptr);
    expectFinalLayout(dialog, "Harvella is already started.", 10);
    ::PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(again.exitCode(), 0) << "Esc ends the dialog";

    LauncherRun stop(commandLine("stop"));
    dialog = stop.dialog("Stopping Harvella");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(text(::GetDlgItem(dialog, ctl::waitText)),
              "Please wait while Harvella is being stopped ...");
    expectFinalLayout(dialog, "Harvella has been stopped successfully.", 80);
    EXPECT_EQ(text(::GetDlgItem(dialog, ctl::button)), "OK");
    const RECT okButton = placeOf(dialog, ctl::button);
    EXPECT_EQ(okButton.left, openButton.left + 50);
    EXPECT_EQ(okButton.right, openButton.right);
    winesupport::saveScreenshot(winesupport::captureWindow(dialog), "dialog-stopped");
    ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(stop.exitCode(), 0) << "the close box ends the dialog";
    EXPECT_EQ(status().currentState, platform::svc::stopped);
    EXPECT_EQ(status().win32ExitCode, 0u);
}

TEST_F(LauncherUnderWine,
       TheBuildWithoutManifestRunsTheSilentVerbsAndAFailedStartShowsItsReasonInRed) {
    ASSERT_EQ(run("install", "Harvella_Access_NoManifest"), 0);
    EXPECT_EQ(run("startsilent", "Harvella_Access_NoManifest"), 0);
    EXPECT_EQ(status().currentState, platform::svc::running);
    EXPECT_EQ(run("stopsilent", "Harvella_Access_NoManifest"), 0);
    EXPECT_EQ(status().currentState, platform::svc::stopped);

    setServerClass("sample.server.FailingServer");
    LauncherRun start(commandLine("start", "Harvella_Access_NoManifest"));
    const HWND dialog = start.dialog("Starting Harvella");
    ASSERT_NE(dialog, nullptr);
    const HWND reason = ::GetDlgItem(dialog, ctl::waitText);
    const std::string expected =
        "Failed to start Harvella for the following reason: Service Harvella has been started and "
        "then stopped unexpectedly with exit code: 1100. Refer to the event log for more details.";
    ASSERT_TRUE(waitFor([&] { return text(reason) == expected; })) << text(reason);
    ::Sleep(300);  // painted by the loop that runs now
    EXPECT_TRUE(shown(dialog, ctl::progressBar));
    EXPECT_FALSE(shown(dialog, ctl::button));
    EXPECT_TRUE(showsWholeText(dialog, ctl::waitText));
    const auto failed = winesupport::captureWindow(dialog);
    winesupport::saveScreenshot(failed, "dialog-failed-start");
    EXPECT_TRUE(winesupport::showsColour(failed, reason, pureRed));
    ::PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(start.exitCode(), -1);

    EXPECT_EQ(run("remove", "Harvella_Access_NoManifest"), 0);
    EXPECT_EQ(run("remove", "Harvella_Access_NoManifest"), 0);
}

// The final layout hides the wait text, so a failed stop puts its reason
// beside the button, tall enough for all of it.
TEST_F(LauncherUnderWine, AFailedStopShowsItsWholeReasonInRedInTheFinalLayout) {
    const auto dialogs = platform::makeProgressDialogs();
    const auto phase = dialogs->enterWindowPhase();
    Harvella::HarvellaDialog dialog(*dialogs, false);
    ASSERT_TRUE(dialog.create());
    dialog.show();
    const std::string reason =
        "Failed to stop Harvella for the following reason: Could not stop the service: "
        "MySQL56 [ErrorCode: 1051]";
    dialog.showFailure(reason);
    dialog.showFinalLayout();
    const HWND window = ::FindWindowA("#32770", "Stopping Harvella");
    ASSERT_NE(window, nullptr);
    pumpMessages(500);

    EXPECT_EQ(text(::GetDlgItem(window, ctl::resultText)), reason);
    EXPECT_TRUE(shown(window, ctl::resultText));
    EXPECT_FALSE(shown(window, ctl::waitText));
    EXPECT_TRUE(showsWholeText(window, ctl::resultText));
    EXPECT_LT(placeOf(window, ctl::resultText).right, placeOf(window, ctl::button).left);
    const auto failed = winesupport::captureWindow(window);
    winesupport::saveScreenshot(failed, "dialog-failed-stop");
    EXPECT_TRUE(winesupport::showsColour(failed, ::GetDlgItem(window, ctl::resultText), pureRed));
    dialog.closeDialog();
    EXPECT_FALSE(::IsWindow(window));
}

TEST(LauncherResources, TheManifestIsInThePlainBuildOnly) {
    const std::string folder = winesupport::programFolder();
    for (const std::string name : {"Harvella_Access.exe", "Harvella_Access_NoManifest.exe"}) {
        const HMODULE program =
            ::LoadLibraryExA((folder + "\\" + name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program, nullptr) << name;
        const HRSRC manifest = ::FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        if (name == "Harvella_Access.exe") {
            ASSERT_NE(manifest, nullptr);
            const std::string xml(
                static_cast<const char*>(::LockResource(::LoadResource(program, manifest))),
                ::SizeofResource(program, manifest));
            for (const char* attribute : {"name=\"harvella_access\"", "version=\"1.0.0.0\"",
                                          "processorArchitecture=\"X86\"",
                                          "level=\"highestAvailable\"", "uiAccess=\"false\""})
                EXPECT_NE(xml.find(attribute), std::string::npos) << attribute << " in\n" << xml;
        } else {
            EXPECT_EQ(manifest, nullptr);
        }
        ::FreeLibrary(program);
    }
}

}  // namespace
