// The launcher's progress dialog over user32 and comctl32: template 101 and
// icon 103 of the program's own resources, a modeless dialog and the thread's
// message loop. Texts, layouts and decisions belong to the core.
#include "platform/progress_dialog.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <string>

namespace platform {
namespace win32 {
namespace {

constexpr int dialogTemplate = 101;
constexpr int programIcon = 103;
// Between a widened text and the button.
constexpr int buttonGap = 8;

struct ClientRect {
    RECT rect{};
    int width() const { return rect.right - rect.left; }
    int height() const { return rect.bottom - rect.top; }
};

class Win32ProgressDialog final : public ProgressDialogWindow {
public:
    explicit Win32ProgressDialog(const std::function<void(ProgressDialogWindow&)>& initialise)
        : initialise_(initialise) {}
    ~Win32ProgressDialog() override { destroy(); }

    // False when the dialog cannot be created.
    bool create();

    void setCaption(const std::string& text) override { ::SetWindowTextA(window_, text.c_str()); }
    void setControlText(int control, const std::string& text) override {
        ::SetDlgItemTextA(window_, control, text.c_str());
    }
    void showControl(int control, bool visible) override {
        ::ShowWindow(item(control), visible ? SW_SHOW : SW_HIDE);
    }
    void moveLeftEdge(int control, int pixels) override;
    void paintStaticsRed() override {
        red_ = true;
        ::InvalidateRect(window_, nullptr, TRUE);
    }
    void setBarRange(int total) override {
        // The range message carries 16 bits; no total of ours comes near.
        const WORD top = static_cast<WORD>(total > 0xFFFF ? 0xFFFF : total);
        ::SendMessageA(item(dialogctl::progressBar), PBM_SETRANGE, 0, MAKELPARAM(0, top));
        paintNow();
    }
    void setBarPosition(int position) override {
        ::SendMessageA(item(dialogctl::progressBar), PBM_SETPOS, static_cast<WPARAM>(position), 0);
        paintNow();
    }
    void resizeClient(int width, int height) override;
    void widenToButton(int control) override;
    void fitTextHeight(int control) override;
    void show() override;
    DialogEnd runUntilUserEnds() override;
    void destroy() override;

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam);
    void initialiseDialog();
    HWND item(int control) const { return ::GetDlgItem(window_, control); }
    // Start and stop run before the message loop does: what changed is
    // painted at once, without dispatching anything else.
    void paintNow() { ::RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }
    // The control's rectangle in the dialog's client coordinates.
    ClientRect placeOf(HWND control) const;
    LONG lowestChildBottom() const;
    static void place(HWND control, const RECT& rect) {
        ::SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    std::function<void(ProgressDialogWindow&)> initialise_;
    // Raised by the core while the dialog initialised; it may not cross user32.
    std::exception_ptr initialiseFailure_;
    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    bool red_ = false;
    std::optional<DialogEnd> ended_;
};

bool Win32ProgressDialog::create() {
    window_ = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogTemplate),
                                   nullptr, dialogProc, reinterpret_cast<LPARAM>(this));
    if (initialiseFailure_) std::rethrow_exception(initialiseFailure_);
    return window_ != nullptr;
}

INT_PTR CALLBACK Win32ProgressDialog::dialogProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        auto* dialog = reinterpret_cast<Win32ProgressDialog*>(lParam);
        dialog->window_ = window;
        dialog->initialiseDialog();
        return TRUE;
    }
    // WM_SETFONT and others come before WM_INITDIALOG.
    auto* dialog = reinterpret_cast<Win32ProgressDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    return dialog ? dialog->handle(message, wParam) : FALSE;
}

void Win32ProgressDialog::initialiseDialog() {
    // No owner: centred on the work area of the screen.
    RECT work{}, frame{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(window_, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int left = work.left + ((work.right - work.left) - width) / 2;
    const int top = work.top + ((work.bottom - work.top) - height) / 2;
    ::SetWindowPos(window_, nullptr, left < work.left ? work.left : left,
                   top < work.top ? work.top : top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    icon_ = static_cast<HICON>(::LoadImageA(
        ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(programIcon), IMAGE_ICON,
        ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    ::SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    try {
        initialise_(*this);
    } catch (...) {
        initialiseFailure_ = std::current_exception();
    }
}

INT_PTR Win32ProgressDialog::handle(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_CTLCOLORSTATIC: {
            if (!red_) return FALSE;
            const auto dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, RGB(255, 0, 0));
            ::SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == dialogctl::button && HIWORD(wParam) == BN_CLICKED)
                ended_ = DialogEnd::button;
            else if (LOWORD(wParam) == IDCANCEL)
                ended_ = DialogEnd::close;
            return TRUE;
        case WM_CLOSE:
            ended_ = DialogEnd::close;
            return TRUE;
        default:
            return FALSE;
    }
}

ClientRect Win32ProgressDialog::placeOf(HWND control) const {
    ClientRect place;
    ::GetWindowRect(control, &place.rect);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place.rect), 2);
    return place;
}

void Win32ProgressDialog::moveLeftEdge(int control, int pixels) {
    ClientRect moved = placeOf(item(control));
    moved.rect.left += pixels;
    place(item(control), moved.rect);
}

void Win32ProgressDialog::resizeClient(int width, int height) {
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(window_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongA(window_, GWL_EXSTYLE)));
    ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32ProgressDialog::widenToButton(int control) {
    ClientRect widened = placeOf(item(control));
    widened.rect.right = placeOf(item(dialogctl::button)).rect.left - buttonGap;
    place(item(control), widened.rect);
}

void Win32ProgressDialog::fitTextHeight(int control) {
    const HWND text = item(control);
    const ClientRect before = placeOf(text);
    std::string content(static_cast<std::size_t>(::GetWindowTextLengthA(text)) + 1, '\0');
    content.resize(static_cast<std::size_t>(
        ::GetWindowTextA(text, &content[0], static_cast<int>(content.size()))));
    // Measured as a left-aligned static control draws: word-wrapped, with
    // the control's font.
    const HDC dc = ::GetDC(text);
    const auto font = reinterpret_cast<HFONT>(::SendMessageA(text, WM_GETFONT, 0, 0));
    const HGDIOBJ previous = ::SelectObject(dc, font);
    RECT needed{0, 0, before.width(), 0};
    ::DrawTextA(dc, content.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    ::SelectObject(dc, previous);
    ::ReleaseDC(text, dc);
    const int growth = needed.bottom - before.height();
    if (growth <= 0) return;

    const LONG lowestBefore = lowestChildBottom();
    for (HWND child = ::GetWindow(window_, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        ClientRect moved = placeOf(child);
        if (moved.rect.top < before.rect.bottom) continue;
        ::OffsetRect(&moved.rect, 0, growth);
        place(child, moved.rect);
    }
    RECT grown = before.rect;
    grown.bottom += growth;
    place(text, grown);
    // The margin below the lowest control stays as it was.
    RECT client{};
    ::GetClientRect(window_, &client);
    resizeClient(client.right, client.bottom + (lowestChildBottom() - lowestBefore));
}

LONG Win32ProgressDialog::lowestChildBottom() const {
    LONG lowest = 0;
    for (HWND child = ::GetWindow(window_, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT))
        lowest = std::max(lowest, placeOf(child).rect.bottom);
    return lowest;
}

void Win32ProgressDialog::show() {
    // The show command WinMain would have received.
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    ::ShowWindow(window_,
                 (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT);
    paintNow();
}

DialogEnd Win32ProgressDialog::runUntilUserEnds() {
    ended_.reset();
    MSG message{};
    while (!ended_) {
        if (::GetMessageA(&message, nullptr, 0, 0) <= 0) return DialogEnd::close;
        // Tab, Enter and Esc as in any dialog.
        if (::IsDialogMessageA(window_, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return *ended_;
}

void Win32ProgressDialog::destroy() {
    if (window_) ::DestroyWindow(window_);
    window_ = nullptr;
    if (icon_) ::DestroyIcon(icon_);
    icon_ = nullptr;
}

// COM and the progress bar's window class for the life of the window phase.
class Win32WindowPhase final : public WindowPhase {
public:
    Win32WindowPhase() : com_(::CoInitialize(nullptr)) {
        // Registers nothing; kept as the first window call of the thread.
        ::DefWindowProcA(nullptr, 0, 0, 0);
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_BAR_CLASSES;
        ::InitCommonControlsEx(&controls);
    }
    ~Win32WindowPhase() override {
        if (SUCCEEDED(com_)) ::CoUninitialize();
    }

private:
    HRESULT com_;
};

class Win32ProgressDialogs final : public ProgressDialogs {
public:
    std::unique_ptr<WindowPhase> enterWindowPhase() override {
        return std::make_unique<Win32WindowPhase>();
    }
    std::unique_ptr<ProgressDialogWindow> create(
        const std::function<void(ProgressDialogWindow&)>& initialise) override {
        auto dialog = std::make_unique<Win32ProgressDialog>(initialise);
        if (!dialog->create()) return nullptr;
        return dialog;
    }
};

}  // namespace
}  // namespace win32

std::unique_ptr<ProgressDialogs> makeProgressDialogs() {
    return std::make_unique<win32::Win32ProgressDialogs>();
}

}  // namespace platform
