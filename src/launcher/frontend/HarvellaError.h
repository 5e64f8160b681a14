#pragma once
#include <cstdint>
#include <exception>
#include <string>

#include "platform/error.h"

namespace Harvella {

// Root of the launcher's one exception family: thrown by value, caught by
// reference. It keeps its own text; what() stays the standard one.
class HarvellaError : public std::exception {
public:
    static constexpr std::int32_t noCode = -1;

    explicit HarvellaError(std::string message);
    HarvellaError(std::int32_t errorCode, std::string message);
    ~HarvellaError() override;

    virtual std::string getMessage() const;
    virtual std::int32_t getErrorCode() const;
    // The message, then " [ErrorCode: N]" unless the code is -1.
    virtual std::string getFullMessage() const;

private:
    std::int32_t errorCode_;
    std::string message_;
};

// " [ErrorCode: N]" as the full messages append it.
std::string errorCodeSuffix(std::int32_t errorCode);

// A Windows error number as the family carries it: GetLastError's DWORD, signed.
inline std::int32_t codeOf(platform::ErrorCode error) {
    return static_cast<std::int32_t>(error);
}

}  // namespace Harvella
