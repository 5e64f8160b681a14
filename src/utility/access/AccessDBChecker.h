#pragma once
#include <string>

#include "frame/ActionArguments.h"
#include "frame/guiManager.h"
#include "platform/platform.h"

namespace Quimbo {

// Action 3: tells whether an Access database file opens through Jet and
// holds at least one product user (exit code 0) or not (1).
class AccessDBChecker {
public:
    explicit AccessDBChecker(platform::Services& services)
        : services_(services), window_(services) {}

    // No count test. With a third field the installer page's Next button is
    // pressed before the check; without a database path the check fails.
    void Initialize(Args& args, int& argsQty);
    [[noreturn]] void MakeDBAction();

private:
    bool HasUsers();

    platform::Services& services_;
    guiManager window_;
    std::string dbPath_;
    bool hasGui_ = false;
};

}  // namespace Quimbo
