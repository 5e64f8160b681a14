// Terminal stand-in for the installer's page; no real window is ever addressed here.
#include "foreign_windows.h"

#include <algorithm>
#include <cctype>

namespace platform::posix {
namespace {

constexpr const char* prefix = "[page] ";

// Groups whose content is never shown: tables, and "\*" destinations.
bool skipsGroup(const std::string& rtf, std::size_t open) {
    static const char* const hidden[] = {"{\\fonttbl", "{\\colortbl", "{\\*", "{\\stylesheet",
                                         "{\\info"};
    return std::any_of(std::begin(hidden), std::end(hidden), [&](const char* start) {
        return rtf.compare(open, std::char_traits<char>::length(start), start) == 0;
    });
}

std::size_t endOfGroup(const std::string& rtf, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}' && --depth == 0) {
            return i + 1;
        }
    }
    return rtf.size();
}

// Reads the control word at `i` (just after its backslash); returns the index after it.
std::size_t controlWord(const std::string& rtf, std::size_t i, std::string& word) {
    const std::size_t start = i;
    while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
    word = rtf.substr(start, i - start);
    if (i < rtf.size() && (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i])))) {
        ++i;
        while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
    }
    if (i < rtf.size() && rtf[i] == ' ') ++i;  // the delimiting blank belongs to the word
    return i;
}

}  // namespace

PlainLine reduceRtf(const std::string& rtf) {
    PlainLine line;
    line.red = rtf.find("{\\colortbl;\\red255\\green0\\blue0;") != std::string::npos;
    if (rtf.rfind("{\\rtf", 0) != 0) {
        line.text = rtf;
        return line;
    }
    for (std::size_t i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c == '{' && skipsGroup(rtf, i)) {
            i = endOfGroup(rtf, i);
        } else if (c == '{' || c == '}' || c == '\r' || c == '\n') {
            // Raw line breaks are no text in RTF, as the Windows page shows.
            ++i;
        } else if (c == '\\' && i + 1 < rtf.size() &&
                   std::isalpha(static_cast<unsigned char>(rtf[i + 1]))) {
            std::string word;
            i = controlWord(rtf, i + 1, word);
            if (word == "par" || word == "line") line.text += '\n';
            if (word == "tab") line.text += '\t';
        } else if (c == '\\' && i + 1 < rtf.size()) {
            line.text += rtf[i + 1];  // "\\", "\{", "\}"
            i += 2;
        } else {
            line.text += c;
            ++i;
        }
    }
    return line;
}

std::intptr_t TerminalPage::send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t) {
    if (window <= 0) return 0;
    if (message == wm::progressGetPos) return positions_[window];
    if (message != wm::progressSetPos) return 0;
    // The bar keeps its position inside its range of 0 to 100.
    const int position = std::clamp(static_cast<int>(static_cast<std::int32_t>(wParam)), 0, 100);
    const int previous = positions_[window];
    positions_[window] = position;
    writeLine("progress " + std::to_string(position) + "%");
    return previous;
}

std::intptr_t TerminalPage::sendText(WindowHandle window, std::uint32_t message, std::uintptr_t,
                                     const std::string& text) {
    if (window <= 0) return 0;
    if (message == wm::setText) {
        writeLine("action: " + text);
        return 1;
    }
    if (message != wm::replaceSelection) return 0;
    PlainLine line = reduceRtf(text);
    line.text.erase(std::remove(line.text.begin(), line.text.end(), '\r'), line.text.end());
    while (!line.text.empty() && line.text.back() == '\n') line.text.pop_back();
    if (line.red && colour_) line.text = "\033[31m" + line.text + "\033[0m";
    writeLine("log: " + line.text);
    return 0;
}

void TerminalPage::post(WindowHandle, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam) {
    const bool click = message == wm::command && (wParam >> 16) == wm::buttonClicked;
    if (click && lParam > 0) writeLine("window " + std::to_string(lParam) + " clicked");
}

void TerminalPage::enable(WindowHandle window, bool enabled) {
    if (window > 0)
        writeLine("window " + std::to_string(window) + (enabled ? " enabled" : " disabled"));
}

void TerminalPage::writeLine(const std::string& line) {
    console_.writeStdErr(prefix + line + "\n");
}

}  // namespace platform::posix
