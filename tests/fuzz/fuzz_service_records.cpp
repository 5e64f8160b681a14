// A service's record on the stand-in machine (its config and status files),
// which an earlier crash or a person may have left in any state: opening and
// querying it answers or fails with a Windows error, and a service written
// back through the manager reads back as it was written. Input: the config
// text, then after a NUL byte the status text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "StandInMachine.h"
#include "stand_ins/service_control.h"

namespace {

using platform::posix::StandInService;

// The service name the record gives itself, as the manager reads it.
std::string nameIn(const std::string& config) {
    std::size_t start = 0;
    std::string name = "1";
    while (start < config.size()) {
        std::size_t end = config.find('\n', start);
        if (end == std::string::npos) end = config.size();
        if (config.compare(start, 5, "name=") == 0)
            name = config.substr(start + 5, end - start - 5);
        start = end + 1;
    }
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string services = fuzzsupport::standInMachine() + "/services";
    std::error_code ignored;
    std::filesystem::remove_all(services, ignored);
    std::filesystem::create_directories(services + "/1");
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string config = input.substr(0, split);
    std::ofstream(services + "/1/config", std::ios::binary) << config;
    if (split != std::string::npos)
        std::ofstream(services + "/1/status", std::ios::binary) << input.substr(split + 1);

    auto opened = StandInService::open(nameIn(config));
    if (!opened.ok()) return 0;
    opened.value->queryStatus();
    const auto record = opened.value->queryRecord();
    if (!record.ok()) return 0;
    // The description is the one field set alone; it must travel unchanged.
    const std::string description = record.value.config.displayName + "\n\\0\r";
    if (opened.value->setDescription(description) != platform::winerr::success) return 0;
    const auto again = opened.value->queryRecord();
    if (!again.ok() || again.value.description != description ||
        again.value.config.commandLine != record.value.config.commandLine ||
        again.value.config.dependencies != record.value.config.dependencies)
        std::abort();
    return 0;
}
