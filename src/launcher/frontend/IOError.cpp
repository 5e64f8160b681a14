#include "frontend/IOError.h"

#include <utility>

namespace Fio {

IOError::IOError(std::int32_t errorCode, std::string messagePrefix, std::string fileName)
    : HarvellaError(errorCode, std::move(messagePrefix)), fileName_(std::move(fileName)) {}

IOError::~IOError() = default;

std::string IOError::getMessage() const {
    return HarvellaError::getMessage() + fileName_;
}

std::string IOError::getFullMessage() const {
    return getMessage() + Harvella::errorCodeSuffix(getErrorCode());
}

}  // namespace Fio
