#include "CommandLineWatch.h"

#include <chrono>
#include <filesystem>

#include "TestSupport.h"

namespace testsupport {

CommandLineWatch::CommandLineWatch(std::vector<std::string> secrets, std::string program)
    : secrets_(std::move(secrets)), program_(std::move(program)), sampler_([this] { sample(); }) {}

CommandLineWatch::~CommandLineWatch() {
    stop();
}

std::vector<std::string> CommandLineWatch::stop() {
    running_ = false;
    if (sampler_.joinable()) sampler_.join();
    std::lock_guard<std::mutex> guard(mutex_);
    return leaks_;
}

void CommandLineWatch::sample() {
    while (running_) {
        // Processes come and go while the folder is read: no error may end the sampling.
        std::error_code ignored;
        for (std::filesystem::directory_iterator entry("/proc", ignored), end; entry != end;
             entry.increment(ignored)) {
            const std::string cmdline = readFile(entry->path().string() + "/cmdline");
            if (cmdline.find(program_) != std::string::npos) ++sightings_;
            for (const std::string& secret : secrets_) {
                if (cmdline.find(secret) == std::string::npos) continue;
                std::lock_guard<std::mutex> guard(mutex_);
                leaks_.push_back(cmdline);
            }
        }
        // A breath between rounds: the machine's other work goes on meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace testsupport
