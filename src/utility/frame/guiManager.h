#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace Quimbo {

// Drives the six controls of the installer's wizard page that the argument
// line names. A handle of 0 or below is an absent control: every operation on
// it is skipped, so an action also runs without the installer.
class guiManager {
public:
    explicit guiManager(platform::Services& services);

    void Initialize(std::int32_t nextBtn, std::int32_t backBtn, std::int32_t cancelBtn,
                    std::int32_t actionLabel, std::int32_t progressBar, std::int32_t richEdit);
    // The same with the first five handles as text holding a number; raises
    // "Type mismatch" (13) for anything else and "Overflow" (6) beyond 32 bits.
    void Initialize(const std::string& nextBtn, const std::string& backBtn,
                    const std::string& cancelBtn, const std::string& actionLabel,
                    const std::string& progressBar, std::int32_t richEdit);

    // One RTF document holding the text in 10-point Arial, red when isError.
    // Backslashes and braces are escaped: the text shows as it is and cannot
    // end the document early.
    static std::string MakeRTFStr(const std::string& Text, bool isError);

    void UpdateProgressBar(std::int16_t filledBy);
    // Raises "Overflow" (6) when the new position leaves 16 bits.
    void ForwardProgressBar(std::int16_t percentsToForward);
    void AddRichEditText(const std::string& textToAdd);
    void UpdateCurrentAction(const std::string& actionDescr);
    void SetButtonStatusSuccess();
    void SetButtonStatusFailed(bool enableBack);

    // Red failure line and failed buttons; with endAtFinish the program ends
    // here (code 0, no output).
    void die(const std::string& action, const std::string& msg, bool enableBack, bool endAtFinish);
    // As die, then presses Next so that the wizard moves on, and ends the
    // process with the code and the output text the installer reads.
    [[noreturn]] void dieAndReturnError(const std::string& action, const std::string& msg,
                                        std::int32_t exitCode, const std::string& msgToOutput,
                                        bool enableBack);
    void UpdateGUIOnSuccess(const std::string& action);
    // Posted, not sent: the installer handles the click after our current call.
    void GenerateNextBtnClickEvent();

    // A password the utility uses: from now on every text shown on the page
    // or written to standard output has it replaced by asterisks (a client's
    // error may repeat the statement that set it).
    void HideSecret(const std::string& secret);

    void DebugMsg(const std::string& msg);
    // Standard output is reserved for the result text, so this goes to standard error.
    void ConsolePrint(const std::string& MsgOut);

private:
    void setWindowEnabled(platform::WindowHandle handle, bool enable);
    static std::int32_t makeLong(std::int32_t low, std::int32_t high);
    // The text with every hidden secret masked.
    std::string shown(std::string text) const;

    platform::Services& services_;
    platform::WindowHandle nextBtn_ = 0;
    platform::WindowHandle backBtn_ = 0;
    platform::WindowHandle cancelBtn_ = 0;
    platform::WindowHandle progressBar_ = 0;
    platform::WindowHandle actionLabel_ = 0;
    platform::WindowHandle richEdit_ = 0;
    std::vector<std::string> secrets_;
};

}  // namespace Quimbo
