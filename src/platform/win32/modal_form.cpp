// Our own modal dialogs, built in code from a design: user32 and gdi32 only.
#include "modal_form.h"

#include <windows.h>

#include <vector>

namespace platform::win32 {
namespace {

// Above IDOK and IDCANCEL, which the dialog manager sends for Enter and Esc.
constexpr int firstControlId = 1000;
constexpr int twipsPerInch = 1440;
constexpr int hundredthsPerInch = 7200;
constexpr DWORD formStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
// The dialog manager needs a DWORD-aligned template; ours has no controls,
// menu, class or title (the controls are made at WM_INITDIALOG).
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE header;
    WORD menu, windowClass, title;
};

COLORREF fromRgb(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

class Win32Form final : public OpenForm {
public:
    Win32Form(const FormDesign& design, FormEvents& events) : design_(design), events_(events) {
        const HDC screen = GetDC(nullptr);
        dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    ~Win32Form() override {
        for (HFONT font : fonts_)
            DeleteObject(font);
    }
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    void setEnabled(std::size_t control, bool enabled) override {
        EnableWindow(controls_.at(control), enabled ? TRUE : FALSE);
    }
    std::string text(std::size_t control) override {
        std::string text(static_cast<std::size_t>(GetWindowTextLengthA(controls_.at(control))) + 1,
                         '\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextA(controls_[control], &text[0], static_cast<int>(text.size()))));
        return text;
    }
    WindowHandle replaceOwner(WindowHandle owner) override {
        return static_cast<WindowHandle>(SetWindowLongA(dialog_, GWL_HWNDPARENT, owner));
    }
    void unload() override {
        if (unloaded_) return;
        unloaded_ = true;
        // While the dialog still stands, so that its owner, enabled again
        // here, is the window that comes to the front when it goes.
        events_.unloading(*this);
        EndDialog(dialog_, 0);
    }

    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

    int pixelsX(int twips) const { return MulDiv(twips, dpiX_, twipsPerInch); }
    int pixelsY(int twips) const { return MulDiv(twips, dpiY_, twipsPerInch); }
    void build(HWND dialog);
    HWND makeControl(const FormControl& control, int id);
    HFONT font(const FormFont& wanted);
    std::size_t indexOf(HWND control) const;
    INT_PTR command(WORD id, WORD code);
    INT_PTR colour(HDC dc, HWND control) const;
    static void drawWarning(const DRAWITEMSTRUCT& item);

    const FormDesign& design_;
    FormEvents& events_;
    HWND dialog_ = nullptr;
    std::vector<HWND> controls_;
    std::vector<HFONT> fonts_;
    WNDPROC boxDefault_ = nullptr;
    int dpiX_ = 96, dpiY_ = 96;
    bool unloaded_ = false;
};

void Win32Form::build(HWND dialog) {
    dialog_ = dialog;
    SetWindowTextA(dialog, design_.caption.c_str());
    RECT frame{pixelsX(design_.left), pixelsY(design_.top),
               pixelsX(design_.left + design_.clientWidth),
               pixelsY(design_.top + design_.clientHeight)};
    AdjustWindowRectEx(&frame, formStyle, FALSE, WS_EX_DLGMODALFRAME);
    SetWindowPos(dialog, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Made in tab order: the order of creation is the order of Tab.
    for (std::size_t i = 0; i < design_.controls.size(); ++i)
        controls_.push_back(makeControl(design_.controls[i], firstControlId + static_cast<int>(i)));
    events_.load(*this);
}

HWND Win32Form::makeControl(const FormControl& control, int id) {
    const char* windowClass = "STATIC";
    DWORD style = WS_CHILD | (control.visible ? WS_VISIBLE : 0);
    DWORD exStyle = 0;
    switch (control.kind) {
        case ControlKind::warningPicture:
            style |= SS_OWNERDRAW;
            break;
        case ControlKind::label:
            style |= SS_LEFT | SS_NOPREFIX;
            break;
        case ControlKind::passwordBox:
            windowClass = "EDIT";
            style |= WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::button:
            windowClass = "BUTTON";
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
    }
    const HWND made = CreateWindowExA(
        exStyle, windowClass, control.text.c_str(), style, pixelsX(control.left),
        pixelsY(control.top), pixelsX(control.width), pixelsY(control.height), dialog_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(made, WM_SETFONT, reinterpret_cast<WPARAM>(font(control.font)), FALSE);
    if (control.kind == ControlKind::passwordBox) {
        SendMessageA(made, EM_SETPASSWORDCHAR, '*', 0);
        SetWindowLongPtrA(made, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        boxDefault_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(made, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&boxProc)));
    }
    return made;
}

HFONT Win32Form::font(const FormFont& wanted) {
    const HFONT made =
        CreateFontA(-MulDiv(wanted.hundredthsOfPoint, dpiY_, hundredthsPerInch), 0, 0, 0,
                    wanted.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                    static_cast<BYTE>(wanted.characterSet), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, wanted.name.c_str());
    fonts_.push_back(made);
    return made;
}

std::size_t Win32Form::indexOf(HWND control) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i] == control) return i;
    return controls_.size();
}

INT_PTR Win32Form::command(WORD id, WORD code) {
    if (id == IDCANCEL) {
        for (std::size_t i = 0; i < design_.controls.size(); ++i)
            if (design_.controls[i].cancel && IsWindowEnabled(controls_[i]))
                events_.clicked(*this, i);
        return TRUE;
    }
    const std::size_t index = static_cast<std::size_t>(id - firstControlId);
    if (id < firstControlId || index >= design_.controls.size()) return FALSE;
    const ControlKind kind = design_.controls[index].kind;
    if (kind == ControlKind::passwordBox && code == EN_CHANGE) events_.changed(*this, index);
    if (kind == ControlKind::button && code == BN_CLICKED) events_.clicked(*this, index);
    return TRUE;
}

INT_PTR Win32Form::colour(HDC dc, HWND control) const {
    const std::size_t index = indexOf(control);
    if (index >= design_.controls.size() || design_.controls[index].textColour == 0) return FALSE;
    SetTextColor(dc, fromRgb(design_.controls[index].textColour));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

// A yellow warning triangle with a black exclamation mark; around it the
// dialog's own background, so that the picture looks transparent.
void Win32Form::drawWarning(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    const RECT& area = item.rcItem;
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    const int width = area.right - area.left, height = area.bottom - area.top;
    const POINT triangle[] = {{area.left + width / 2, area.top},
                              {area.right - 1, area.bottom - 1},
                              {area.left, area.bottom - 1}};
    const HBRUSH yellow = CreateSolidBrush(RGB(255, 221, 0));
    const HGDIOBJ oldBrush = SelectObject(dc, yellow);
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Polygon(dc, triangle, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(yellow);
    const HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    const int middle = area.left + width / 2;
    const RECT bar{middle - 1, area.top + height * 9 / 29, middle + 2, area.top + height * 20 / 29};
    const RECT dot{middle - 1, area.top + height * 22 / 29, middle + 2,
                   area.top + height * 25 / 29};
    FillRect(dc, &bar, black);
    FillRect(dc, &dot, black);
}

INT_PTR CALLBACK Win32Form::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<Win32Form*>(lParam)->build(dialog);
        return TRUE;  // the focus goes to the first control that takes Tab
    }
    auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (form == nullptr) return FALSE;
    switch (message) {
        case WM_COMMAND:
            return form->command(LOWORD(wParam), HIWORD(wParam));
        case WM_CTLCOLORSTATIC:
            return form->colour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM:
            drawWarning(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        default:
            return FALSE;
    }
}

// The text box asks for Enter itself, so that the dialog manager does not
// turn it into a default-button press, and hands every typed character to
// the key handler first.
LRESULT CALLBACK Win32Form::boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrA(box, GWLP_USERDATA));
    if (message == WM_CHAR &&
        form->events_.keyPress(*form, form->indexOf(box), static_cast<char>(wParam)))
        return 0;
    const LRESULT answer = CallWindowProcA(form->boxDefault_, box, message, wParam, lParam);
    if (message == WM_GETDLGCODE) {
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return answer | DLGC_WANTALLKEYS;
    }
    return answer;
}

}  // namespace

void Win32ModalForms::showModal(const FormDesign& design, FormEvents& events) {
    Win32Form form(design, events);
    EmptyTemplate empty{};
    empty.header.style = formStyle;
    empty.header.dwExtendedStyle = WS_EX_DLGMODALFRAME;
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &empty.header, nullptr,
                            &Win32Form::dialogProc, reinterpret_cast<LPARAM>(&form));
}

}  // namespace platform::win32
