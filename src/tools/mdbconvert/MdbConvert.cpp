#include "MdbConvert.h"

#include <cstdio>

namespace mdbconvert {
namespace {

constexpr int folderAttempts = 16;

int exitCodeForEngineError(std::int32_t number) {
    switch (number) {
        case 3006:  // database exclusively locked
        case 3008:  // table exclusively locked
        case 3045:  // file already in use
        case 3050:  // could not lock file
        case 3356:  // opened exclusively by another user
            return locked;
        case 3033:  // no permission
        case 3051:  // cannot open the file: exclusive or no permission
        case 3112:  // no read permission
            return noPermission;
        case 3049:  // may not be a database or is corrupt
        case 3343:  // unrecognized database format
            return corrupted;
        default:
            return failed;
    }
}

int exitCodeForFileError(platform::ErrorCode error) {
    if (error == platform::winerr::accessDenied) return noPermission;
    if (error == platform::winerr::sharingViolation) return locked;
    return failed;
}

// A new folder beside the database that nobody else made; "" on failure,
// with the error in `error`.
std::string createWorkFolder(platform::Services& services, const std::string& parent,
                             platform::ErrorCode& error) {
    for (int attempt = 0; attempt < folderAttempts; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "~mdbconvert-%08X", services.random.bits());
        const std::string folder = parent + services.conventions.separator + name;
        error = services.files.createFolder(folder);
        if (error == platform::winerr::success) return folder;
        if (error != platform::winerr::alreadyExists && error != platform::winerr::fileExists)
            return "";
    }
    return "";
}

}  // namespace

std::string DatabasePathArgument(const std::string& argumentLine) {
    std::string line = argumentLine;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"' &&
        line.find('"', 1) == line.size() - 1)
        return line.substr(1, line.size() - 2);
    return line;
}

int ConvertDatabase(platform::Services& services, const std::string& given) {
    if (given.empty() || !services.files.fileExists(given)) return failed;
    // A link stays a link: the file it leads to is converted.
    const auto final = services.files.finalPath(given);
    if (!final.ok()) return exitCodeForFileError(final.error);
    const std::string& path = final.value;
    auto engine = services.databases.createDaoEngine();
    if (!engine.ok()) return failed;
    const std::string& separator = services.conventions.separator;
    const auto cut = path.find_last_of(separator);
    const std::string parent = cut == std::string::npos ? "." : path.substr(0, cut);
    const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    platform::ErrorCode error = platform::winerr::success;
    const std::string folder = createWorkFolder(services, parent, error);
    if (folder.empty()) return exitCodeForFileError(error);
    const std::string copy = folder + separator + name;
    int result = converted;
    // A read-only file is refused by the move (5) and stays as it was.
    const platform::EngineError compacted = engine.value->compactDatabase(
        path, copy, [&] { error = services.files.moveFile(copy, path, true); });
    if (compacted.failed)
        result = exitCodeForEngineError(compacted.number);
    else if (error != platform::winerr::success)
        result = exitCodeForFileError(error);
    services.files.deleteFolder(folder);
    return result;
}

}  // namespace mdbconvert
