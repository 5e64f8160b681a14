#include "frontend/HarvellaError.h"

#include <locale>
#include <sstream>
#include <utility>

namespace Harvella {

HarvellaError::HarvellaError(std::string message) : HarvellaError(noCode, std::move(message)) {}

HarvellaError::HarvellaError(std::int32_t errorCode, std::string message)
    : errorCode_(errorCode), message_(std::move(message)) {}

HarvellaError::~HarvellaError() = default;

std::string HarvellaError::getMessage() const {
    return message_;
}

std::int32_t HarvellaError::getErrorCode() const {
    return errorCode_;
}

std::string HarvellaError::getFullMessage() const {
    const std::string message = getMessage();
    return errorCode_ == noCode ? message : message + errorCodeSuffix(errorCode_);
}

std::string errorCodeSuffix(std::int32_t errorCode) {
    // The classic locale: no digit grouping whatever the user's settings.
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << " [ErrorCode: " << errorCode << "]";
    return text.str();
}

}  // namespace Harvella
