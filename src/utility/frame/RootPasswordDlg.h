#pragma once
#include <string>

#include "platform/foreign_windows.h"
#include "platform/modal_form.h"

namespace Quimbo {

// Asks the person at the installer for the current password of the MySQL user
// 'root': a modal form in front of the installer's wizard window, with a
// masked text box, OK and Cancel, and a red "invalid" line after an OK whose
// password did not work. One instance serves every showing of a run.
class RootPasswordDlg final : private platform::FormEvents {
public:
    RootPasswordDlg(platform::ForeignWindows& windows, platform::ModalForms& forms);

    // The texts for the product version being installed; an empty version
    // (a repair of the current installation) selects the repair wording.
    void Initialize(const std::string& productVersion);
    // Returns once the form has been closed by OK, Enter or Cancel.
    void Show();
    std::string GetCurrentRootPwd() const { return password_; }
    bool IsOKPressed() const { return okPressed_; }

private:
    void Form_Load(platform::OpenForm& form);
    void Form_Unload(platform::OpenForm& form);
    void okButton_Click(platform::OpenForm& form);
    void cancelButton_Click(platform::OpenForm& form);
    // Enter runs OK, also while OK is disabled.
    bool rootPwdTxtBox_KeyPress(platform::OpenForm& form, char key);
    void rootPwdTxtBox_Change(platform::OpenForm& form);

    void load(platform::OpenForm& form) override { Form_Load(form); }
    void unloading(platform::OpenForm& form) override { Form_Unload(form); }
    void changed(platform::OpenForm& form, std::size_t control) override;
    bool keyPress(platform::OpenForm& form, std::size_t control, char key) override;
    void clicked(platform::OpenForm& form, std::size_t control) override;

    platform::ForeignWindows& windows_;
    platform::ModalForms& forms_;
    platform::FormDesign design_;
    std::string password_;
    bool okPressed_ = false;
    // The installer's wizard window: disabled while the form is open, and
    // its owner. 0 when there is none: the form then opens on its own.
    platform::WindowHandle installerWindow_ = 0;
    platform::WindowHandle previousOwner_ = 0;
};

}  // namespace Quimbo
