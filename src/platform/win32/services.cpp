// Wires the Win32 implementations of every seam for a program's main.
#include "clock.h"
#include "code_pages.h"
#include "console.h"
#include "database_engine.h"
#include "file_system.h"
#include "foreign_windows.h"
#include "message_box.h"
#include "modal_form.h"
#include "platform/platform.h"
#include "platform/std_random.h"
#include "process_launcher.h"
#include "system_errors.h"

namespace platform {

const Conventions& hostConventions() {
    static const Conventions conventions{"\\", ".exe", ".bat", "\r\n", CommandFileKind::batchFile,
                                         "net"};
    return conventions;
}

namespace win32 {
namespace {

class Win32Services final : public SystemServices {
public:
    Win32Services()
        : services_{files_,     processes_,       console_, messageBoxes_,     codePages_,
                    errors_,    clock_,           random_,  hostConventions(), windows_,
                    databases_, *serviceManager_, forms_} {}
    Services& services() override { return services_; }

private:
    Win32FileSystem files_;
    Win32ProcessLauncher processes_;
    Win32Console console_;
    Win32MessageBoxes messageBoxes_;
    Win32CodePages codePages_;
    Win32SystemErrors errors_;
    Win32Clock clock_;
    StdRandom random_;
    Win32ForeignWindows windows_;
    Win32DatabaseEngine databases_;
    std::unique_ptr<ServiceManager> serviceManager_ = makeSystemServiceManager();
    Win32ModalForms forms_;
    Services services_;
};

}  // namespace
}  // namespace win32

std::unique_ptr<SystemServices> makeSystemServices(int, char**) {
    return std::make_unique<win32::Win32Services>();
}

}  // namespace platform
