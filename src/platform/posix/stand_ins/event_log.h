#pragma once
#include <map>
#include <mutex>

#include "platform/event_log.h"

namespace platform::posix {

// The event log stand-in: <root>/eventlog/Application.log, one line per
// event: local time, source, type, event id, text, separated by TABs.
class PosixEventLog final : public EventLog {
public:
    EventSourceHandle registerSource(const std::string& sourceName) override;
    void deregisterSource(EventSourceHandle source) override;
    bool report(EventSourceHandle source, std::uint16_t type, std::uint16_t category,
                std::uint32_t eventId, const std::string& text) override;

private:
    std::mutex mutex_;
    std::map<EventSourceHandle, std::string> sources_;
    EventSourceHandle next_ = 1;
};

}  // namespace platform::posix
