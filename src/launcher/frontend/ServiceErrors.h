#pragma once
// Failures of the service control client; handlers distinguish already
// started, already stopped and not found from everything else.
#include "frontend/HarvellaError.h"

namespace Harvella::ServiceMan {

class ServiceNotFoundError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~ServiceNotFoundError() override = default;
};

class ServiceAlreadyStartedError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~ServiceAlreadyStartedError() override = default;
};

class ServiceAlreadyStoppedError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~ServiceAlreadyStoppedError() override = default;
};

class ServiceInstallationError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~ServiceInstallationError() override = default;
};

class ServiceRemovingError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~ServiceRemovingError() override = default;
};

class ServiceStartupError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~ServiceStartupError() override = default;
};

class ServiceShutdownError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~ServiceShutdownError() override = default;
};

}  // namespace Harvella::ServiceMan
