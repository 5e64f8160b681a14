// Harvella_Access.exe under Wine: the verbs through Wine's service manager
// with the test jvm.dll, the progress dialog as a user sees it (read back
// from the window and from the screen), and the manifest of both builds.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "runtime/LauncherSettings.h"
#include "support/PortListener.h"
#include "support/Screenshot.h"
#include "support/WineSupport.h"

namespace {

constexpr int progressBar = 1001, waitText = 1004, button = 1007, icon = 1010, resultText = 1011;
constexpr std::uint32_t pureRed = 0xFF0000;

bool waitFor(const std::function<bool()>& condition) {
    for (const ULONGLONG deadline = ::GetTickCount64() + 60000; ::GetTickCount64() < deadline;
         ::Sleep(50))
        if (condition()) return true;
    return false;
}

std::string text(HWND dialog, int control) {
    char buffer[1024] = {};
    ::GetWindowTextA(::GetDlgItem(dialog, control), buffer, sizeof buffer);
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

// The control is tall enough for its whole word-wrapped text in the dialog's
// font, lies inside the client area and shows red text.
void expectWholeTextInRed(HWND dialog, int control) {
    const RECT place = placeOf(dialog, control);
    RECT client{}, needed{0, 0, place.right - place.left, 0};
    ::GetClientRect(dialog, &client);
    const HDC dc = ::GetDC(nullptr);
    const HFONT font = ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                     "MS Shell Dlg");
    const HGDIOBJ previous = ::SelectObject(dc, font);
    ::DrawTextA(dc, text(dialog, control).c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
    ::DeleteObject(::SelectObject(dc, previous));
    ::ReleaseDC(nullptr, dc);
    EXPECT_LE(needed.bottom, place.bottom - place.top) << "lines cut off";
    EXPECT_TRUE(place.top >= 0 && place.right <= client.right && place.bottom <= client.bottom);
    // Painted a moment after the text is set.
    EXPECT_TRUE(waitFor([&] {
        return winesupport::showsColour(winesupport::captureWindow(dialog),
                                        ::GetDlgItem(dialog, control), pureRed);
    })) << "the text is not shown in pure red";
}

// The share of the bar's middle row painted in the highlight colour.
double barFill(HWND dialog) {
    RECT row{};
    ::GetWindowRect(::GetDlgItem(dialog, progressBar), &row);
    row.top = (row.top + row.bottom) / 2;
    row.bottom = row.top + 1;
    const auto pixels = winesupport::captureScreen(row);
    const COLORREF h = ::GetSysColor(COLOR_HIGHLIGHT);
    const std::uint32_t fill = (GetRValue(h) << 16) | (GetGValue(h) << 8) | GetBValue(h);
    return double(std::count(pixels.rgb.begin(), pixels.rgb.end(), fill)) / pixels.rgb.size();
}

// One run of the program, shown normally as a shortcut starts it.
class LauncherRun {
public:
    explicit LauncherRun(std::string commandLine) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &process_);
    }
    ~LauncherRun() {
        if (!ended()) ::PostMessageA(dialog_, WM_CLOSE, 0, 0);
        exitCode();
        ::CloseHandle(process_.hProcess);
        ::CloseHandle(process_.hThread);
    }
    HWND dialog(const char* caption) {
        waitFor([&] { return (dialog_ = ::FindWindowA("#32770", caption)) != nullptr || ended(); });
        return dialog_;
    }
    bool ended() const { return ::WaitForSingleObject(process_.hProcess, 0) != WAIT_TIMEOUT; }
    // Once the program has ended by itself; 12345 when it does not.
    int exitCode() {
        DWORD code = 12345;
        if (::WaitForSingleObject(process_.hProcess, 60000) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<int>(code);
    }

private:
    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

class LauncherUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        winesupport::installTestJvm(temp);
        // The launcher in its installation folder, the usual one with a blank.
        for (const char* folder :
             {"Program Files", "Program Files\\Harvella", "Program Files\\Harvella\\run"})
            winesupport::makeFolder(temp / folder);
        for (const std::string program : {"Harvella_Access.exe", "Harvella_Access_NoManifest.exe"})
            winesupport::copyFile(winesupport::programFolder() + "\\" + program,
                                  install + "\\" + program);
        // The shell finds this "explorer" beside the launcher first.
        winesupport::copyFile(winesupport::fixturesFolder() + "\\launcher\\explorer.exe",
                              install + "\\explorer.exe");
        ::SetEnvironmentVariableA("EXPLORER_RECORD", opened.c_str());
        setServerClass("sample.server.SampleServer");
        configurePort("18080");
    }
    void TearDown() override {
        run("stopsilent");
        run("remove");
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, Harvella::productKeyPath);
    }

    void configurePort(const std::string& port) {
        std::ofstream(install + "\\harvella.config", std::ios::binary)
            << "IPaddress=127.0.0.1\r\nHTTPPort=" << port << "\r\n";
    }
    void setServerClass(const std::string& name) {
        ASSERT_TRUE(winesupport::setMachineStrings(
            Harvella::productKeyPath, {{"InstallPath", install},
                                       {"JavaPath", temp / "java"},
                                       {"StartupClassPath", "C:\\Harvella\\lib\\server.jar"},
                                       {"StartupClassName", name}}));
    }
    std::string commandLine(const std::string& verb, const char* program = "Harvella_Access") {
        return "\"" + install + "\\" + program + ".exe\" " + verb;
    }
    int run(const std::string& verb, const char* program = "Harvella_Access") {
        return winesupport::runProgram(commandLine(verb, program)).exitCode;
    }
    // The Harvella service's state (0 when there is none), or its registered
    // command line and display name.
    DWORD state(std::string* registered = nullptr) {
        const SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        const SC_HANDLE service =
            ::OpenServiceA(manager, "Harvella", SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
        SERVICE_STATUS status{};
        ::QueryServiceStatus(service, &status);
        union {
            QUERY_SERVICE_CONFIGA config;
            char bytes[8192];
        } buffer{};
        DWORD needed = 0;
        if (registered && ::QueryServiceConfigA(service, &buffer.config, sizeof buffer, &needed))
            *registered =
                std::string(buffer.config.lpBinaryPathName) + "|" + buffer.config.lpDisplayName;
        ::CloseServiceHandle(service);
        ::CloseServiceHandle(manager);
        return status.dwCurrentState;
    }
    // Waits for the final layout and checks what it shows; a failure (no
    // total) may have made the dialog taller and left the bar short.
    void expectFinalLayout(HWND dialog, const std::string& result, int total = 0) {
        ASSERT_TRUE(waitFor([&] { return shown(dialog, resultText); }));
        EXPECT_EQ(text(dialog, resultText), result);
        RECT client{};
        ::GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 503);
        for (int control : {icon, resultText, button})
            EXPECT_TRUE(shown(dialog, control));
        for (int control : {progressBar, waitText})
            EXPECT_FALSE(shown(dialog, control));
        if (total == 0) return;
        EXPECT_EQ(client.bottom, 80);
        // The loop runs now, so the bar answers its messages.
        DWORD_PTR range = 0, position = 0;
        const HWND bar = ::GetDlgItem(dialog, progressBar);
        ::SendMessageTimeoutA(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &range);
        ::SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position);
        EXPECT_EQ(range, DWORD_PTR(total));
        EXPECT_EQ(position, DWORD_PTR(total));
    }

    winesupport::TempFolder temp;
    const std::string install = temp / "Program Files\\Harvella";
    const std::string opened = temp / "opened.txt";
};

TEST_F(LauncherUnderWine, StartAndStopShowTheirProgressAndResultAndTheUserEndsTheDialog) {
    ASSERT_EQ(run("install"), 0);
    std::string registered;
    EXPECT_EQ(state(&registered), DWORD(SERVICE_STOPPED));
    EXPECT_EQ(registered,
              "\"" + install + "\\Harvella_Access.exe\" startAsService|Harvella Server");

    LauncherRun start(commandLine("start"));
    HWND dialog = start.dialog("Starting Harvella");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(text(dialog, waitText), "Please wait while Harvella is being started ...");
    EXPECT_FALSE(shown(dialog, button));
    // The loop does not run yet: the bar is read off the screen.
    bool partlyFilled = false;
    for (int sample = 0; !shown(dialog, resultText) && !start.ended(); ++sample, ::Sleep(100)) {
        const double fill = barFill(dialog);
        partlyFilled = partlyFilled || (fill > 0 && fill < 1);
        if (sample == 20) winesupport::saveScreenshot(dialog, "dialog-working");
    }
    EXPECT_TRUE(partlyFilled);
    expectFinalLayout(dialog, "Harvella has been started.", 120);
    EXPECT_EQ(text(dialog, button), "Open Login Page");
    const RECT openButton = placeOf(dialog, button);
    EXPECT_FALSE(winesupport::showsColour(winesupport::captureWindow(dialog),
                                          ::GetDlgItem(dialog, resultText), pureRed));
    winesupport::saveScreenshot(dialog, "dialog-started");
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    EXPECT_EQ(start.exitCode(), 0);
    EXPECT_TRUE(waitFor([&] { return !winesupport::readFile(opened).empty(); }));
    EXPECT_EQ(winesupport::readFile(opened), "http://localhost:18080/login.do");
    EXPECT_EQ(state(), DWORD(SERVICE_RUNNING));

    LauncherRun again(commandLine("start"));
    dialog = again.dialog("Starting Harvella");
    expectFinalLayout(dialog, "Harvella is already started.", 10);
    ::PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(again.exitCode(), 0) << "Esc ends the dialog";

    LauncherRun stop(commandLine("stop"));
    dialog = stop.dialog("Stopping Harvella");
    EXPECT_EQ(text(dialog, waitText), "Please wait while Harvella is being stopped ...");
    expectFinalLayout(dialog, "Harvella has been stopped successfully.", 80);
    EXPECT_EQ(text(dialog, button), "OK");
    EXPECT_EQ(placeOf(dialog, button).left, openButton.left + 50);
    EXPECT_EQ(placeOf(dialog, button).right, openButton.right);
    winesupport::saveScreenshot(dialog, "dialog-stopped");
    ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(stop.exitCode(), 0) << "the close box ends the dialog";
    EXPECT_EQ(state(), DWORD(SERVICE_STOPPED));
}

TEST_F(LauncherUnderWine, TheBuildWithoutManifestRunsSilentlyAndShowsFailuresWholeAndInRed) {
    const char* const program = "Harvella_Access_NoManifest";
    ASSERT_EQ(run("install", program), 0);
    EXPECT_EQ(run("startsilent", program), 0);
    EXPECT_EQ(state(), DWORD(SERVICE_RUNNING));
    EXPECT_EQ(run("stopsilent", program), 0);
    EXPECT_EQ(state(), DWORD(SERVICE_STOPPED));
    HWND dialog = nullptr;

    {
        // A server that fails on a taken port: a reason of three lines.
        const winesupport::PortListener taken("127.0.0.1");
        const std::string port = std::to_string(taken.port());
        configurePort(port);
        setServerClass("sample.server.FailingServer");
        LauncherRun start(commandLine("start", program));
        dialog = start.dialog("Starting Harvella");
        ASSERT_TRUE(waitFor([&] { return text(dialog, waitText).find("Failed") == 0; }));
        EXPECT_EQ(text(dialog, waitText),
                  "Failed to start Harvella for the following reason: Port " + port +
                      " on IP address 127.0.0.1 is already occupied. Please run Harvella "
                      "installer and re-configure IP address or port to use.");
        ::Sleep(500);  // painted by the loop that runs now
        EXPECT_TRUE(shown(dialog, progressBar));
        EXPECT_GT(placeOf(dialog, progressBar).top, placeOf(dialog, waitText).bottom);
        EXPECT_FALSE(shown(dialog, button));
        expectWholeTextInRed(dialog, waitText);
        winesupport::saveScreenshot(dialog, "dialog-failed-start");
        ::PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ(start.exitCode(), -1);
    }

    // A server that takes longer to end than the stop waits.
    setServerClass("sample.server.SlowStoppingServer");
    ASSERT_EQ(run("startsilent", program), 0);
    LauncherRun stop(commandLine("stop", program));
    dialog = stop.dialog("Stopping Harvella");
    expectFinalLayout(dialog,
                      "Failed to stop Harvella for the following reason: Timeout stopping "
                      "service: Harvella");
    expectWholeTextInRed(dialog, resultText);
    EXPECT_LT(placeOf(dialog, resultText).right, placeOf(dialog, button).left);
    winesupport::saveScreenshot(dialog, "dialog-failed-stop");
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    EXPECT_EQ(stop.exitCode(), -1);
    EXPECT_TRUE(waitFor([&] { return state() == SERVICE_STOPPED; }));
}

// A UTF-16 command line, which the ANSI runner cannot pass; its exit code.
int runWide(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;  // none: its reason is checked elsewhere
    PROCESS_INFORMATION process{};
    DWORD code = 12345;
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return static_cast<int>(code);
    if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    return static_cast<int>(code);
}

TEST_F(LauncherUnderWine, InstallFromAFolderTheServiceManagerCannotStartIsRefusedAndKeepsTheOldService) {
    ASSERT_EQ(run("install"), 0);
    std::string registered, after;
    state(&registered);

    // The manager would expand %windir% in the stored command line.
    const std::string expanded = temp / "A%windir%B";
    winesupport::makeFolder(expanded);
    winesupport::copyFile(install + "\\Harvella_Access.exe", expanded + "\\Harvella_Access.exe");
    const auto refused = winesupport::runProgram("\"" + expanded + "\\Harvella_Access.exe\" install");
    EXPECT_EQ(refused.exitCode, -1);
    EXPECT_NE(refused.out.find("holds \"%\" characters"), std::string::npos) << refused.out;

    // A folder name outside the ANSI code page (1252 here), which
    // GetModuleFileNameA gives as "?"; the ANSI clean-up could not remove it.
    struct ForeignCopy {
        std::wstring folder, program;
        ~ForeignCopy() {
            ::DeleteFileW(program.c_str());
            ::RemoveDirectoryW(folder.c_str());
        }
    } foreign;
    foreign.folder = std::wstring(temp.path().begin(), temp.path().end()) +
                     L"\\\x041f\x0440\x043e\x0432\x0435\x0440\x043a\x0430";
    foreign.program = foreign.folder + L"\\Harvella_Access.exe";
    const std::string launcher = install + "\\Harvella_Access.exe";
    ASSERT_TRUE(::CreateDirectoryW(foreign.folder.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW(std::wstring(launcher.begin(), launcher.end()).c_str(),
                            foreign.program.c_str(), FALSE));
    EXPECT_EQ(runWide(L"\"" + foreign.program + L"\" install"), -1);

    state(&after);
    EXPECT_EQ(after, registered) << "a refused install touched the old registration";
}

TEST(LauncherResources, TheManifestIsInThePlainBuildOnly) {
    for (const std::string name : {"Harvella_Access.exe", "Harvella_Access_NoManifest.exe"}) {
        const HMODULE program =
            ::LoadLibraryExA((winesupport::programFolder() + "\\" + name).c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE);
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
