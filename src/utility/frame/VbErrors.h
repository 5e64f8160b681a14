#pragma once
#include <string>

#include "FailureRecord.h"

namespace Quimbo {

// Run-time failures of the script runtime the utility's steps were written
// against keep their numbers and texts, because installer logs show them.
enum class VbError : std::int32_t {
    invalidProcedureCall = 5,
    overflow = 6,
    typeMismatch = 13,
    badFileNameOrNumber = 52,
    fileNotFound = 53,
    fileAlreadyExists = 58,
    diskFull = 61,
    permissionDenied = 70,
    pathNotFound = 76,
};

FailureRecord vbError(VbError error, const std::string& source);

}  // namespace Quimbo
