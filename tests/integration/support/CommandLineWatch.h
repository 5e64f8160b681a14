#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// Reads the command line of every process over and over while it lives, to
// catch a secret passed on one: what every local user can read there.
class CommandLineWatch {
public:
    // Also counts the command lines that name `program`, to show that the
    // watch saw it run at all.
    CommandLineWatch(std::vector<std::string> secrets, std::string program);
    ~CommandLineWatch();
    CommandLineWatch(const CommandLineWatch&) = delete;
    CommandLineWatch& operator=(const CommandLineWatch&) = delete;

    // Ends the watch: the command lines that held a secret.
    std::vector<std::string> stop();
    int programSightings() const { return sightings_; }

private:
    void sample();

    std::vector<std::string> secrets_;
    std::string program_;
    std::atomic<bool> running_{true};
    std::atomic<int> sightings_{0};
    std::mutex mutex_;
    std::vector<std::string> leaks_;
    std::thread sampler_;
};

}  // namespace testsupport
