#pragma once
#include <string>

namespace platform {

enum class MessageIcon { none, error };

// A modal message with an OK button (Windows); standard error on Linux.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void showMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
};

}  // namespace platform
