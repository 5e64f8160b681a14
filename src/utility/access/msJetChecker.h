#pragma once
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace Quimbo {

// Action 4: finds the newest Jet engine library in the Windows system folder
// and answers whether it is 4.0.0 or newer. Changes nothing.
class msJetChecker {
public:
    explicit msJetChecker(platform::Services& services) : services_(services) {}

    // N0 × 16777216 + N1 × 65536 + N2 of the first three numbers; a text with
    // fewer than three numbers, or a part that is no number, counts as 0.0.0.
    static std::int64_t VersionToInteger(const std::string& version);
    static bool IsVersionHigher(const std::string& versionA, const std::string& versionB);
    static bool IsVersionLower(const std::string& versionA, const std::string& versionB);
    // The highest version among the system folder's MSJET??????: names of 11
    // characters starting with MSJET in any case; "0.0.0" when there is none.
    std::string GetHighJetVersion();
    // Ends the program: 1 when the newest Jet is older than 4.0.0 or absent, else 0.
    [[noreturn]] void CheckMSJet();

private:
    platform::Services& services_;
};

}  // namespace Quimbo
