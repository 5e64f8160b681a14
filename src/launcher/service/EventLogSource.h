#pragma once
// The service's entries in the Application event log, and the registration
// that lets the Event Viewer find their texts in HarvellaWinLogMsgs.dll.
#include <cstdint>
#include <string>

#include "platform/event_log.h"
#include "platform/registry.h"

namespace Harvella {

// Message-compiler IDs of the message library, facility 0x103, codes 10001 and 10002.
constexpr std::uint32_t infoEventId = 0x81032711;
constexpr std::uint32_t errorEventId = 0xC1032712;
constexpr std::size_t maxEventSourceKeyLength = 260;

// Creates or opens the source's key below the Application log and writes the
// library path (twice, as REG_EXPAND_SZ), the supported types and the
// category count. Other values in the key stay as they are.
void registerEventSource(platform::Registry& registry, const std::string& sourceName,
                         const std::string& messageLibraryPath, std::uint32_t categoryCount);

// An event source of the local machine, open for the object's lifetime.
class EventSource {
public:
    EventSource(platform::EventLog& eventLog, const std::string& sourceName);
    ~EventSource();
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;

    platform::EventLog& eventLog() const { return *eventLog_; }
    // 0 when the source could not be opened; reports through it then vanish.
    platform::EventSourceHandle handle() const { return handle_; }

private:
    platform::EventLog* eventLog_;
    platform::EventSourceHandle handle_;
};

// One entry with the text as its only insertion string; never fails visibly.
void reportInfoEvent(EventSource& eventSource, const std::string& text);
void reportErrorEvent(EventSource& eventSource, const std::string& text);

}  // namespace Harvella
