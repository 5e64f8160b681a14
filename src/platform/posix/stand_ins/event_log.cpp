#include "event_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <ctime>

#include "stand_in_files.h"
#include "unique_fd.h"

namespace platform::posix {
namespace {

const char* typeName(std::uint16_t type) {
    switch (type) {
        case eventtype::error:
            return "Error";
        case eventtype::warning:
            return "Warning";
        default:
            return "Information";
    }
}

std::string localTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// One event stays on one line: line breaks become "\n", TABs "\t".
std::string oneLine(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\n' || text[i] == '\r')
            out += "\\n";
        else if (text[i] == '\t')
            out += "\\t";
        else
            out += text[i];
    }
    return out;
}

}  // namespace

EventSourceHandle PosixEventLog::registerSource(const std::string& sourceName) {
    std::lock_guard<std::mutex> lock(mutex_);
    sources_[next_] = sourceName;
    return next_++;
}

void PosixEventLog::deregisterSource(EventSourceHandle source) {
    std::lock_guard<std::mutex> lock(mutex_);
    sources_.erase(source);
}

bool PosixEventLog::report(EventSourceHandle source, std::uint16_t type, std::uint16_t,
                           std::uint32_t eventId, const std::string& text) {
    std::string sourceName;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = sources_.find(source);
        if (found == sources_.end()) return false;
        sourceName = found->second;
    }
    const std::string folder = standInRoot() + "/eventlog";
    if (makeFolders(folder) != winerr::success) return false;
    const std::string line = localTimestamp() + "\t" + sourceName + "\t" + typeName(type) + "\t" +
                             std::to_string(eventId) + "\t" + oneLine(text) + "\n";
    // One write in append mode keeps the lines of concurrent writers whole.
    Fd fd(::open((folder + "/Application.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC,
                 0644));
    return fd.open() &&
           ::write(fd.get(), line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

}  // namespace platform::posix
