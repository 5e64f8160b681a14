#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/ActionArguments.h"
#include "platform/platform.h"

namespace Quimbo {

// Action 6: asks the installation's MySQL client for its version and answers
// 0 (5.0.0 or newer), 1 (older or unreadable, the text on standard output) or
// 2 (the client could not be run) as the exit code.
class MySQLVersionChecker {
public:
    explicit MySQLVersionChecker(platform::Services& services);

    void Initialize(Args& args, int& argsQty);
    [[noreturn]] void checkMysqlVersion();
    bool checkMysqlVersionNumber(const std::string& verStr) const;
    static int compareVersions(const std::vector<std::int32_t>& verLeft,
                               const std::vector<std::int32_t>& verRight);

private:
    std::string clientPath() const;
    // Runs the client's "--version" through a command file; its exit code
    // (-1000 when it could not be run) and, on 0, what it printed.
    int askClient(std::string& answer);

    platform::Services& services_;
    std::vector<std::int32_t> minimumVersion_;
    std::string instDir_;
};

}  // namespace Quimbo
