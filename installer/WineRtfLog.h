#pragma once
// Windows' rich edit reads an RTF document handed to EM_REPLACESEL as
// formatted text; Wine's inserts it as plain characters. EM_SETTEXTEX on the
// selection parses RTF on both, so a log that subclasses its rich edit hands
// such a text over that way. For ANSI window procedures: Windows converts the
// text of EM_REPLACESEL for them, and RTF is plain ASCII.
#include <windows.h>
// after windows.h, which it relies on
#include <richedit.h>

#include <cstring>

namespace winertflog {

inline LRESULT replaceSelection(WNDPROC original, HWND window, WPARAM canUndo, LPARAM text) {
    const char* chars = reinterpret_cast<const char*>(text);
    if (!chars || std::strncmp(chars, "{\\rtf", 5) != 0)
        return CallWindowProcA(original, window, EM_REPLACESEL, canUndo, text);
    SETTEXTEX how{static_cast<DWORD>(ST_SELECTION | (canUndo ? ST_KEEPUNDO : 0)), CP_ACP};
    return CallWindowProcA(original, window, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), text);
}

}  // namespace winertflog
