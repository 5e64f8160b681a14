// The secret scan's questions answered under Wine: Wine's processes are
// Linux processes, in the /proc that Z: shows; a file is readable by others
// when its access list lets everyone or every user read it (Wine builds that
// list from the file's Linux mode bits).
#include <windows.h>
// after windows.h, which they rely on
#include <aclapi.h>
#include <sddl.h>

#include "support/SecretScanSystem.h"

namespace testsupport {
namespace {

bool isEveryoneOrEveryUser(PSID sid) {
    for (const char* text : {"S-1-1-0", "S-1-5-11", "S-1-5-32-545"}) {
        PSID other = nullptr;
        if (!::ConvertStringSidToSidA(text, &other)) continue;
        const bool same = ::EqualSid(sid, other);
        ::LocalFree(other);
        if (same) return true;
    }
    return false;
}

}  // namespace

std::string processTable() { return "Z:\\proc"; }

bool readableByOthers(const std::string& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    // No list at all lets everyone in.
    bool readable = dacl == nullptr;
    for (DWORD i = 0; dacl && i < dacl->AceCount && !readable; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!::GetAce(dacl, i, reinterpret_cast<void**>(&ace)) ||
            ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        readable = (ace->Mask & (FILE_READ_DATA | GENERIC_READ | GENERIC_ALL)) != 0 &&
                   isEveryoneOrEveryUser(&ace->SidStart);
    }
    ::LocalFree(descriptor);
    return readable;
}

}  // namespace testsupport
