#include "VbErrors.h"

namespace Quimbo {
namespace {

std::string describe(VbError error) {
    switch (error) {
    case VbError::invalidProcedureCall: return "Invalid procedure call or argument";
    case VbError::overflow: return "Overflow";
    case VbError::typeMismatch: return "Type mismatch";
    case VbError::badFileNameOrNumber: return "Bad file name or number";
    case VbError::fileNotFound: return "File not found";
    case VbError::fileAlreadyExists: return "File already exists";
    case VbError::diskFull: return "Disk full";
    case VbError::permissionDenied: return "Permission denied";
    case VbError::pathNotFound: return "Path not found";
    }
    return "Unexpected error";
}

}  // namespace

FailureRecord vbError(VbError error, const std::string& source) {
    return FailureRecord{static_cast<std::int32_t>(error), source, describe(error)};
}

}  // namespace Quimbo
