#include "frame/MainModule.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    const auto system = platform::makeSystemServices(argc, argv);
    return Quimbo::Main(system->services());
}
