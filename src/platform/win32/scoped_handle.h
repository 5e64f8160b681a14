#pragma once
// Windows side only: one owner per handle, closed once by its traits.
#include <windows.h>

namespace platform::win32 {

struct KernelHandleTraits {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE handle) { ::CloseHandle(handle); }
};

struct FileHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { ::CloseHandle(handle); }
};

template <class Traits>
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { reset(); }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != Traits::invalid() && handle_ != nullptr; }
    HANDLE release() {
        HANDLE handle = handle_;
        handle_ = Traits::invalid();
        return handle;
    }
    void reset(HANDLE handle = Traits::invalid()) {
        if (valid()) Traits::close(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = Traits::invalid();
};

using KernelHandle = ScopedHandle<KernelHandleTraits>;
using FileHandle = ScopedHandle<FileHandleTraits>;

}  // namespace platform::win32
