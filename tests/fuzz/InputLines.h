#pragma once
// Fuzz inputs that list items one per line.
#include <string>

namespace fuzzsupport {

// Calls `each` with every line of `text` ("\n" removed), in order.
template <typename Each>
void forEachLine(const std::string& text, Each each) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        each(text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace fuzzsupport
