#pragma once
#include "platform/modal_form.h"

namespace platform::win32 {

// A modal dialog built from the design at the screen's resolution, with no
// owner of its own (the handlers may give it one). Esc and the close box
// click the cancelling button; Enter in the text box reaches its key handler.
class Win32ModalForms final : public ModalForms {
public:
    void showModal(const FormDesign& design, FormEvents& events) override;
};

}  // namespace platform::win32
