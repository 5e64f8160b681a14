#pragma once
// Windows side only: the security of files that only their owner may use.
#include <windows.h>

namespace platform::win32 {

// A descriptor whose access list admits the current user alone (and the
// system, whose services read such files, and the administrators, who may take
// any file anyway), given at creation, so that a file is private from its
// first byte wherever it lands.
class OwnerOnlySecurity {
public:
    OwnerOnlySecurity();
    ~OwnerOnlySecurity();
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    // Null when the descriptor could not be built; error() then says why.
    SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }
    DWORD error() const { return error_; }
    // Puts the descriptor's access list on a file opened with WRITE_DAC, in
    // place of the one it had.
    DWORD applyTo(HANDLE file) const;

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
    DWORD error_ = ERROR_SUCCESS;
};

}  // namespace platform::win32
