// Files in the stand-in's Windows system folder, which may be anything: the
// file version read from a PE file's version resource.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "stand_ins/pe_version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string version =
        platform::posix::peFileVersion(std::string(reinterpret_cast<const char*>(data), size));
    // "a.b.c.d" of four 16-bit numbers, or nothing.
    if (!version.empty() &&
        (version.size() > 23 || version.find_first_not_of("0123456789.") != std::string::npos))
        std::abort();
    return 0;
}
