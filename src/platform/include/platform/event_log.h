#pragma once
#include <cstdint>
#include <string>

namespace platform {

using EventSourceHandle = std::uintptr_t;

// Event types as the event log numbers them.
namespace eventtype {
constexpr std::uint16_t error = 1;
constexpr std::uint16_t warning = 2;
constexpr std::uint16_t information = 4;
}  // namespace eventtype

// The Application event log of this computer.
class EventLog {
public:
    virtual ~EventLog() = default;
    // RegisterEventSourceA(NULL, name); 0 when no source could be opened.
    virtual EventSourceHandle registerSource(const std::string& sourceName) = 0;
    virtual void deregisterSource(EventSourceHandle source) = 0;
    // ReportEventA with one insertion string, no user SID and no raw data;
    // false when the entry was not written.
    virtual bool report(EventSourceHandle source, std::uint16_t type, std::uint16_t category,
                        std::uint32_t eventId, const std::string& text) = 0;
};

}  // namespace platform
