#include "runtime/Fio.h"

namespace Fio {

using Harvella::codeOf;

void createFile(platform::LauncherFiles& files, const std::string& path) {
    const platform::ErrorCode error = files.createNew(path);
    if (error != platform::winerr::success && error != platform::winerr::fileExists)
        throw IOError(codeOf(error), "Could not create file: ", path);
}

void deleteFile(platform::LauncherFiles& files, const std::string& path) {
    const platform::ErrorCode error = files.deleteFile(path);
    if (error != platform::winerr::success && error != platform::winerr::fileNotFound)
        throw IOError(codeOf(error), "Could not delete file: ", path);
}

bool fileExists(platform::LauncherFiles& files, const std::string& path) {
    const platform::ErrorCode error = files.find(path);
    if (error == platform::winerr::accessDenied)
        throw IOError(codeOf(error), "Access denied on attempt to find file: ", path);
    return error == platform::winerr::success;
}

}  // namespace Fio
