// The Application event log through advapi32.
#include <windows.h>

#include "launcher_seams.h"

namespace platform::win32 {

EventSourceHandle Win32EventLog::registerSource(const std::string& sourceName) {
    return reinterpret_cast<EventSourceHandle>(::RegisterEventSourceA(nullptr, sourceName.c_str()));
}

void Win32EventLog::deregisterSource(EventSourceHandle source) {
    if (source) ::DeregisterEventSource(reinterpret_cast<HANDLE>(source));
}

bool Win32EventLog::report(EventSourceHandle source, std::uint16_t type, std::uint16_t category,
                           std::uint32_t eventId, const std::string& text) {
    if (!source) return false;
    const char* strings[] = {text.c_str()};
    return ::ReportEventA(reinterpret_cast<HANDLE>(source), type, category, eventId, nullptr, 1, 0,
                          strings, nullptr) != FALSE;
}

}  // namespace platform::win32
