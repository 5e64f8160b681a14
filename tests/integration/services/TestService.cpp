// A service-aware program for the stand-in's tests. Usage: svc_test_service
// NAME MODE, MODE one of: normal (stops with exit code 0), specific N (stops
// with service-specific code N), crash (ends without reporting STOPPED when
// asked to stop), slow (its stop handler takes a second), lagging (stays
// STOP_PENDING for a second and a half), linger (its
// process goes on for a second and a half after STOPPED), silent (never
// reaches the dispatcher). Run from a console it prints the dispatcher's
// error number and exits with 3.
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "platform/service_manager.h"

namespace {

using platform::ServiceStatus;
namespace svc = platform::svc;

struct StopSignal {
    std::mutex mutex;
    std::condition_variable changed;
    bool asked = false;

    void ask() {
        std::lock_guard<std::mutex> guard(mutex);
        asked = true;
        changed.notify_all();
    }
    void await() {
        std::unique_lock<std::mutex> guard(mutex);
        changed.wait(guard, [this] { return asked; });
    }
};

ServiceStatus statusOf(std::uint32_t state, std::uint32_t checkPoint = 0) {
    ServiceStatus status;
    status.currentState = state;
    status.controlsAccepted = state == svc::startPending ? 0 : svc::acceptStop;
    status.checkPoint = checkPoint;
    status.waitHint = state == svc::running || state == svc::stopped ? 0 : 3000;
    return status;
}

void serve(platform::ServiceDispatcher& dispatcher, const std::string& name,
           const std::string& mode, std::uint32_t specific) {
    // Outlives serve(): a control read just as serve() returns may still run the handler.
    static StopSignal stop;
    dispatcher.registerControlHandler(name, [&](std::uint32_t control) {
        if (control != svc::controlStop) return;
        if (mode == "slow") std::this_thread::sleep_for(std::chrono::seconds(1));
        dispatcher.setStatus(statusOf(svc::stopPending, 3));
        stop.ask();
    });
    dispatcher.setStatus(statusOf(svc::startPending, 1));
    dispatcher.setStatus(statusOf(svc::running));
    stop.await();
    if (mode == "crash") std::_Exit(5);
    if (mode == "lagging") std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ServiceStatus stopped = statusOf(svc::stopped);
    if (specific != 0) {
        stopped.win32ExitCode = platform::winerr::serviceSpecificError;
        stopped.serviceSpecificExitCode = specific;
    }
    dispatcher.setStatus(stopped);
    if (mode == "linger") std::this_thread::sleep_for(std::chrono::milliseconds(1500));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string name = argv[1];
    const std::string mode = argv[2];
    if (mode == "silent") {
        std::this_thread::sleep_for(std::chrono::minutes(2));
        return 0;
    }
    const std::uint32_t specific =
        mode == "specific" && argc > 3 ? static_cast<std::uint32_t>(std::atoi(argv[3])) : 0;
    auto dispatcher = platform::makeSystemServiceDispatcher();
    const auto failed = dispatcher->run(name, [&] { serve(*dispatcher, name, mode, specific); });
    if (failed != 0) {
        std::cout << "dispatcher failed: " << failed << "\n";
        return 3;
    }
    return 0;
}
