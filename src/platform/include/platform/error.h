#pragma once
// Failures cross every seam as Windows error numbers, because the core's
// decisions are written in those numbers; the POSIX side maps onto them.
#include <cstdint>
#include <utility>

namespace platform {

using ErrorCode = std::uint32_t;

namespace winerr {
constexpr ErrorCode success = 0;
constexpr ErrorCode fileNotFound = 2;
constexpr ErrorCode pathNotFound = 3;
constexpr ErrorCode accessDenied = 5;
constexpr ErrorCode invalidHandle = 6;
constexpr ErrorCode notEnoughMemory = 8;
constexpr ErrorCode invalidData = 13;
constexpr ErrorCode notReady = 21;
constexpr ErrorCode writeFault = 29;
constexpr ErrorCode readFault = 30;
constexpr ErrorCode sharingViolation = 32;
constexpr ErrorCode handleDiskFull = 39;
constexpr ErrorCode notSupported = 50;
constexpr ErrorCode fileExists = 80;
constexpr ErrorCode invalidParameter = 87;
constexpr ErrorCode brokenPipe = 109;
constexpr ErrorCode diskFull = 112;
constexpr ErrorCode invalidName = 123;
constexpr ErrorCode dirNotEmpty = 145;
constexpr ErrorCode badExeFormat = 193;
constexpr ErrorCode alreadyExists = 183;
constexpr ErrorCode filenameTooLong = 206;
constexpr ErrorCode noMoreItems = 259;
constexpr ErrorCode directoryName = 267;
constexpr ErrorCode waitTimeout = 258;
constexpr ErrorCode dependentServicesRunning = 1051;
constexpr ErrorCode serviceRequestTimeout = 1053;
constexpr ErrorCode serviceAlreadyRunning = 1056;
constexpr ErrorCode serviceDisabled = 1058;
constexpr ErrorCode circularDependency = 1059;
constexpr ErrorCode serviceDoesNotExist = 1060;
constexpr ErrorCode serviceCannotAcceptCtrl = 1061;
constexpr ErrorCode serviceNotActive = 1062;
constexpr ErrorCode failedServiceControllerConnect = 1063;
constexpr ErrorCode serviceSpecificError = 1066;
constexpr ErrorCode processAborted = 1067;
constexpr ErrorCode serviceDependencyFail = 1068;
constexpr ErrorCode serviceMarkedForDelete = 1072;
constexpr ErrorCode serviceExists = 1073;
constexpr ErrorCode serviceDependencyDeleted = 1075;
constexpr ErrorCode noUnicodeTranslation = 1113;
}  // namespace winerr

// A value, or the Windows error number that kept it from being produced.
template <class T>
struct Result {
    T value{};
    ErrorCode error = winerr::success;

    bool ok() const { return error == winerr::success; }
    static Result failure(ErrorCode code) { return Result{T{}, code}; }
};

}  // namespace platform
