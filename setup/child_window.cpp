#include "setup/child_window.h"

#include "platform/errors.h"
#include "platform/win_error.h"

HWND CreateControl(HWND parent, const char* className, const std::string& text, DWORD style, DWORD exStyle,
                   const RECT& bounds, int id, HFONT font)
{
    HWND control = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | style, bounds.left, bounds.top,
                                   bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    if (!control)
        throw Exception(std::string("Cannot create a control of class ") + className + ". " +
                        SystemErrorText(GetLastError()));
    if (font)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

RECT Bounds(int left, int top, int width, int height)
{
    return RECT{left, top, left + width, top + height};
}

RECT RectInParent(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
