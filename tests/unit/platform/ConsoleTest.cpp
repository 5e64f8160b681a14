// The POSIX program's standard output when a write is cut short.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "console.h"

namespace {

TEST(PosixConsole, AWriteInterruptedOnAFullPipeStillDeliversTheWholeText) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string text(1 << 20, 'x');
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        ::dup2(ends[1], STDOUT_FILENO);
        // A timer whose signal interrupts the write, as any signal may.
        struct sigaction quiet {};
        quiet.sa_handler = [](int) {};
        ::sigaction(SIGALRM, &quiet, nullptr);
        const itimerval every50ms{{0, 50000}, {0, 50000}};
        ::setitimer(ITIMER_REAL, &every50ms, nullptr);
        const auto written = platform::posix::PosixConsole(0, nullptr).writeStdOut(text);
        ::_exit(written.ok() && written.value == text.size() ? 0 : 1);
    }
    ::close(ends[1]);
    // The child meanwhile waits on the full pipe and is interrupted.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string received;
    char buffer[65536];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        received.append(buffer, static_cast<std::size_t>(n));
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(received.size(), text.size());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write reported less";
}

}  // namespace
