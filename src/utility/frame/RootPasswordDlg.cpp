#include "RootPasswordDlg.h"

namespace Quimbo {
namespace {

using platform::ControlKind;
using platform::FormControl;
using platform::FormFont;

// The controls in tab order: the text box first, the buttons, then the labels.
enum Control : std::size_t {
    rootPwdTxtBox,
    okButton,
    cancelButton,
    dlgHeaderLbl,
    dlgDescriptionLbl,
    dlgInputDescLbl,
    dlgInvalidPwdLbl,
    dlgActionLbl,
    Image1,
};

constexpr int cyrillic = 204;
constexpr std::uint32_t pureRed = 0xFF0000;
constexpr char enterKey = 13;
const char* const dialogClass = "#32770";

const FormFont formFont{"Arial", 975, false, cyrillic};
const FormFont boldFont{"Arial", 975, true, cyrillic};
const FormFont smallFont{"Arial", 900, false, cyrillic};
const FormFont buttonFont{"MS Sans Serif", 825, false, cyrillic};

FormControl control(ControlKind kind, int left, int top, int width, int height,
                    const FormFont& font, const std::string& text = "") {
    FormControl made;
    made.kind = kind;
    made.left = left;
    made.top = top;
    made.width = width;
    made.height = height;
    made.font = font;
    made.text = text;
    return made;
}

// The form as designed, in twips; the label texts come with Initialize.
platform::FormDesign formDesign() {
    platform::FormDesign design;
    design.left = 2760;
    design.top = 3750;
    design.clientWidth = 8475;
    design.clientHeight = 4410;
    design.controls = {
        control(ControlKind::passwordBox, 4080, 2040, 2895, 285, smallFont),
        control(ControlKind::button, 2040, 3840, 1695, 375, buttonFont, "OK"),
        control(ControlKind::button, 4680, 3840, 1695, 375, buttonFont, "Cancel"),
        control(ControlKind::label, 1080, 240, 7335, 255, boldFont),
        control(ControlKind::label, 1080, 720, 7215, 1215, smallFont),
        control(ControlKind::label, 1080, 2040, 3015, 255, smallFont),
        control(ControlKind::label, 4080, 2400, 3975, 255, smallFont),
        control(ControlKind::label, 1080, 2640, 6975, 855, formFont),
        control(ControlKind::warningPicture, 240, 360, 465, 435, formFont),
    };
    design.controls[cancelButton].cancel = true;
    design.controls[dlgInvalidPwdLbl].textColour = pureRed;
    return design;
}

std::string actionText(const std::string& productVersion) {
    const std::string unknown =
        "If you do not know the password or provided password does not fit, ";
    if (productVersion.empty())
        return unknown +
               "click \"Cancel\" to proceed with repairing without entering the password. In "
               "this case you will be offered to re-install MySQL and create a new Harvella "
               "database.";
    return unknown +
           "try to repair or uninstall the current Harvella version before installing Harvella " +
           productVersion + ".";
}

}  // namespace

RootPasswordDlg::RootPasswordDlg(platform::ForeignWindows& windows, platform::ModalForms& forms)
    : windows_(windows), forms_(forms), design_(formDesign()) {}

void RootPasswordDlg::Initialize(const std::string& productVersion) {
    installerWindow_ = windows_.findTopLevel(dialogClass);
    design_.caption = "  Cannot Connect to Database";
    auto& controls = design_.controls;
    controls[dlgHeaderLbl].text =
        "Setup cannot connect to the Harvella database under the 'root' MySQL user.";
    controls[dlgDescriptionLbl].text =
        "This may happen if password of the 'root' MySQL user has been changed after Harvella "
        "installation or if MySQL database is corrupted.\r\n\r\nIf you changed the password of "
        "the 'root' MySQL user,  please enter the new password below.";
    controls[dlgInputDescLbl].text = "Password of the 'root' MySQL user:";
    controls[dlgInvalidPwdLbl].text = "Provided password is invalid. Please try again.";
    // The previous showing ended with OK, so its password did not work.
    controls[dlgInvalidPwdLbl].visible = okPressed_;
    controls[dlgActionLbl].text = actionText(productVersion);
    okPressed_ = false;
}

void RootPasswordDlg::Show() {
    forms_.showModal(design_, *this);
}

void RootPasswordDlg::Form_Load(platform::OpenForm& form) {
    form.setEnabled(okButton, false);
    if (installerWindow_ == 0) return;
    windows_.enable(installerWindow_, false);
    previousOwner_ = form.replaceOwner(installerWindow_);
}

void RootPasswordDlg::Form_Unload(platform::OpenForm& form) {
    if (installerWindow_ == 0) return;
    windows_.enable(installerWindow_, true);
    form.replaceOwner(previousOwner_);
}

void RootPasswordDlg::okButton_Click(platform::OpenForm& form) {
    okPressed_ = true;
    password_ = form.text(rootPwdTxtBox);
    form.unload();
}

void RootPasswordDlg::cancelButton_Click(platform::OpenForm& form) {
    okPressed_ = false;
    password_.clear();
    form.unload();
}

bool RootPasswordDlg::rootPwdTxtBox_KeyPress(platform::OpenForm& form, char key) {
    if (key != enterKey) return false;
    okButton_Click(form);
    return true;
}

void RootPasswordDlg::rootPwdTxtBox_Change(platform::OpenForm& form) {
    form.setEnabled(okButton, !form.text(rootPwdTxtBox).empty());
}

void RootPasswordDlg::changed(platform::OpenForm& form, std::size_t control) {
    if (control == rootPwdTxtBox) rootPwdTxtBox_Change(form);
}

bool RootPasswordDlg::keyPress(platform::OpenForm& form, std::size_t control, char key) {
    return control == rootPwdTxtBox && rootPwdTxtBox_KeyPress(form, key);
}

void RootPasswordDlg::clicked(platform::OpenForm& form, std::size_t control) {
    if (control == okButton) okButton_Click(form);
    if (control == cancelButton) cancelButton_Click(form);
}

}  // namespace Quimbo
