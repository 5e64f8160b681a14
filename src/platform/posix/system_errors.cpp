#include "system_errors.h"

#include <map>

#include "errno_map.h"

namespace platform::posix {

// The Windows wording of every number the POSIX seams produce.
std::string PosixSystemErrors::text(ErrorCode code) {
    static const std::map<ErrorCode, std::string> texts = {
        {0, "The operation completed successfully."},
        {2, "The system cannot find the file specified."},
        {3, "The system cannot find the path specified."},
        {4, "The system cannot open the file."},
        {5, "Access is denied."},
        {6, "The handle is invalid."},
        {8, "Not enough memory resources are available to process this command."},
        {13, "The data is invalid."},
        {19, "The media is write protected."},
        {29, "The system cannot write to the specified device."},
        {30, "The system cannot read from the specified device."},
        {31, "A device attached to the system is not functioning."},
        {32, "The process cannot access the file because it is being used by another process."},
        {39, "The disk is full."},
        {50, "The request is not supported."},
        {80, "The file exists."},
        {87, "The parameter is incorrect."},
        {109, "The pipe has been ended."},
        {112, "There is not enough space on the disk."},
        {123, "The filename, directory name, or volume label syntax is incorrect."},
        {145, "The directory is not empty."},
        {183, "Cannot create a file when that file already exists."},
        {193, "%1 is not a valid Win32 application."},
        {206, "The filename or extension is too long."},
        {258, "The wait operation timed out."},
        {259, "No more data is available."},
        {267, "The directory name is invalid."},
        {1051,
         "A stop control has been sent to a service that other running services are dependent "
         "on."},
        {1053, "The service did not respond to the start or control request in a timely fashion."},
        {1056, "An instance of the service is already running."},
        {1058, "The service cannot be started, either because it is disabled or because it has no "
               "enabled devices associated with it."},
        {1059, "Circular service dependency was specified."},
        {1060, "The specified service does not exist as an installed service."},
        {1061, "The service cannot accept control messages at this time."},
        {1062, "The service has not been started."},
        {1063, "The service process could not connect to the service controller."},
        {1066, "The service has returned a service-specific error code."},
        {1067, "The process terminated unexpectedly."},
        {1068, "The dependency service or group failed to start."},
        {1072, "The specified service has been marked for deletion."},
        {1073, "The specified service already exists."},
        {1075, "The dependency service does not exist or has been marked for deletion."},
        {1113, "No mapping for the Unicode character exists in the target multi-byte code page."},
    };
    const auto found = texts.find(code == 0 ? lastErrorValue() : code);
    return found == texts.end() ? std::string() : found->second;
}

ErrorCode PosixSystemErrors::lastError() { return lastErrorValue(); }

}  // namespace platform::posix
