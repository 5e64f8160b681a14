// mdbconvert: converts an Access database file to the current format in place.
// Usage: mdbconvert <database path>  (the rest of the line is the path; it may be quoted)
// Exit codes: 0 converted or already current, 2 locked by another program,
// 3 data converted but other objects not, 5 no permission, 6 corrupted, 7 other.
#include "MdbConvert.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    const auto system = platform::makeSystemServices(argc, argv);
    platform::Services& services = system->services();
    return mdbconvert::ConvertDatabase(
        services, mdbconvert::DatabasePathArgument(services.console.argumentLine()));
}
