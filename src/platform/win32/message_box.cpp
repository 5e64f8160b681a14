#include "message_box.h"

#include <windows.h>

namespace platform::win32 {

void Win32MessageBoxes::showMessage(const std::string& text, const std::string& caption,
                                    MessageIcon icon) {
    const UINT style = MB_OK | (icon == MessageIcon::error ? MB_ICONERROR : 0);
    ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
}

}  // namespace platform::win32
