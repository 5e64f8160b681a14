#include "WineSupport.h"

#include <windows.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/platform.h"
#include "process_launcher.h"

namespace winesupport {

ProgramRun runProgram(const std::string& commandLine) {
    platform::win32::Win32ProcessLauncher launcher;
    auto launched = launcher.launch(commandLine);
    ProgramRun run;
    if (!launched.ok()) return run;
    while (!launched.value->waitSlice(std::chrono::milliseconds(100), run.out, run.err)) {
    }
    run.exitCode = launched.value->exitCode();
    return run;
}

namespace {
// Taken once: tests point TMP elsewhere while they run.
std::string tempRoot() {
    static const std::string root = [] {
    char buffer[MAX_PATH + 1];
    const DWORD length = ::GetTempPathA(sizeof buffer, buffer);
    std::string folder(buffer, length);
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
    }();
    return root;
}

void removeTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(child);
            else ::DeleteFileA(child.c_str());
        } while (::FindNextFileA(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}
}  // namespace

TempFolder::TempFolder() {
    static unsigned counter = 0;
    path_ = tempRoot() + "\\harvella-wine-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
    removeTree(path_);
    if (!::CreateDirectoryA(path_.c_str(), nullptr)) throw std::runtime_error("CreateDirectory");
}

TempFolder::~TempFolder() { removeTree(path_); }

std::string programFolder() {
    char buffer[MAX_PATH + 1];
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    std::string path(buffer, length);
    return path.substr(0, path.find_last_of('\\'));
}

std::string fixturesFolder() {
    const std::string bin = programFolder();
    return bin.substr(0, bin.find_last_of('\\')) + "\\fixtures";
}

void makeFolder(const std::string& path) { ::CreateDirectoryA(path.c_str(), nullptr); }

void copyFile(const std::string& from, const std::string& to) {
    if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) throw std::runtime_error("CopyFile " + from);
}

std::size_t countFilesStartingWith(const std::string& folder, const std::string& prefix) {
    std::size_t count = 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA((folder + "\\" + prefix + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        ++count;
    } while (::FindNextFileA(find, &entry));
    ::FindClose(find);
    return count;
}

bool waitForExit(platform::ChildProcess& child, unsigned timeoutMs) {
    std::string out, err;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::GetTickCount64() < deadline) {
        if (child.waitSlice(std::chrono::milliseconds(100), out, err)) return true;
    }
    return false;
}

bool dismissMessageBox(const std::string& caption, unsigned timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::GetTickCount64() < deadline) {
        if (HWND box = ::FindWindowA("#32770", caption.c_str())) {
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            return true;
        }
        ::Sleep(50);
    }
    return false;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void installTestJvm(const TempFolder& folder) {
    for (const char* name : {"java", "java\\bin", "java\\bin\\server", "install", "install\\run"})
        makeFolder(folder / name);
    copyFile(fixturesFolder() + "\\launcher\\jvm.dll", folder / "java\\bin\\server\\jvm.dll");
}

bool setMachineStrings(const std::string& keyPath,
                       const std::vector<std::pair<std::string, std::string>>& values) {
    HKEY key = nullptr;
    if (::RegCreateKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str(), &key) != ERROR_SUCCESS) return false;
    for (const auto& [name, text] : values)
        ::RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1));
    ::RegCloseKey(key);
    return true;
}

}  // namespace winesupport
