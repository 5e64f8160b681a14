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
    ActionRunner run;
};

// One entry for each of the codes 0 to 6.
const ActionEntry* FindAction(std::int16_t code);

}  // namespace Quimbo
