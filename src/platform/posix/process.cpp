// POSIX process runner: posix_spawn with three pipes, drained by poll.
// No Windows spellings and no core logic belong here.
#include "process_launcher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <memory>

#include "command_line.h"
#include "errno_map.h"
#include "unique_fd.h"

extern char** environ;

namespace platform::posix {
namespace {

struct Pipe {
    Fd read;
    Fd write;
};

// Large output pipes let a child that writes much go on while the parent is
// busy, and let one read take a large part of its output.
constexpr std::size_t outputPipeSize = 1 << 20;

bool makePipe(Pipe& pipe) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    pipe.read.reset(fds[0]);
    pipe.write.reset(fds[1]);
    return true;
}

// The parent's end of an output pipe: large when the system allows it, and
// never blocking, so that it is read until empty.
void prepareOutputPipe(Pipe& pipe) {
    ::fcntl(pipe.read.get(), F_SETPIPE_SZ, static_cast<int>(outputPipeSize));
    ::fcntl(pipe.read.get(), F_SETFL, ::fcntl(pipe.read.get(), F_GETFL) | O_NONBLOCK);
}

int openPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

class PosixChildProcess final : public ChildProcess {
public:
    PosixChildProcess(pid_t pid, Fd input, Fd output, Fd error)
        : pid_(pid), input_(std::move(input)), output_(std::move(output)), error_(std::move(error)),
          pidFd_(openPidFd(pid)) {}

    ~PosixChildProcess() override {
        if (!exited_) ::waitpid(pid_, nullptr, WNOHANG);
    }

    bool waitSlice(std::chrono::milliseconds slice, std::string& outBytes,
                   std::string& errBytes) override {
        using clock = std::chrono::steady_clock;
        const auto deadline = clock::now() + slice;
        while (!exited_) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - clock::now());
            if (left.count() < 0) return false;
            if (pollOnce(static_cast<int>(left.count()), outBytes, errBytes)) reapIfEnded();
        }
        // The child has ended: take what it left in the pipes, but do not wait
        // for a grandchild that may still hold their write ends.
        readAvailable(output_, outBytes);
        readAvailable(error_, errBytes);
        return true;
    }

    bool writeInput(const std::string& bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(input_.get(), bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return setLastErrorFromErrno(), false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    int exitCode() const override { return exitCode_; }

private:
    // Reads what the pipes hold; true when the child may have ended.
    bool pollOnce(int timeoutMs, std::string& outBytes, std::string& errBytes) {
        std::array<pollfd, 3> fds{};
        nfds_t count = 0;
        const auto add = [&](const Fd& fd) {
            if (fd.open()) fds[count++] = pollfd{fd.get(), POLLIN, 0};
        };
        add(output_);
        add(error_);
        const bool watchPid = pidFd_.open();
        if (watchPid) fds[count++] = pollfd{pidFd_.get(), POLLIN, 0};
        // Without a pid descriptor the end of the child is noticed by a short re-poll.
        const int timeout = watchPid ? timeoutMs : std::min(timeoutMs, 2);
        if (::poll(fds.data(), count, timeout) <= 0) return !watchPid;
        bool ended = !watchPid;
        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents == 0) continue;
            if (fds[i].fd == output_.get())
                readAvailable(output_, outBytes);
            else if (fds[i].fd == error_.get())
                readAvailable(error_, errBytes);
            else
                ended = true;
        }
        return ended;
    }

    // The parent's ends do not block: reads until the pipe is empty, in
    // chunks of the pipe's size, straight onto the caller's text.
    void readAvailable(Fd& fd, std::string& bytes) {
        while (fd.open()) {
            const ssize_t n = ::read(fd.get(), buffer_.get(), outputPipeSize);
            if (n > 0) {
                bytes.append(buffer_.get(), static_cast<std::size_t>(n));
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                if (n == 0 || errno != EAGAIN) fd.reset();
                return;
            }
        }
    }

    void reapIfEnded() {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == 0 || (done < 0 && errno == EINTR)) return;
        exited_ = true;
        // The wait itself failed (ECHILD: the child was reaped elsewhere):
        // it has ended for us, its exit code unknown.
        if (done < 0) {
            setLastErrorFromErrno();
            exitCode_ = waitFailedExitCode;
            return;
        }
        if (WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
        else if (WIFSIGNALED(status)) exitCode_ = 128 + WTERMSIG(status);
    }

    pid_t pid_;
    Fd input_, output_, error_, pidFd_;
    // Left uninitialised: only the pages a read fills are ever touched.
    std::unique_ptr<char[]> buffer_{new char[outputPipeSize]};
    bool exited_ = false;
    int exitCode_ = 0;
};

class SpawnActions {
public:
    SpawnActions() { ::posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    void dup(int from, int to) { ::posix_spawn_file_actions_adddup2(&actions_, from, to); }
    const posix_spawn_file_actions_t* get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

}  // namespace

Result<std::unique_ptr<ChildProcess>> PosixProcessLauncher::launch(const std::string& commandLine) {
    using R = Result<std::unique_ptr<ChildProcess>>;
    std::vector<std::string> words = splitWindowsCommandLine(commandLine);
    if (words.empty()) return R::failure(setLastError(winerr::fileNotFound));
    if (isCommandFile(words.front())) {
        // A missing command file is a program that cannot be started, as on
        // Windows, not a shell that fails.
        if (::access(words.front().c_str(), R_OK) != 0) return R::failure(setLastErrorFromErrno());
        words.insert(words.begin(), "/bin/sh");
    }

    Pipe input, output, error;
    if (!makePipe(input) || !makePipe(output) || !makePipe(error))
        return R::failure(setLastErrorFromErrno());
    prepareOutputPipe(output);
    prepareOutputPipe(error);

    SpawnActions actions;
    actions.dup(input.read.get(), 0);
    actions.dup(output.write.get(), 1);
    actions.dup(error.write.get(), 2);

    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argv[0], actions.get(), nullptr, argv.data(), environ);
    if (rc != 0) return R::failure(setLastError(fromErrno(rc)));
    return R{std::make_unique<PosixChildProcess>(pid, std::move(input.write), std::move(output.read),
                                                 std::move(error.read)),
             winerr::success};
}

}  // namespace platform::posix
