// WineRtfLog.dll, which the installer calls through its System plug-in on the
// database page: under Wine it teaches the page's rich edit log to read the
// RTF lines Quimbo sends with EM_REPLACESEL (see WineRtfLog.h); on Windows it
// does nothing, since Windows' rich edit reads them already.
#include "WineRtfLog.h"

namespace {

WNDPROC original = nullptr;

LRESULT CALLBACK logProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == EM_REPLACESEL)
        return winertflog::replaceSelection(original, window, wParam, lParam);
    return CallWindowProcA(original, window, message, wParam, lParam);
}

bool underWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace

extern "C" __declspec(dllexport) void __stdcall ReadRtfOnReplaceSel(HWND log) {
    if (!underWine() || !IsWindow(log)) return;
    // The subclassed log calls into this library for as long as the installer
    // runs: it stays loaded, whoever frees it.
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&logProc), &self);
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(log, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(logProc)));
    // Every log of the page is of the same class: one original procedure.
    if (previous != logProc) original = previous;
}
