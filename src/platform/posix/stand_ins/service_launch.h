#pragma once
// POSIX side only: how the stand-in service manager starts a service's
// process and ends a plain daemon that will not stop.
#include <sys/types.h>

#include <chrono>
#include <string>

#include "platform/error.h"
#include "service_store.h"

namespace platform::posix {

// Starts the service's command line detached from the caller (a session of
// its own, not our child), with the system's environment rather than the
// caller's, "/" as its current folder and its output appended to
// output.log. The process inherits `aliveFd`, whose lock goes when the last
// process of its group does. Returns its pid, or why it could not start.
Result<pid_t> launchServiceProcess(const ServiceFiles& files, const StoredService& service,
                                   int aliveFd);

// Kills the daemon's process group once `grace` has passed and it still
// holds its alive lock, from a detached process so that nobody waits for it.
void killGroupAfterGrace(const ServiceFiles& files, pid_t group, std::chrono::milliseconds grace);

}  // namespace platform::posix
