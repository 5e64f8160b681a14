#include "UnzipUtilTimeoutHandler.h"

#include "PipeFuncsModule.h"

namespace Quimbo {

void UnzipUtilTimeoutHandler::handleWaitTimeOut(const std::string&, const std::string& sErr,
                                                platform::ChildProcess& hInWrite) {
    if (sErr.find("disk full") != std::string::npos) WritePipeText(hInWrite, "n\r\n");
}

}  // namespace Quimbo
