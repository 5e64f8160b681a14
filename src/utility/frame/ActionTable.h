#pragma once
#include <cstdint>
#include <string>

#include "ActionArguments.h"

namespace Quimbo {

// Creates the action object of one code, hands it the fields and runs it.
using ActionRunner = void (*)(platform::Services& services, Args& args, int& argsQty);

struct ActionEntry {
    std::int16_t code;
    const char* name;
    // Null while the action is not part of this build.
    ActionRunner run;
};

// One entry for each of the codes 0 to 6.
const ActionEntry* FindAction(std::int16_t code);

// Ends the program with exit code 1 and a note on standard error: the action,
// or its run operation, is not part of this build yet.
[[noreturn]] void ReportActionNotAvailable(platform::Services& services, const ActionEntry& action);

}  // namespace Quimbo
