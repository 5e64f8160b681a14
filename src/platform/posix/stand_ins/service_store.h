#pragma once
// POSIX side only: the stand-in service database as files under
// $HARVELLA_SYSTEM_ROOT/services/<name>/ (config, status, alive, control).
// Every read-modify-write happens under one exclusive lock on services/.lock,
// so several processes may act at once; the files outlive their writers.
#include <sys/types.h>

#include <string>

#include "platform/error.h"
#include "platform/service_manager.h"
#include "unique_fd.h"

namespace platform::posix {

struct StoredService {
    ServiceConfig config;
    std::string description;
    // A program that does not talk to the manager: running once started,
    // stopped with SIGTERM.
    bool plainDaemon = false;
    bool markedForDelete = false;
};

struct StoredStatus {
    ServiceStatus status;
    pid_t pid = 0;
    // The service process has called the dispatcher.
    bool connected = false;
    // A stop was asked of a plain daemon; its end is then a clean stop.
    bool stopRequested = false;
    // Controls written to the service's pipe, and those its handler has
    // returned from: a control's sender waits for the handler as on Windows.
    std::uint32_t controlsSent = 0;
    std::uint32_t controlsHandled = 0;
};

// The dependency multi-string (names each ending in NUL, then one more NUL)
// as the files and sc.exe show it: names joined by "/", which no service
// name holds.
std::string joinDependencies(const std::string& multiString);
std::string splitDependencies(const std::string& joined);

// Holds the database lock for its lifetime.
class StoreLock {
public:
    StoreLock();
    bool held() const { return fd_.open(); }
    ErrorCode error() const { return error_; }

private:
    Fd fd_;
    ErrorCode error_ = winerr::success;
};

class ServiceStore {
public:
    static std::string servicesFolder();
    static std::string folderOf(const std::string& name);
    static std::string aliveFileOf(const std::string& name);
    static std::string controlPipeOf(const std::string& name);
    static std::string outputFileOf(const std::string& name);

    // All of these expect the caller to hold a StoreLock.
    static bool exists(const std::string& name);
    static Result<StoredService> readService(const std::string& name);
    static ErrorCode writeService(const StoredService& service);
    // The status as last written, corrected for a process that has gone
    // without reporting STOPPED (the correction is written back).
    static Result<StoredStatus> readStatus(const std::string& name);
    static ErrorCode writeStatus(const std::string& name, const StoredStatus& status);
    // Removes the service's folder when it is marked for deletion and stopped.
    static void removeIfDeletedAndStopped(const std::string& name);
    static void removeFolder(const std::string& name);

    // Whether a process still holds the service's alive lock.
    static bool processAlive(const std::string& name);
};

}  // namespace platform::posix
