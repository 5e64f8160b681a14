#include "MainModule.h"

#include "ActionArguments.h"
#include "ActionTable.h"

namespace Quimbo {

int Main(platform::Services& services) {
    Args args = SplitArgumentLine(services.console.argumentLine());
    int argsQty = static_cast<int>(args.size());
    if (argsQty == 0) {
        services.messageBoxes.showMessage("Util can't be run without arguments!", "Quimbo",
                                          platform::MessageIcon::none);
        return 0;
    }
    std::int16_t code = 0;
    if (!ParseActionCode(args[0], code)) return 0;
    const ActionEntry* action = FindAction(code);
    if (action == nullptr) return 0;
    RunAction(services, *action, args, argsQty);
    return 0;
}

}  // namespace Quimbo
