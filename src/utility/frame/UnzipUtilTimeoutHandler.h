#pragma once
#include "IWaitTimeoutHandler.h"

namespace Quimbo {

// Answers the unzip tool's disk-full prompt with "n", so that it ends with its
// disk-full exit code instead of waiting for a person.
class UnzipUtilTimeoutHandler final : public IWaitTimeoutHandler {
public:
    void handleWaitTimeOut(const std::string& sOut, const std::string& sErr,
                           platform::ChildProcess& hInWrite) override;
};

}  // namespace Quimbo
