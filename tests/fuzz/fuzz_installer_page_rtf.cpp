// Log texts (file paths, client errors, anything a step reports) composed into
// the installer page's RTF line and read back as the page shows it: the text
// must come back whole, in its colour, each of its line breaks (CR LF, CR or
// LF) one line break, and the line must still end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foreign_windows.h"
#include "frame/guiManager.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool isError = (data[0] & 1) != 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string expected;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        expected += text[i] == '\r' ? '\n' : text[i];
    }
    const auto shown = platform::posix::reduceRtf(Quimbo::guiManager::MakeRTFStr(text, isError));
    if (shown.text != expected + "\n") std::abort();
    if (shown.red != isError) std::abort();
    return 0;
}
