#pragma once
// A raised failure record as one value, so that one expectation compares it
// whole and prints what came.
#include <cstdint>
#include <string>
#include <tuple>

#include "frame/FailureRecord.h"

using Raised = std::tuple<std::int32_t, std::string, std::string>;

// The number, source and description of the failure record the call raises.
template <class Call>
Raised raisedBy(Call&& call) {
    try {
        call();
    } catch (const Quimbo::FailureRecord& failure) {
        return {failure.number, failure.source, failure.description};
    }
    return {0, "(nothing raised)", ""};
}
