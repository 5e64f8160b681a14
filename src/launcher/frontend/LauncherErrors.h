#pragma once
// The members of the family that add nothing but their class: handlers tell
// them apart, and each names the area that raises it.
#include "frontend/HarvellaError.h"

namespace Harvella {

// The product configuration file is missing or cannot be opened for update.
class HarvellaConfigNotFoundError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~HarvellaConfigNotFoundError() override = default;
};

// The Java VM, the server's main class, or the server's own uncaught throwable.
class JavaError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~JavaError() override = default;
};

class RegistryKeyNotFoundError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~RegistryKeyNotFoundError() override = default;
};

class RegistryCreationError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~RegistryCreationError() override = default;
};

class CannotReadRegistryKeyValueError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~CannotReadRegistryKeyValueError() override = default;
};

class CannotWriteRegistryKeyValueError : public HarvellaError {
public:
    using HarvellaError::HarvellaError;
    ~CannotWriteRegistryKeyValueError() override = default;
};

}  // namespace Harvella
