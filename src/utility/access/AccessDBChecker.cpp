#include "AccessDBChecker.h"

#include "JetConnection.h"
#include "frame/ExitFuncsModule.h"
#include "frame/VbConversions.h"

namespace Quimbo {

void AccessDBChecker::Initialize(Args& args, int& argsQty) {
    dbPath_ = argsQty > 1 ? args[1] : "";
    if (argsQty >= 3) {
        window_.Initialize(WindowHandleField(services_, args, 2), 0, 0, 0, 0, 0);
        hasGui_ = true;
    }
}

void AccessDBChecker::MakeDBAction() {
    if (hasGui_) window_.GenerateNextBtnClickEvent();
    ExitWithCode(services_, HasUsers() ? 0 : 1, "");
}

// Every failure (no file, locked, not a database, no table) answers false.
bool AccessDBChecker::HasUsers() {
    JetConnection connection(services_.databases);
    try {
        connection.Open(dbPath_);
        const platform::FirstValue count = connection.QueryKeyset("select count(*) from hv_user");
        connection.Close();
        return count.hasRow && !count.isNull && TextToLong(count.text) > 0;
    } catch (const FailureRecord&) {
        connection.Close();
        return false;
    }
}

}  // namespace Quimbo
