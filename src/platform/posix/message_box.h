#pragma once
#include "platform/console.h"
#include "platform/message_box.h"

namespace platform::posix {

// Linux stand-in: the message goes to standard error, nobody has to click it.
class StdErrMessageBoxes final : public MessageBoxes {
public:
    explicit StdErrMessageBoxes(Console& console) : console_(console) {}
    void showMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;

private:
    Console& console_;
};

}  // namespace platform::posix
