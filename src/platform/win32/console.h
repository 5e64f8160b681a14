#pragma once
#include "platform/console.h"

namespace platform::win32 {

class Win32Console final : public Console {
public:
    std::string argumentLine() override;
    Result<std::size_t> writeStdOut(const std::string& bytes) override;
    void writeStdErr(const std::string& bytes) override;

protected:
    void endProcess(int code) override;
};

}  // namespace platform::win32
