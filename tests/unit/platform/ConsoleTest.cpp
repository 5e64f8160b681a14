// The POSIX program's standard output when the pipe behind it takes less
// than the whole text at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "console.h"

namespace {

TEST(PosixConsole, APipeThatTakesPartOfTheTextStillGetsAllOfIt) {
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_NONBLOCK), 0);
    std::string received;
    std::thread reader([&] {
        ::fcntl(ends[0], F_SETFL, 0);
        char buffer[65536];
        for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
            received.append(buffer, static_cast<std::size_t>(n));
    });
    const int savedOut = ::dup(STDOUT_FILENO);
    ::dup2(ends[1], STDOUT_FILENO);
    ::close(ends[1]);
    const std::string text(1 << 20, 'x');
    const auto written = platform::posix::PosixConsole(0, nullptr).writeStdOut(text);
    ::dup2(savedOut, STDOUT_FILENO);
    ::close(savedOut);
    reader.join();
    ::close(ends[0]);
    EXPECT_EQ(written.value, text.size());
    EXPECT_EQ(received.size(), text.size());
}

}  // namespace
