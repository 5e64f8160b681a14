#pragma once
#include <string>

namespace platform {

// A modal message with an OK button (Windows); standard error on Linux.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;
};

}  // namespace platform
