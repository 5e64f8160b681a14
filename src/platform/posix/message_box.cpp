#include "message_box.h"

namespace platform::posix {

void StdErrMessageBoxes::showMessage(const std::string& text, const std::string& caption,
                                     MessageIcon) {
    console_.writeStdErr(caption + ": " + text + "\n");
}

}  // namespace platform::posix
