#pragma once
#include <cstdint>
#include <string>

namespace Quimbo {

// What a failing step raises: number, source text and description. It travels
// up unchanged to the action's top, which reports it to the installer.
struct FailureRecord {
    std::int32_t number = 0;
    std::string source;
    std::string description;
};

}  // namespace Quimbo
