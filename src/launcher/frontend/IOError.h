#pragma once
#include <string>

#include "frontend/HarvellaError.h"

namespace Fio {

// A file operation that failed on a named file. The message is the fixed
// prefix ("Could not create file: "); the file name is kept apart from it.
class IOError : public Harvella::HarvellaError {
public:
    IOError(std::int32_t errorCode, std::string messagePrefix, std::string fileName);
    ~IOError() override;

    std::string getMessage() const override;
    // Always carries the code part, -1 included.
    std::string getFullMessage() const override;

private:
    std::string fileName_;
};

}  // namespace Fio
