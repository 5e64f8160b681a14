#include "AccessDBChecker.h"

#include "JetConnection.h"
#include "frame/ExitFuncsModule.h"
#include "frame/VbConversions.h"

namespace Quimbo {
namespace {

enum CheckAnswer : std::int32_t { holdsUsers = 0, noUsers = 1 };

}  // namespace

void AccessDBChecker::Initialize(Args& args, int& argsQty) {
    dbPath_ = argsQty > 1 ? args[1] : "";
    if (argsQty >= 3) {
        // 0 would tell the installer that the database holds a user.
        window_.Initialize(WindowHandleField(services_, args, 2, noUsers), 0, 0, 0, 0, 0);
        hasGui_ = true;
    }
}

void AccessDBChecker::MakeDBAction() {
    if (hasGui_) window_.GenerateNextBtnClickEvent();
    ExitWithCode(services_, HasUsers() ? holdsUsers : noUsers, "");
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
