#include "service/EventLogSource.h"

#include "frontend/HarvellaError.h"
#include "runtime/RegistryKey.h"

namespace Harvella {

void registerEventSource(platform::Registry& registry, const std::string& sourceName,
                         const std::string& messageLibraryPath, std::uint32_t categoryCount) {
    const std::string keyPath =
        "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + sourceName;
    if (keyPath.size() > maxEventSourceKeyLength)
        throw HarvellaError("Registry key path is too long");
    RegistryKey key = RegistryKey::openOrCreate(registry, keyPath);
    key.setStringValue("EventMessageFile", messageLibraryPath);
    key.setDwordValue("TypesSupported", 7);  // error, warning and information
    key.setStringValue("CategoryMessageFile", messageLibraryPath);
    key.setDwordValue("CategoryCount", categoryCount);
}

EventSource::EventSource(platform::EventLog& eventLog, const std::string& sourceName)
    : eventLog_(&eventLog), handle_(eventLog.registerSource(sourceName)) {}

EventSource::~EventSource() {
    if (handle_) eventLog_->deregisterSource(handle_);
}

namespace {
void report(EventSource& source, std::uint16_t type, std::uint32_t eventId,
            const std::string& text) {
    if (source.handle()) source.eventLog().report(source.handle(), type, 0, eventId, text);
}
}  // namespace

void reportInfoEvent(EventSource& eventSource, const std::string& text) {
    report(eventSource, platform::eventtype::information, infoEventId, text);
}

void reportErrorEvent(EventSource& eventSource, const std::string& text) {
    report(eventSource, platform::eventtype::error, errorEventId, text);
}

}  // namespace Harvella
