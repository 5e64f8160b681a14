// Log texts (file paths, client errors, anything a step reports) composed into
// the installer page's RTF line and read back as the page shows it: the text
// must come back whole, in its colour, and the line must still end.
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
    const auto shown = platform::posix::reduceRtf(Quimbo::guiManager::MakeRTFStr(text, isError));
    if (shown.text != text + "\n") std::abort();
    if (shown.red != isError) std::abort();
    return 0;
}
