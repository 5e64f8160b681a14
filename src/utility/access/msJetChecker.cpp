#include "msJetChecker.h"

#include <cctype>

#include "frame/ExitFuncsModule.h"
#include "frame/FailureRecord.h"
#include "frame/FileSystemObject.h"

namespace Quimbo {
namespace {

const char* const noVersion = "0.0.0";
constexpr std::size_t libraryNameLength = 11;

bool isJetLibrary(const std::string& name) {
    if (name.size() != libraryNameLength) return false;
    std::string head;
    for (std::size_t i = 0; i < 5; ++i)
        head += static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    return head == "MSJET";
}

}  // namespace

std::int64_t msJetChecker::VersionToInteger(const std::string& version) {
    const std::int64_t weights[] = {16777216, 65536, 1};
    std::int64_t value = 0;
    std::size_t start = 0;
    for (const std::int64_t weight : weights) {
        if (start > version.size()) return 0;
        std::size_t end = version.find('.', start);
        if (end == std::string::npos) end = version.size();
        const std::string part = version.substr(start, end - start);
        if (part.empty() || part.size() > 9 ||
            part.find_first_not_of("0123456789") != std::string::npos)
            return 0;
        value += std::stoll(part) * weight;
        start = end + 1;
    }
    return value;
}

bool msJetChecker::IsVersionHigher(const std::string& versionA, const std::string& versionB) {
    return VersionToInteger(versionA) > VersionToInteger(versionB);
}

bool msJetChecker::IsVersionLower(const std::string& versionA, const std::string& versionB) {
    return VersionToInteger(versionA) < VersionToInteger(versionB);
}

std::string msJetChecker::GetHighJetVersion() {
    FileSystemObject files(services_.files, services_.random, services_.conventions);
    const std::string folder = services_.databases.systemFolder();
    std::string best = noVersion;
    for (const std::string& name : files.ListFiles(folder)) {
        if (!isJetLibrary(name)) continue;
        const std::string version = services_.databases.fileVersion(files.BuildPath(folder, name));
        if (IsVersionHigher(version, best)) best = version;
    }
    return best;
}

void msJetChecker::CheckMSJet() {
    std::string version = noVersion;
    try {
        version = GetHighJetVersion();
    } catch (const FailureRecord&) {
        // No system folder to look in: no Jet engine either.
    }
    ExitWithCode(services_, IsVersionLower(version, "4.0.0") ? 1 : 0, "");
}

}  // namespace Quimbo
