// Measures the process runner against a direct posix_spawn + waitpid of the
// same child, and its throughput on a child that writes 64 MiB to standard
// output and 1 MiB to standard error. Prints figures; asserts nothing.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "frame/ExecCmdModule.h"
#include "platform/platform.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t outBytes = 64u << 20;
constexpr std::size_t errBytes = 1u << 20;

// The byte at position i of a stream: a pattern that reveals lost or reordered bytes.
char patternByte(std::size_t i, unsigned salt) { return static_cast<char>((i * 131 + i / 4093 + salt) & 0xFF); }

int writeStreams() {
    std::vector<char> block(1 << 16);
    for (std::size_t done = 0; done < outBytes; done += block.size()) {
        for (std::size_t i = 0; i < block.size(); ++i) block[i] = patternByte(done + i, 1);
        if (::write(1, block.data(), block.size()) != static_cast<ssize_t>(block.size())) return 1;
        if (done % (outBytes / 16) == 0 && done / (outBytes / 16) < 16) {
            const std::size_t errAt = done / (outBytes / 16) * (errBytes / 16);
            std::vector<char> err(errBytes / 16);
            for (std::size_t i = 0; i < err.size(); ++i) err[i] = patternByte(errAt + i, 2);
            if (::write(2, err.data(), err.size()) != static_cast<ssize_t>(err.size())) return 1;
        }
    }
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double directSpawnMicros(const char* program) {
    char* argv[] = {const_cast<char*>(program), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double execCmdMicros(platform::Services& services, const std::string& program) {
    std::string err, out;
    const auto start = Clock::now();
    Quimbo::ExecCmd(services, program, err, out);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

bool streamIsIntact(const std::string& bytes, std::size_t size, unsigned salt) {
    if (bytes.size() != size) return false;
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] != patternByte(i, salt)) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--write-streams") == 0) return writeStreams();

    auto system = platform::makeSystemServices(0, nullptr);
    auto& services = system->services();
    const char* instant = "/bin/true";
    constexpr int runs = 200;

    std::vector<double> direct, runner;
    for (int i = 0; i < runs; ++i) {
        direct.push_back(directSpawnMicros(instant));
        runner.push_back(execCmdMicros(services, instant));
    }
    const double directMedian = median(direct), runnerMedian = median(runner);
    std::printf("instant child (%s), median of %d runs: posix_spawn+waitpid %.1f us, ExecCmd %.1f us, "
                "ratio %.2f (target <= 1.5)\n",
                instant, runs, directMedian, runnerMedian, runnerMedian / directMedian);

    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return 1;
    const std::string writer = "\"" + std::string(self, static_cast<std::size_t>(length)) + "\" --write-streams";
    std::vector<double> rates;
    bool intact = true;
    for (int i = 0; i < 5; ++i) {
        std::string err, out;
        const auto start = Clock::now();
        const int code = Quimbo::ExecCmd(services, writer, err, out);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        intact = intact && code == 0 && streamIsIntact(out, outBytes, 1) && streamIsIntact(err, errBytes, 2);
        rates.push_back((outBytes + errBytes) / seconds / 1e6);
    }
    std::printf("64 MiB stdout + 1 MiB stderr, median of 5 runs: %.0f MB/s (target >= 100), "
                "every byte in order: %s\n",
                median(rates), intact ? "yes" : "NO");
    return intact ? 0 : 1;
}
