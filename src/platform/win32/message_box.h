#pragma once
#include "platform/message_box.h"

namespace platform::win32 {

class Win32MessageBoxes final : public MessageBoxes {
public:
    void showMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
};

}  // namespace platform::win32
