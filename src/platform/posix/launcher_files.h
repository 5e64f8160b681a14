#pragma once
#include "platform/launcher_files.h"

namespace platform::posix {

class PosixLauncherFiles final : public LauncherFiles {
public:
    ErrorCode createNew(const std::string& path) override;
    ErrorCode deleteFile(const std::string& path) override;
    ErrorCode find(const std::string& path) override;
    Result<std::string> readWritable(const std::string& path) override;
};

}  // namespace platform::posix
