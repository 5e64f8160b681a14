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
    // The answer of a run that failed where none of the action's own handlers
    // caught it: a failure must never read as success, and an abort would
    // end the process with 3 on Windows, which some actions read as "all good".
    std::int32_t failureCode;
    // The field that holds the page's Next button, pressed after such a
    // failure so that the wizard moves on; -1 for actions without a page.
    int nextButtonField;
};

// One entry for each of the codes 0 to 6.
const ActionEntry* FindAction(std::int16_t code);

// Runs the action; whatever escapes it ends the program with the entry's
// failure code after pressing Next, its reason written to standard error.
void RunAction(platform::Services& services, const ActionEntry& action, Args& args, int& argsQty);

}  // namespace Quimbo
