#include "SecretScan.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "SecretScanSystem.h"

namespace testsupport {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The piece of `text` between two separators that holds position `at`: one
// argument or variable of a /proc list, one line of a file.
std::string pieceAround(const std::string& text, std::size_t at, char separator) {
    const std::size_t start = text.rfind(separator, at);
    const std::size_t begin = start == std::string::npos ? 0 : start + 1;
    return text.substr(begin, text.find(separator, at) - begin);
}

}  // namespace

SecretScan::SecretScan(std::vector<std::string> secrets) : secrets_(std::move(secrets)) {
    sampler_ = std::thread([this] { sampleUntilStopped(); });
}

SecretScan::~SecretScan() {
    running_ = false;
    if (sampler_.joinable()) sampler_.join();
}

std::vector<std::string> SecretScan::finish(const std::vector<std::string>& folders,
                                            const std::vector<std::string>& secretsMadeByTheFlow) {
    running_ = false;
    if (sampler_.joinable()) sampler_.join();
    secrets_.insert(secrets_.end(), secretsMadeByTheFlow.begin(), secretsMadeByTheFlow.end());
    // An empty secret would be found everywhere.
    secrets_.erase(std::remove(secrets_.begin(), secrets_.end(), std::string()), secrets_.end());
    for (const auto& [text, where] : sampled_)
        lookIn(text, '\0', where);
    for (const std::string& folder : folders)
        scanFolder(folder);
    return {findings_.begin(), findings_.end()};
}

bool SecretScan::saw(const std::string& program) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return std::any_of(sampled_.begin(), sampled_.end(), [&](const auto& sample) {
        const std::string programPath = sample.first.substr(0, sample.first.find('\0'));
        return sample.second.rfind("command line", 0) == 0 &&
               programPath.find(program) != std::string::npos;
    });
}

void SecretScan::sampleUntilStopped() {
    // At least one whole round, however short the flow.
    do {
        sampleOnce();
        // A breath between rounds: the machine's other work goes on meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (running_);
}

void SecretScan::sampleOnce() {
    // Processes come and go while the folder is read: no error may end the sampling.
    std::error_code ignored;
    for (fs::directory_iterator entry(processTable(), ignored), end; entry != end;
         entry.increment(ignored)) {
        const std::string pid = entry->path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        keep(readFile(entry->path() / "cmdline"), "command line of process " + pid);
        // Readable for our own processes only, which is where a leak would come from.
        keep(readFile(entry->path() / "environ"), "environment of process " + pid);
    }
}

void SecretScan::keep(std::string text, std::string where) {
    if (text.empty()) return;
    std::lock_guard<std::mutex> guard(mutex_);
    sampled_.emplace(std::move(text), std::move(where));
}

void SecretScan::scanFolder(const std::string& folder) {
    std::error_code ignored;
    for (fs::recursive_directory_iterator
             entry(folder, fs::directory_options::skip_permission_denied, ignored),
         end;
         entry != end; entry.increment(ignored)) {
        const std::string path = entry->path().string();
        lookIn(entry->path().filename().string(), '/', "name of " + path);
        if (!entry->is_symlink() && entry->is_regular_file() && readableByOthers(path))
            lookIn(readFile(path), '\n', "file readable by others " + path);
    }
}

void SecretScan::lookIn(const std::string& text, char separator, const std::string& where) {
    for (const std::string& secret : secrets_) {
        const std::size_t at = text.find(secret);
        if (at != std::string::npos)
            findings_.insert(where + ": \"" + pieceAround(text, at, separator) + "\"");
    }
}

}  // namespace testsupport
