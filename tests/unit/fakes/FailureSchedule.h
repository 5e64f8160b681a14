#pragma once
#include <cstddef>

#include "platform/error.h"

namespace fakes {

// "Fail on call N, once or from then on, with error E" for one fake operation.
class FailureSchedule {
public:
    void failOnCall(std::size_t call, platform::ErrorCode error, bool fromThenOn = false) {
        failCall_ = call;
        error_ = error;
        sticky_ = fromThenOn;
    }
    // Counts one call and tells the error it must fail with (0: it succeeds).
    platform::ErrorCode next() {
        ++calls_;
        if (failCall_ == 0) return platform::winerr::success;
        if (calls_ == failCall_ || (sticky_ && calls_ > failCall_)) return error_;
        return platform::winerr::success;
    }
    std::size_t calls() const { return calls_; }

private:
    std::size_t calls_ = 0;
    std::size_t failCall_ = 0;
    platform::ErrorCode error_ = platform::winerr::success;
    bool sticky_ = false;
};

}  // namespace fakes
