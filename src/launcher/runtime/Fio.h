#pragma once
// Marker and configuration files by path, with the launcher's error texts.
#include <string>

#include "frontend/IOError.h"
#include "platform/launcher_files.h"

namespace Fio {

// Makes sure the file exists; an existing one is left untouched.
void createFile(platform::LauncherFiles& files, const std::string& path);
// Makes sure the file does not exist; a missing one is no error.
void deleteFile(platform::LauncherFiles& files, const std::string& path);
// A directory search: a folder counts, and "*" and "?" match as patterns.
// Only access denied is an error.
bool fileExists(platform::LauncherFiles& files, const std::string& path);

}  // namespace Fio
