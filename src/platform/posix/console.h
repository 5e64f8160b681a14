#pragma once
#include <string>

#include "platform/console.h"

namespace platform::posix {

class PosixConsole final : public Console {
public:
    PosixConsole(int argc, char** argv);
    std::string argumentLine() override;
    Result<std::size_t> writeStdOut(const std::string& bytes) override;
    void writeStdErr(const std::string& bytes) override;

protected:
    void endProcess(int code) override;

private:
    std::string argumentLine_;
};

}  // namespace platform::posix
