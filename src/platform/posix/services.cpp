// Wires the POSIX implementations of every seam for a program's main.
#include <signal.h>
#include <unistd.h>

#include "clock.h"
#include "code_pages.h"
#include "console.h"
#include "file_system.h"
#include "foreign_windows.h"
#include "message_box.h"
#include "platform/platform.h"
#include "platform/std_random.h"
#include "process_launcher.h"
#include "stand_ins/database_engine.h"
#include "system_errors.h"
#include "terminal_form.h"

namespace platform {

const Conventions& hostConventions() {
    static const Conventions conventions{
        "/", "", ".sh", "\n", CommandFileKind::shellScript, "harvella-sc"};
    return conventions;
}

namespace posix {
namespace {

class PosixServices final : public SystemServices {
public:
    PosixServices(int argc, char** argv)
        : console_(argc, argv),
          messageBoxes_(console_),
          page_(console_, ::isatty(2) == 1),
          forms_(console_),
          services_{files_,     processes_,       console_, messageBoxes_,     codePages_,
                    errors_,    clock_,           random_,  hostConventions(), page_,
                    databases_, *serviceManager_, forms_} {
        // A child that closes its input must not kill us when we answer it.
        ::signal(SIGPIPE, SIG_IGN);
        // Started with SIGCHLD ignored (a parent may leave it so), the system
        // would reap our children itself and their exit codes would be lost.
        ::signal(SIGCHLD, SIG_DFL);
    }
    Services& services() override { return services_; }

private:
    PosixFileSystem files_;
    PosixProcessLauncher processes_;
    PosixConsole console_;
    StdErrMessageBoxes messageBoxes_;
    IconvCodePages codePages_;
    PosixSystemErrors errors_;
    PosixClock clock_;
    StdRandom random_;
    TerminalPage page_;
    SqliteDatabaseEngine databases_;
    std::unique_ptr<ServiceManager> serviceManager_ = makeSystemServiceManager();
    TerminalForms forms_;
    Services services_;
};

}  // namespace
}  // namespace posix

std::unique_ptr<SystemServices> makeSystemServices(int argc, char** argv) {
    return std::make_unique<posix::PosixServices>(argc, argv);
}

}  // namespace platform
