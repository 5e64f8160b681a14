#include "TestSupport.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/platform.h"
#include "process_launcher.h"

namespace testsupport {

ProgramRun runProgram(const std::string& commandLine) {
    platform::posix::PosixProcessLauncher launcher;
    auto launched = launcher.launch(commandLine);
    ProgramRun run;
    if (!launched.ok()) return run;
    while (!launched.value->waitSlice(std::chrono::milliseconds(100), run.out, run.err)) {
    }
    run.exitCode = launched.value->exitCode();
    return run;
}

TempFolder::TempFolder() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/harvella-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::string& path, const std::string& bytes, bool executable) {
    std::ofstream(path, std::ios::binary) << bytes;
    if (executable) ::chmod(path.c_str(), 0755);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void makeFolders(const std::string& path) { std::filesystem::create_directories(path); }

std::size_t countFilesStartingWith(const std::string& folder, const std::string& prefix) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0) ++count;
    }
    return count;
}

std::string binDir() { return HARVELLA_BIN_DIR; }

unsigned fileMode(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

}  // namespace testsupport
