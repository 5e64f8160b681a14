#pragma once
#include "platform/process.h"

namespace platform::win32 {

class Win32ProcessLauncher final : public ProcessLauncher {
public:
    Result<std::unique_ptr<ChildProcess>> launch(const std::string& commandLine) override;
};

}  // namespace platform::win32
