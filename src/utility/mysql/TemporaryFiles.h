#pragma once
#include <string>
#include <vector>

#include "frame/FileFuncsModule.h"

namespace Quimbo {

// Deletes the files it was given when it goes, whichever way the scope ends:
// temporary files of a run may hold a password and must never stay behind.
class TemporaryFiles {
public:
    explicit TemporaryFiles(FileSystemObject& fso) : fso_(fso) {}
    ~TemporaryFiles() {
        for (const std::string& path : paths_)
            DeleteFileQuietly(path, fso_);
    }
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;

    std::string add(std::string path) {
        paths_.push_back(path);
        return path;
    }
    // Hands the files over to another owner.
    void release() { paths_.clear(); }

private:
    FileSystemObject& fso_;
    std::vector<std::string> paths_;
};

}  // namespace Quimbo
