#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/foreign_windows.h"

namespace platform {

// Twips are 1/1440 inch: 15 to a pixel on a screen of 96 dots per inch.
struct FormFont {
    std::string name;
    int hundredthsOfPoint = 0;  // 975 for 9.75 point
    bool bold = false;
    int characterSet = 0;  // 204: Cyrillic
};

enum class ControlKind { warningPicture, label, passwordBox, button };

struct FormControl {
    ControlKind kind = ControlKind::label;
    int left = 0, top = 0, width = 0, height = 0;  // twips, in the client area
    FormFont font;
    std::string text;
    std::uint32_t textColour = 0;  // 0xRRGGBB; 0 leaves the system's text colour
    bool visible = true;
    bool cancel = false;  // Esc clicks it
};

// A fixed dialog without icon, minimise or maximise button. Its controls are
// given in tab order; the handlers name them by their index in that list.
struct FormDesign {
    std::string caption;
    int left = 0, top = 0;                  // the client area on the screen, twips
    int clientWidth = 0, clientHeight = 0;  // twips
    std::vector<FormControl> controls;
};

// The form while it is open, as its event handlers reach it.
class OpenForm {
public:
    virtual ~OpenForm() = default;
    virtual void setEnabled(std::size_t control, bool enabled) = 0;
    virtual std::string text(std::size_t control) = 0;
    // SetWindowLongA(GWL_HWNDPARENT): the owner the form stays in front of;
    // returns the one it replaces.
    virtual WindowHandle replaceOwner(WindowHandle owner) = 0;
    // Runs the unload handler at once, then closes the form.
    virtual void unload() = 0;
};

// The handlers the form calls, each on the form's one thread.
class FormEvents {
public:
    virtual ~FormEvents() = default;
    virtual void load(OpenForm& form) = 0;
    virtual void unloading(OpenForm& form) = 0;
    virtual void changed(OpenForm& form, std::size_t control) = 0;
    // A character typed into the control; true when the handler took it, so
    // that it is not typed.
    virtual bool keyPress(OpenForm& form, std::size_t control, char key) = 0;
    virtual void clicked(OpenForm& form, std::size_t control) = 0;
};

// Modal forms of our own: a window on Windows, a prompt on the controlling
// terminal on Linux (pictures and buttons are not drawn there; Enter types
// character 13, Esc, Ctrl-C and Ctrl-D click the cancelling button).
class ModalForms {
public:
    virtual ~ModalForms() = default;
    // Returns once the form has been unloaded.
    virtual void showModal(const FormDesign& design, FormEvents& events) = 0;
};

}  // namespace platform
