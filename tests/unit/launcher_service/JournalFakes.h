#pragma once
// A clock that only moves when slept on, a progress listener and the
// program's own file for the launcher's service tests; the clock and the
// listener write into the fake service manager's journal, so that tests can
// check the order of all calls.
#include <functional>
#include <string>

#include "fakes/FakeServiceManager.h"
#include "platform/clock.h"
#include "service/ProgressListener.h"

namespace servicefakes {

class JournalClock final : public platform::Clock {
public:
    explicit JournalClock(Journal& journal) : journal_(journal) {}
    std::chrono::milliseconds now{0};
    // Runs after every sleep, so that a test can change the world in between.
    std::function<void()> afterSleep;

    std::chrono::milliseconds monotonicNow() override { return now; }
    platform::LocalTime localNow() override { return {}; }
    void sleep(std::chrono::milliseconds duration) override {
        journal_.push_back("sleep " + std::to_string(duration.count()));
        now += duration;
        if (afterSleep) afterSleep();
    }

private:
    Journal& journal_;
};

class JournalListener final : public Harvella::ServiceMan::ProgressListener {
public:
    explicit JournalListener(Journal& journal) : journal_(journal) {}
    void setTotal(int total) override { journal_.push_back("setTotal " + std::to_string(total)); }
    void advance(int n) override { journal_.push_back("advance " + std::to_string(n)); }
    void step() override { journal_.push_back("step"); }
    void finish() override { journal_.push_back("finish"); }

private:
    Journal& journal_;
};

class FakeProgramFile final : public platform::ProgramFile {
public:
    platform::Result<std::string> path{"C:\\Program Files\\Harvella\\Harvella_Access.exe", 0};
    std::size_t askedSize = 0;
    platform::Result<std::string> modulePath(std::size_t bufferSize) override {
        askedSize = bufferSize;
        return path;
    }
};

}  // namespace servicefakes
