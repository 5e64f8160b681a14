#include "LauncherRuns.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "support/TestSupport.h"

namespace launchertest {

std::string launcherPath() {
    return testsupport::binDir() + "/Harvella_Access";
}

LauncherRun runLauncher(const std::vector<std::string>& words) {
    std::string commandLine = "\"" + launcherPath() + "\"";
    for (const auto& word : words)
        commandLine += " \"" + word + "\"";
    const testsupport::ProgramRun run = testsupport::runProgram(commandLine);
    return {run.exitCode & 0xFF, run.out, run.err};
}

LauncherRun runOnTerminal(const std::vector<std::string>& words, const std::string& prompt,
                          const std::string& key) {
    std::vector<std::string> arguments{launcherPath()};
    arguments.insert(arguments.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0) return {};
    if (child == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    LauncherRun run;
    bool answered = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd ready{terminal, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(terminal, buffer, sizeof buffer);
        if (n <= 0) break;  // EIO: the program closed its terminal
        run.out.append(buffer, static_cast<std::size_t>(n));
        if (!answered && run.out.find(prompt) != std::string::npos) {
            answered = true;
            (void)::write(terminal, key.data(), key.size());
        }
    }
    ::kill(child, SIGKILL);  // only if it still runs past the deadline
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(terminal);
    // The terminal turns "\n" into "\r\n"; a lone "\r" stays.
    for (std::size_t at = run.out.find("\r\n"); at != std::string::npos;
         at = run.out.find("\r\n", at))
        run.out.erase(at, 1);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace launchertest
