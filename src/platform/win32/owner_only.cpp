#include "owner_only.h"

#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "scoped_handle.h"

namespace platform::win32 {
namespace {

// The current user's SID as text ("S-1-5-21-…"), or "" with the error set.
std::string currentUserSid(DWORD& error) {
    HANDLE rawToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken)) {
        error = ::GetLastError();
        return "";
    }
    KernelHandle token(rawToken);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    char* text = nullptr;
    if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
        !::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        error = ::GetLastError();
        return "";
    }
    const std::string sid = text;
    ::LocalFree(text);
    return sid;
}

}  // namespace

OwnerOnlySecurity::OwnerOnlySecurity() {
    const std::string sid = currentUserSid(error_);
    if (sid.empty()) return;
    // Protected (no inherited entries): full access for the user, the system,
    // which runs the services that read such files, and the administrators.
    const std::string sddl = "D:P(A;;FA;;;" + sid + ")(A;;FA;;;SY)(A;;FA;;;BA)";
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                &descriptor_, nullptr)) {
        error_ = ::GetLastError();
        descriptor_ = nullptr;
        return;
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
}

DWORD OwnerOnlySecurity::applyTo(HANDLE file) const {
    if (!descriptor_) return error_;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!::GetSecurityDescriptorDacl(descriptor_, &present, &dacl, &defaulted))
        return ::GetLastError();
    return ::SetSecurityInfo(file, SE_FILE_OBJECT,
                             DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                             nullptr, nullptr, dacl, nullptr);
}

OwnerOnlySecurity::~OwnerOnlySecurity() {
    if (descriptor_) ::LocalFree(descriptor_);
}

}  // namespace platform::win32
