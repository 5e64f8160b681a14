#pragma once
#include "platform/process.h"

namespace platform::posix {

class PosixProcessLauncher final : public ProcessLauncher {
public:
    Result<std::unique_ptr<ChildProcess>> launch(const std::string& commandLine) override;
};

}  // namespace platform::posix
