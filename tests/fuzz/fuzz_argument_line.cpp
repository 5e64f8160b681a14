// The utility's argument line, as the installer passes it, through Main and
// whichever action its code names, on the fakes. Every run must end in an
// orderly way: a return or the program's exit, never another exception.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fakes/FakeServices.h"
#include "frame/MainModule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::FakeServices fake;
    fake.console.line.assign(reinterpret_cast<const char*>(data), size);
    try {
        Quimbo::Main(fake.services);
    } catch (const fakes::ProcessExited&) {
    }
    return 0;
}
