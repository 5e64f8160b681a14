#pragma once
// A stand-in machine for the fuzz targets that read its files: one temporary
// HARVELLA_SYSTEM_ROOT for the whole run, removed when the run ends.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzsupport {

inline const std::string& standInMachine() {
    static const std::string root = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "harvella-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        ::setenv("HARVELLA_SYSTEM_ROOT", pattern.c_str(), 1);
        return pattern;
    }();
    static const int removed = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    });
    (void)removed;
    return root;
}

}  // namespace fuzzsupport
