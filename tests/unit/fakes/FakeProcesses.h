#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/process.h"

namespace fakes {

// What one scripted child does: the slices it takes, what it writes in each,
// and how it ends. A slice is one waitSlice call.
struct ScriptedChild {
    std::vector<std::string> outPerSlice;  // one entry per slice; the last slice ends it
    std::vector<std::string> errPerSlice;
    int exitCode = 0;
    std::string inputReceived;
    std::size_t slicesTaken = 0;
};

class FakeChild final : public platform::ChildProcess {
public:
    explicit FakeChild(ScriptedChild& script) : script_(script) {}
    bool waitSlice(std::chrono::milliseconds, std::string& out, std::string& err) override {
        const std::size_t slice = script_.slicesTaken++;
        if (slice < script_.outPerSlice.size()) out += script_.outPerSlice[slice];
        if (slice < script_.errPerSlice.size()) err += script_.errPerSlice[slice];
        const std::size_t slices = std::max(script_.outPerSlice.size(), script_.errPerSlice.size());
        return script_.slicesTaken >= std::max<std::size_t>(slices, 1);
    }
    bool writeInput(const std::string& bytes) override {
        script_.inputReceived += bytes;
        return true;
    }
    int exitCode() const override { return script_.exitCode; }

private:
    ScriptedChild& script_;
};

// Hands out the scripted children in order and records every command line.
// A command line may also be answered by `onLaunch`, which can act on the
// fake file system as the real program would.
class FakeProcessLauncher final : public platform::ProcessLauncher {
public:
    std::deque<ScriptedChild> children;
    std::vector<std::string> commandLines;
    platform::ErrorCode launchError = 0;
    std::function<void(const std::string&)> onLaunch;

    platform::Result<std::unique_ptr<platform::ChildProcess>> launch(
        const std::string& commandLine) override {
        commandLines.push_back(commandLine);
        if (launchError) return platform::Result<std::unique_ptr<platform::ChildProcess>>::failure(launchError);
        if (onLaunch) onLaunch(commandLine);
        if (next_ >= children.size()) children.emplace_back();
        return {std::make_unique<FakeChild>(children[next_++]), 0};
    }

private:
    std::size_t next_ = 0;
};

}  // namespace fakes
