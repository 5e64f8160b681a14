#include "ActionArguments.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace Quimbo {
namespace {

const char* const messageCaption = "Quimbo";

bool parseWhole(const std::string& field, long long min, long long max, long long& value) {
    std::size_t begin = field.find_first_not_of(' ');
    std::size_t end = field.find_last_not_of(' ');
    if (begin == std::string::npos) return false;
    const std::string text = field.substr(begin, end - begin + 1);
    std::size_t digitsAt = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (digitsAt == text.size() || text.size() > 24) return false;
    for (std::size_t i = digitsAt; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    errno = 0;
    value = std::strtoll(text.c_str(), nullptr, 10);
    return errno == 0 && value >= min && value <= max;
}

}  // namespace

Args SplitArgumentLine(const std::string& line) {
    Args fields;
    if (line.empty()) return fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = line.find('|', start);
        fields.push_back(line.substr(start, bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return fields;
}

bool ParseActionCode(const std::string& field, std::int16_t& code) {
    long long value = 0;
    if (!parseWhole(field, std::numeric_limits<std::int16_t>::min(),
                    std::numeric_limits<std::int16_t>::max(), value))
        return false;
    code = static_cast<std::int16_t>(value);
    return true;
}

void RejectFieldCount(platform::Services& services, const std::string& message,
                      std::int32_t exitCode) {
    services.messageBoxes.showMessage(message, messageCaption, platform::MessageIcon::none);
    services.console.exitProcess(exitCode);
}

bool ReadWindowHandle(const Args& args, std::size_t index, std::int32_t& handle) {
    long long value = 0;
    if (index >= args.size() ||
        !parseWhole(args[index], std::numeric_limits<std::int32_t>::min(),
                    std::numeric_limits<std::int32_t>::max(), value))
        return false;
    handle = static_cast<std::int32_t>(value);
    return true;
}

std::int32_t WindowHandleField(platform::Services& services, const Args& args, std::size_t index,
                               std::int32_t exitCode) {
    std::int32_t handle = 0;
    if (!ReadWindowHandle(args, index, handle))
        RejectFieldCount(
            services,
            "Parameter " + std::to_string(index) + " must be a window handle (a decimal number)!",
            exitCode);
    return handle;
}

std::array<std::int32_t, 6> WindowHandleFields(platform::Services& services, const Args& args,
                                               std::size_t first) {
    std::array<std::int32_t, 6> handles{};
    for (std::size_t i = 0; i < handles.size(); ++i)
        handles[i] = WindowHandleField(services, args, first + i);
    return handles;
}

}  // namespace Quimbo
