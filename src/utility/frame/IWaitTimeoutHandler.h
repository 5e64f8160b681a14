#pragma once
#include <string>

#include "platform/process.h"

namespace Quimbo {

// Called about every 20 ms while a child runs, with everything it has written
// so far; may answer the child through its standard input.
class IWaitTimeoutHandler {
public:
    virtual ~IWaitTimeoutHandler() = default;
    virtual void handleWaitTimeOut(const std::string& sOut, const std::string& sErr,
                                   platform::ChildProcess& hInWrite) {
        (void)sOut;
        (void)sErr;
        (void)hInWrite;
    }
};

}  // namespace Quimbo
