#pragma once
#include <memory>

#include "platform/clock.h"
#include "platform/code_pages.h"
#include "platform/console.h"
#include "platform/conventions.h"
#include "platform/database_engine.h"
#include "platform/file_system.h"
#include "platform/foreign_windows.h"
#include "platform/message_box.h"
#include "platform/modal_form.h"
#include "platform/process.h"
#include "platform/random.h"
#include "platform/service_manager.h"
#include "platform/system_errors.h"

namespace platform {

// The services a program's core reaches the system through. main wires the
// real ones (makeSystemServices); tests wire fakes.
struct Services {
    FileSystem& files;
    ProcessLauncher& processes;
    Console& console;
    MessageBoxes& messageBoxes;
    CodePages& codePages;
    SystemErrors& errors;
    Clock& clock;
    Random& random;
    const Conventions& conventions;
    ForeignWindows& windows;
    DatabaseEngine& databases;
    ServiceManager& serviceManager;
    ModalForms& forms;
};

// Owns the real implementations; `services` refers into it.
class SystemServices {
public:
    virtual ~SystemServices() = default;
    virtual Services& services() = 0;
};

std::unique_ptr<SystemServices> makeSystemServices(int argc, char** argv);

}  // namespace platform
