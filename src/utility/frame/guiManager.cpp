#include "guiManager.h"

#include <limits>

#include "ExitFuncsModule.h"
#include "VbConversions.h"
#include "VbErrors.h"

namespace Quimbo {
namespace {

const char* const source = "guiManager";

const char* const rtfHead =
    "{\\rtf1\\ansi\\deff0\\deflang1049{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset1 Arial;}"
    "{\\f1\\fswiss\\fcharset204{\\*\\fname Arial;}Arial CYR;}}";
const char* const rtfRedColours = "{\\colortbl;\\red255\\green0\\blue0;}";
const char* const rtfBlackColours = "{\\colortbl;\\red0\\green0\\blue0;}";
const char* const rtfBodyStart =
    "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\cf1\\lang1033\\f0\\fs20 ";
const char* const rtfTail = "\\cf0\\lang1049\\f1\\par}";

}  // namespace

guiManager::guiManager(platform::Services& services) : services_(services) {}

void guiManager::Initialize(std::int32_t nextBtn, std::int32_t backBtn, std::int32_t cancelBtn,
                            std::int32_t actionLabel, std::int32_t progressBar,
                            std::int32_t richEdit) {
    nextBtn_ = nextBtn;
    backBtn_ = backBtn;
    cancelBtn_ = cancelBtn;
    actionLabel_ = actionLabel;
    progressBar_ = progressBar;
    richEdit_ = richEdit;
}

void guiManager::Initialize(const std::string& nextBtn, const std::string& backBtn,
                            const std::string& cancelBtn, const std::string& actionLabel,
                            const std::string& progressBar, std::int32_t richEdit) {
    Initialize(TextToLong(nextBtn), TextToLong(backBtn), TextToLong(cancelBtn),
               TextToLong(actionLabel), TextToLong(progressBar), richEdit);
}

std::string guiManager::MakeRTFStr(const std::string& Text, bool isError) {
    std::string escaped;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        // The rich edit reads a raw line break in RTF as nothing at all, which
        // glued the lines of a client's error together: each becomes a paragraph.
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
            escaped += "\\par ";
            continue;
        }
        if (c == '\\' || c == '{' || c == '}') escaped += '\\';
        escaped += c;
    }
    return std::string(rtfHead) + (isError ? rtfRedColours : rtfBlackColours) + rtfBodyStart +
           escaped + rtfTail;
}

void guiManager::UpdateProgressBar(std::int16_t filledBy) {
    if (progressBar_ <= 0) return;
    services_.windows.send(progressBar_, platform::wm::progressSetPos,
                           static_cast<std::uintptr_t>(static_cast<std::intptr_t>(filledBy)), 0);
}

void guiManager::ForwardProgressBar(std::int16_t percentsToForward) {
    if (progressBar_ <= 0) return;
    const auto position = services_.windows.send(progressBar_, platform::wm::progressGetPos, 0, 0);
    const auto sum = static_cast<std::int64_t>(position) + percentsToForward;
    if (sum < std::numeric_limits<std::int16_t>::min() ||
        sum > std::numeric_limits<std::int16_t>::max())
        throw vbError(VbError::overflow, source);
    UpdateProgressBar(static_cast<std::int16_t>(sum));
}

void guiManager::AddRichEditText(const std::string& textToAdd) {
    if (richEdit_ <= 0) return;
    // A start of -1 drops any selection and leaves the caret after the last insertion.
    services_.windows.send(richEdit_, platform::wm::setSelection, static_cast<std::uintptr_t>(-1),
                           0);
    services_.windows.sendText(richEdit_, platform::wm::replaceSelection, 0,
                               shown(textToAdd) + "\r");
}

void guiManager::UpdateCurrentAction(const std::string& actionDescr) {
    const std::string text = shown(actionDescr);
    AddRichEditText(MakeRTFStr(text, false));
    if (actionLabel_ > 0) services_.windows.sendText(actionLabel_, platform::wm::setText, 0, text);
}

void guiManager::SetButtonStatusSuccess() {
    setWindowEnabled(nextBtn_, true);
    setWindowEnabled(cancelBtn_, true);
    setWindowEnabled(backBtn_, false);
}

void guiManager::SetButtonStatusFailed(bool enableBack) {
    setWindowEnabled(nextBtn_, false);
    setWindowEnabled(cancelBtn_, true);
    setWindowEnabled(backBtn_, enableBack);
}

void guiManager::die(const std::string& action, const std::string& msg, bool enableBack,
                     bool endAtFinish) {
    const std::string text =
        shown("Failed to " + action + " database due to the following reason: " + msg + "\r\n");
    AddRichEditText(MakeRTFStr(text, true));
    SetButtonStatusFailed(enableBack);
    if (endAtFinish) services_.console.exitProcess(0);
}

void guiManager::dieAndReturnError(const std::string& action, const std::string& msg,
                                   std::int32_t exitCode, const std::string& msgToOutput,
                                   bool enableBack) {
    die(action, msg, enableBack, false);
    GenerateNextBtnClickEvent();
    ExitWithCode(services_, exitCode, shown(msgToOutput));
}

void guiManager::UpdateGUIOnSuccess(const std::string& action) {
    UpdateProgressBar(100);
    SetButtonStatusSuccess();
    UpdateCurrentAction(action + " completed successfully");
    GenerateNextBtnClickEvent();
}

void guiManager::GenerateNextBtnClickEvent() {
    if (nextBtn_ <= 0) return;
    setWindowEnabled(nextBtn_, true);
    const auto identifier = services_.windows.controlIdentifier(nextBtn_);
    const auto page = services_.windows.parent(nextBtn_);
    const auto wParam =
        static_cast<std::uint32_t>(makeLong(identifier, platform::wm::buttonClicked));
    services_.windows.post(page, platform::wm::command, wParam, nextBtn_);
}

void guiManager::HideSecret(const std::string& secret) {
    if (!secret.empty()) secrets_.push_back(secret);
}

std::string guiManager::shown(std::string text) const {
    for (const std::string& secret : secrets_) {
        const std::string mask(secret.size(), '*');
        for (auto at = text.find(secret); at != std::string::npos;
             at = text.find(secret, at + mask.size()))
            text.replace(at, secret.size(), mask);
    }
    return text;
}

void guiManager::DebugMsg(const std::string&) {}

void guiManager::ConsolePrint(const std::string& MsgOut) {
    services_.console.writeStdErr(MsgOut + "\n");
}

void guiManager::setWindowEnabled(platform::WindowHandle handle, bool enable) {
    if (handle > 0) services_.windows.enable(handle, enable);
}

std::int32_t guiManager::makeLong(std::int32_t low, std::int32_t high) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(high) << 16) |
                                     (static_cast<std::uint32_t>(low) & 0xFFFFu));
}

}  // namespace Quimbo
