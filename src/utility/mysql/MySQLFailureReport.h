#pragma once
#include <string>

#include "frame/FailureRecord.h"

namespace Quimbo {

// The description of a failure the application raised without one of its own.
extern const char* const applicationDefinedFailure;

// What the installer is told about a failed MySQL action: the message of the
// page's red line and the details written to standard output.
struct FailureReport {
    std::string message;
    std::string details;
};

// Where the flow stood when it failed: what the details may report instead of
// the description.
struct DumpState {
    bool hasPrevVersion = false;
    bool repairKeep = false;
    std::string requiredDumpSpace;
    std::string dumpFilePath;
};

// The description without bells and line ends; the message "Failed to " +
// source + "." (when there is a source) + "Error: " + description (when there
// is one); details: the description, or, when a previous version is kept or
// repaired, the dump's path or the space it lacked.
FailureReport DescribeFailure(const FailureRecord& failure, const DumpState& dumps);

}  // namespace Quimbo
