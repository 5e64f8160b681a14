#pragma once
#include "platform/console.h"
#include "platform/modal_form.h"

namespace platform::posix {

// Linux stand-in for our own modal forms: the form's texts on the controlling
// terminal and its one text box read from there without echo. The labels come
// in their order on the form, the one beside the text box last as its prompt.
// Enter types character 13 into the box (its handlers decide what it does);
// Esc, Ctrl-C, Ctrl-D or the terminal's end click the cancelling button.
// Without a controlling terminal the form is cancelled at once, with a note
// on standard error.
class TerminalForms final : public ModalForms {
public:
    explicit TerminalForms(Console& console) : console_(console) {}
    void showModal(const FormDesign& design, FormEvents& events) override;

private:
    Console& console_;
};

}  // namespace platform::posix
