// Event texts carry what failed, with paths and messages from outside: each
// event must stay one line of the stand-in's log, with its five fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "StandInMachine.h"
#include "stand_ins/event_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string log = fuzzsupport::standInMachine() + "/eventlog/Application.log";
    std::error_code ignored;
    std::filesystem::remove(log, ignored);
    platform::posix::PosixEventLog events;
    const auto source = events.registerSource("Harvella");
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!events.report(source, platform::eventtype::error, 0, 0xC1032712u, text)) std::abort();
    events.deregisterSource(source);

    std::stringstream written;
    written << std::ifstream(log, std::ios::binary).rdbuf();
    const std::string line = written.str();
    if (line.empty() || line.find('\n') != line.size() - 1) std::abort();
    std::size_t tabs = 0;
    for (const char c : line)
        tabs += c == '\t';
    if (tabs != 4) std::abort();
    return 0;
}
