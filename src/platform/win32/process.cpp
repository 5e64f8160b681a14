// Win32 process runner: CreateProcessA with three redirected pipes. The output
// pipes are named pipes read with overlapped I/O, so that one thread drains
// both continuously while it serves its window messages.
#include "process_launcher.h"

#include <windows.h>

#include <ntsecapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "scoped_handle.h"

namespace platform::win32 {
namespace {

constexpr DWORD inputPipeSize = 4096;
// Large output pipes and reads: a child that writes much goes on while the
// parent is busy, and one read takes a large part of its output.
constexpr DWORD outputPipeSize = 1 << 20;
// A pipe name someone else holds already is drawn again, this often at most.
constexpr int pipeNameDraws = 8;
// Once the child has ended, how long its pipes are read while something
// (a grandchild holding their write ends) goes on writing into them.
constexpr ULONGLONG drainLimitMs = 1000;

// A name nobody can hold in advance: "harvella-runner-" and 128 random bits;
// empty when the system gives no random bits.
std::string unguessablePipeName() {
    unsigned char bits[16] = {};
    if (!::RtlGenRandom(bits, sizeof bits)) return std::string();
    std::string name = "\\\\.\\pipe\\harvella-runner-";
    char hex[3];
    for (const unsigned char byte : bits) {
        std::snprintf(hex, sizeof hex, "%02x", byte);
        name += hex;
    }
    return name;
}

void pumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

// The read end of one output pipe with its one outstanding overlapped read.
class PipeReader {
public:
    // A name taken already answers access denied (our first instance) or
    // pipe busy (theirs allows one instance); then another is drawn.
    bool create(SECURITY_ATTRIBUTES& inheritable, FileHandle& childEnd) {
        std::string name;
        for (int draw = 0; draw < pipeNameDraws && !pipe_.valid(); ++draw) {
            name = unguessablePipeName();
            if (name.empty()) return false;
            pipe_.reset(::CreateNamedPipeA(name.c_str(),
                                           PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED |
                                               FILE_FLAG_FIRST_PIPE_INSTANCE,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, 1, outputPipeSize,
                                           outputPipeSize, 0, nullptr));
            const DWORD error = pipe_.valid() ? ERROR_SUCCESS : ::GetLastError();
            if (error != ERROR_ACCESS_DENIED && error != ERROR_PIPE_BUSY) break;
        }
        if (!pipe_.valid()) return false;
        childEnd.reset(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!childEnd.valid()) return false;
        event_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        return event_.valid();
    }

    HANDLE event() const { return event_.get(); }
    bool reading() const { return !ended_; }

    // Takes finished reads and starts the next, until one is under way or a
    // buffer's worth has come: a writer that never pauses does not keep the
    // caller here.
    void collect(std::string& bytes) {
        const std::size_t first = bytes.size();
        while (!ended_ && bytes.size() - first < outputPipeSize) {
            if (pending_) {
                DWORD count = 0;
                if (!::GetOverlappedResult(pipe_.get(), &overlapped_, &count, FALSE)) {
                    if (::GetLastError() == ERROR_IO_INCOMPLETE) return;
                    ended_ = true;
                    return;
                }
                bytes.append(buffer_.get(), count);
                pending_ = false;
            }
            start();
        }
    }

    // After the child has ended: what is in the pipe, until it is empty or
    // the deadline has come.
    void drain(std::string& bytes, ULONGLONG deadline) {
        collect(bytes);
        if (ended_ || !pending_) return;
        DWORD available = 0;
        for (ULONGLONG now = ::GetTickCount64();
             now < deadline && !ended_ &&
             ::PeekNamedPipe(pipe_.get(), nullptr, 0, nullptr, &available, nullptr) &&
             available > 0;
             now = ::GetTickCount64()) {
            ::WaitForSingleObject(event_.get(), static_cast<DWORD>(deadline - now));
            collect(bytes);
        }
        if (!pending_) return;
        ::CancelIo(pipe_.get());
        DWORD count = 0;
        if (::GetOverlappedResult(pipe_.get(), &overlapped_, &count, TRUE))
            bytes.append(buffer_.get(), count);
        pending_ = false;
        ended_ = true;
    }

private:
    void start() {
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = event_.get();
        ::ResetEvent(event_.get());
        if (::ReadFile(pipe_.get(), buffer_.get(), outputPipeSize, nullptr, &overlapped_) ||
            ::GetLastError() == ERROR_IO_PENDING) {
            pending_ = true;
        } else {
            ended_ = true;
        }
    }

    FileHandle pipe_;
    KernelHandle event_;
    OVERLAPPED overlapped_{};
    // Left uninitialised: only the pages a read fills are ever touched.
    std::unique_ptr<char[]> buffer_{new char[outputPipeSize]};
    bool pending_ = false;
    bool ended_ = false;
};

class Win32ChildProcess final : public ChildProcess {
public:
    Win32ChildProcess(KernelHandle process, FileHandle input, std::unique_ptr<PipeReader> output,
                      std::unique_ptr<PipeReader> error)
        : process_(std::move(process)), input_(std::move(input)), output_(std::move(output)),
          error_(std::move(error)) {}

    bool waitSlice(std::chrono::milliseconds slice, std::string& outBytes,
                   std::string& errBytes) override {
        if (!readsStarted_) {
            output_->collect(outBytes);
            error_->collect(errBytes);
            readsStarted_ = true;
        }
        const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(slice.count());
        while (!exited_) {
            const ULONGLONG now = ::GetTickCount64();
            if (now >= deadline) return false;
            waitOnce(static_cast<DWORD>(deadline - now), outBytes, errBytes);
        }
        const ULONGLONG drainDeadline = ::GetTickCount64() + drainLimitMs;
        output_->drain(outBytes, drainDeadline);
        error_->drain(errBytes, drainDeadline);
        DWORD code = 0;
        exitCode_ = !waitFailed_ && ::GetExitCodeProcess(process_.get(), &code)
                        ? static_cast<int>(code)
                        : waitFailedExitCode;
        return true;
    }

    bool writeInput(const std::string& bytes) override {
        DWORD written = 0;
        return ::WriteFile(input_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) != FALSE;
    }

    int exitCode() const override { return exitCode_; }

private:
    void waitOnce(DWORD timeout, std::string& outBytes, std::string& errBytes) {
        std::vector<HANDLE> handles{process_.get()};
        std::vector<PipeReader*> readers{nullptr};
        for (PipeReader* reader : {output_.get(), error_.get()}) {
            if (!reader->reading()) continue;
            handles.push_back(reader->event());
            readers.push_back(reader);
        }
        const DWORD count = static_cast<DWORD>(handles.size());
        const DWORD woken =
            ::MsgWaitForMultipleObjects(count, handles.data(), FALSE, timeout, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) {
            exited_ = true;
        } else if (woken > WAIT_OBJECT_0 && woken < WAIT_OBJECT_0 + count) {
            PipeReader* reader = readers[woken - WAIT_OBJECT_0];
            reader->collect(reader == output_.get() ? outBytes : errBytes);
        } else if (woken == WAIT_OBJECT_0 + count) {
            pumpMessages();
        } else if (woken == WAIT_FAILED) {
            // Waiting again would fail again at once: the wait ends here.
            exited_ = waitFailed_ = true;
        }
    }

    KernelHandle process_;
    FileHandle input_;
    std::unique_ptr<PipeReader> output_, error_;
    bool readsStarted_ = false;
    bool exited_ = false;
    bool waitFailed_ = false;
    int exitCode_ = 0;
};

}  // namespace

Result<std::unique_ptr<ChildProcess>> Win32ProcessLauncher::launch(const std::string& commandLine) {
    using R = Result<std::unique_ptr<ChildProcess>>;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};

    HANDLE inputRead = nullptr, inputWrite = nullptr;
    if (!::CreatePipe(&inputRead, &inputWrite, &inheritable, inputPipeSize))
        return R::failure(::GetLastError());
    FileHandle childInput(inputRead), input(inputWrite);
    ::SetHandleInformation(input.get(), HANDLE_FLAG_INHERIT, 0);

    auto output = std::make_unique<PipeReader>();
    auto error = std::make_unique<PipeReader>();
    FileHandle childOutput, childError;
    if (!output->create(inheritable, childOutput) || !error->create(inheritable, childError))
        return R::failure(::GetLastError());

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = childInput.get();
    startup.hStdOutput = childOutput.get();
    startup.hStdError = childError.get();

    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, mutableLine.data(), &inheritable, &inheritable, TRUE,
                          CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                          &info))
        return R::failure(::GetLastError());
    ::CloseHandle(info.hThread);
    return R{std::make_unique<Win32ChildProcess>(KernelHandle(info.hProcess), std::move(input),
                                                 std::move(output), std::move(error)),
             ERROR_SUCCESS};
}

}  // namespace platform::win32
