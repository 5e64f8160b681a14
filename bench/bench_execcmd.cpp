// Measures the process runner against a direct posix_spawn + waitpid of the
// same child, and its throughput on a child that writes 64 MiB to standard
// output and 1 MiB to standard error, side by side with a plain read loop and
// with Python's subprocess.run(capture_output=True) on the same child. Prints
// figures; asserts nothing.
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/CommandLineQuoting.h"
#include "frame/ExecCmdModule.h"
#include "platform/platform.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t outBytes = 64u << 20;
constexpr std::size_t errBytes = 1u << 20;

// The byte at position i of a stream: a pattern of prime period that
// reveals lost or reordered bytes, and costs the writer nothing to produce.
constexpr std::size_t period = 65521;
char patternByte(std::size_t i, unsigned salt) {
    const std::size_t p = i % period;
    return static_cast<char>((p * 131 + p / 4093 + salt) & 0xFF);
}

// Every block the child writes is 64 KiB and starts within the first period.
constexpr std::size_t block = 1 << 16;
std::vector<char> patternBuffer(unsigned salt) {
    std::vector<char> buffer(period + block);
    for (std::size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = patternByte(i, salt);
    return buffer;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The child: 64 KiB blocks to standard output, with a sixteenth of the error
// stream after every sixteenth of the output.
int writeStreams() {
    const std::vector<char> out = patternBuffer(1), err = patternBuffer(2);
    static_assert(errBytes / 16 == block, "error blocks are 64 KiB too");
    for (std::size_t done = 0; done < outBytes; done += block) {
        if (!writeAll(1, out.data() + done % period, block)) return 1;
        if (done % (outBytes / 16) == 0) {
            const std::size_t errAt = done / (outBytes / 16) * (errBytes / 16);
            if (!writeAll(2, err.data() + errAt % period, errBytes / 16)) return 1;
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

double megabytesPerSecond(Clock::duration elapsed) {
    return (outBytes + errBytes) / std::chrono::duration<double>(elapsed).count() / 1e6;
}

// What a program without the runner would write: the child's two pipes read
// with poll and read into strings until both end, then waitpid.
double plainReadLoop(const std::string& program, bool& intact) {
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return 0;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    ::posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    ::posix_spawn_file_actions_addclose(&actions, out[0]);
    ::posix_spawn_file_actions_addclose(&actions, err[0]);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--write-streams"),
                    nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned != 0) return 0;
    std::string outText, errText;
    std::vector<char> buffer(1 << 16);
    pollfd fds[] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (::poll(fds, 2, -1) < 0) break;
        for (pollfd& fd : fds) {
            if (fd.fd < 0 || fd.revents == 0) continue;
            const ssize_t n = ::read(fd.fd, buffer.data(), buffer.size());
            if (n > 0) {
                (&fd == &fds[0] ? outText : errText)
                    .append(buffer.data(), static_cast<std::size_t>(n));
            } else {
                ::close(fd.fd);
                fd.fd = -1;
            }
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double rate = megabytesPerSecond(Clock::now() - start);
    intact = intact && streamIsIntact(outText, outBytes, 1) && streamIsIntact(errText, errBytes, 2);
    return rate;
}

// Python times its own subprocess.run(capture_output=True) of the child, so
// that the interpreter's start is not counted.
double pythonSubprocessRun(const std::string& program) {
    const std::string script =
        "import subprocess, sys, time\n"
        "start = time.perf_counter()\n"
        "run = subprocess.run([sys.argv[1], '--write-streams'], capture_output=True)\n"
        "elapsed = time.perf_counter() - start\n"
        "ok = run.returncode == 0 and len(run.stdout) == " +
        std::to_string(outBytes) + " and len(run.stderr) == " + std::to_string(errBytes) +
        "\n"
        "print(elapsed if ok else -1)\n";
    std::string err, out;
    auto system = platform::makeSystemServices(0, nullptr);
    const std::string command =
        "python3 -c " + Quimbo::QuoteArgument(script) + " " + Quimbo::QuoteArgument(program);
    if (Quimbo::ExecCmd(system->services(), command, err, out) != 0) return 0;
    const double seconds = std::atof(out.c_str());
    return seconds > 0 ? (outBytes + errBytes) / seconds / 1e6 : 0;
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
    std::printf(
        "instant child (%s), median of %d runs: posix_spawn+waitpid %.1f us, ExecCmd %.1f us, "
        "ratio %.2f (target <= 1.5)\n",
        instant, runs, directMedian, runnerMedian, runnerMedian / directMedian);

    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return 1;
    const std::string program(self, static_cast<std::size_t>(length));

    // The three readers take turns on the same child, so that a busy machine
    // weighs on each alike.
    constexpr int rounds = 9;
    std::vector<double> viaExecCmd, viaPlainLoop, viaPython;
    bool intact = true;
    for (int i = 0; i < rounds; ++i) {
        std::string err, out;
        const auto start = Clock::now();
        const int code = Quimbo::ExecCmd(services, "\"" + program + "\" --write-streams", err, out);
        viaExecCmd.push_back(megabytesPerSecond(Clock::now() - start));
        intact = intact && code == 0 && streamIsIntact(out, outBytes, 1) &&
                 streamIsIntact(err, errBytes, 2);
        viaPlainLoop.push_back(plainReadLoop(program, intact));
        viaPython.push_back(pythonSubprocessRun(program));
    }
    const double execCmdRate = median(viaExecCmd), plainRate = median(viaPlainLoop),
                 pythonRate = median(viaPython);
    std::printf(
        "64 MiB stdout + 1 MiB stderr, median of %d rounds: ExecCmd %.0f MB/s, plain read "
        "loop %.0f MB/s, Python subprocess.run %.0f MB/s\n",
        rounds, execCmdRate, plainRate, pythonRate);
    std::printf(
        "ExecCmd / plain loop %.2f (target >= 0.8), ExecCmd / Python %.2f (target > 1), "
        "every byte in order: %s\n",
        execCmdRate / plainRate, execCmdRate / pythonRate, intact ? "yes" : "NO");
    return intact ? 0 : 1;
}
