#pragma once
// POSIX side only: the stand-in service database as files. Each service has a
// folder services/<number>/ holding config, status, alive, control, handles
// and output.log; its name lives in its config, so that no name ever becomes
// a path and the manager's own files (.last, .dblock) stay out of the names'
// space. Every read-modify-write happens under one exclusive lock on the
// services folder itself, so several processes may act at once; the files
// outlive their writers.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

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

// 123 for a name Windows refuses: empty, longer than 256 characters, or
// holding "/" or "\".
ErrorCode checkServiceName(const std::string& name);
// Windows compares service names without regard to case (ASCII letters here).
bool sameServiceName(const std::string& a, const std::string& b);

// The dependency multi-string (names each ending in NUL, then one more NUL)
// as the files and sc.exe show it: names joined by "/", which no service
// name holds.
std::string joinDependencies(const std::string& multiString);
std::string splitDependencies(const std::string& joined);
std::vector<std::string> dependencyNames(const std::string& multiString);

// Holds the database lock for its lifetime. The lock is the services
// folder's own: a lock file could be deleted while held, and the next process
// would lock a new one beside the holder. A holder that does not let go (a
// suspended process) fails the wait after `limit` with 1053, as the manager
// fails a request it cannot serve in time.
class StoreLock {
public:
    static constexpr std::chrono::milliseconds limit{30000};
    explicit StoreLock(std::chrono::milliseconds wait = limit);
    bool held() const { return fd_.open(); }
    ErrorCode error() const { return error_; }

private:
    Fd fd_;
    ErrorCode error_ = winerr::success;
};

// One service's files, by its folder.
struct ServiceFiles {
    std::string folder;

    std::string config() const { return folder + "/config"; }
    std::string status() const { return folder + "/status"; }
    // Locked by the service process and its children while they live.
    std::string alive() const { return folder + "/alive"; }
    // The named pipe the service process reads its controls from.
    std::string control() const { return folder + "/control"; }
    // Share-locked by every open handle.
    std::string handles() const { return folder + "/handles"; }
    std::string output() const { return folder + "/output.log"; }
};

// All of these expect the caller to hold a StoreLock.
class ServiceStore {
public:
    static std::string servicesFolder();
    // The folder of the service of that name; 1060 when there is none.
    static Result<std::string> find(const std::string& name);
    static std::vector<std::string> folders();
    // A folder that no service has had.
    static std::string newFolder();
    static Result<StoredService> readService(const std::string& folder);
    static ErrorCode writeService(const std::string& folder, const StoredService& service);
    // The status as last written, corrected for a process that has gone
    // without reporting STOPPED (the correction is written back).
    static Result<StoredStatus> readStatus(const std::string& folder, const StoredService& service);
    static ErrorCode writeStatus(const std::string& folder, const StoredStatus& status);
    // Removes the record once it is marked for deletion, its service has
    // stopped and no handle holds it, as Windows deletes a service.
    static void removeIfUnused(const std::string& folder);
    // Whether a process still holds the service's alive lock.
    static bool processAlive(const std::string& folder);
};

// Every operation on one service: the database lock, the service's record
// read and checked, what the operation changed written back by commit. When
// the transaction ends, a record marked for deletion goes if it is unused.
class ServiceTransaction {
public:
    ServiceTransaction() = default;
    ServiceTransaction(const ServiceTransaction&) = delete;
    ServiceTransaction& operator=(const ServiceTransaction&) = delete;
    ~ServiceTransaction();

    ErrorCode lockError() const { return lock_.held() ? winerr::success : lock_.error(); }
    // The lock's error, 123 for a refused name, or 1060.
    ErrorCode selectByName(const std::string& name);
    ErrorCode select(const std::string& folder);
    ErrorCode commitService();
    ErrorCode commitStatus();

    std::string folder;
    StoredService service;
    StoredStatus status;

private:
    StoreLock lock_;
};

}  // namespace platform::posix
