#include "MainModule.h"

#include "ActionArguments.h"
#include "ActionTable.h"

namespace Quimbo {
namespace {

// Exit code of an action that this build does not contain yet.
constexpr int actionNotAvailable = 1;

[[noreturn]] void reportNotAvailable(platform::Services& services, const ActionEntry& action) {
    services.console.writeStdErr("Quimbo: action code " + std::to_string(action.code) + " (" +
                                 action.name + ") is not available in this build.\n");
    services.console.exitProcess(actionNotAvailable);
}

}  // namespace

int Main(platform::Services& services) {
    Args args = SplitArgumentLine(services.console.argumentLine());
    int argsQty = static_cast<int>(args.size());
    if (argsQty == 0) {
        services.messageBoxes.showMessage("Util can't be run without arguments!", "Quimbo");
        return 0;
    }
    std::int16_t code = 0;
    if (!ParseActionCode(args[0], code)) return 0;
    const ActionEntry* action = FindAction(code);
    if (action == nullptr) return 0;
    if (action->run == nullptr) reportNotAvailable(services, *action);
    action->run(services, args, argsQty);
    return 0;
}

}  // namespace Quimbo
