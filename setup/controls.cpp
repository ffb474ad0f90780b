#include "setup/controls.h"

#include "platform/errors.h"
#include "platform/handle.h"
#include "platform/win_error.h"

#include "platform/common_controls.h"

#include <vector>

namespace {

constexpr UINT_PTR ForwardId = 2;
constexpr UINT_PTR CursorId = 3;

LRESULT CALLBACK ForwardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR data) noexcept
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return SendMessageA(reinterpret_cast<HWND>(data), message, wParam, lParam);
    case WM_NCDESTROY:
        CommonControls::RemoveWindowSubclass(window, ForwardProc, ForwardId);
        break;
    }
    return CommonControls::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK CursorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR data) noexcept
{
    if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT) {
        if (HCURSOR cursor = *reinterpret_cast<const HCURSOR*>(data)) {
            SetCursor(cursor);
            return TRUE;
        }
    } else if (message == WM_NCDESTROY) {
        CommonControls::RemoveWindowSubclass(window, CursorProc, CursorId);
    }
    return CommonControls::DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

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

int Scaled(int value, int dpi)
{
    return MulDiv(value, dpi, 96);
}

RECT ScaledBounds(int left, int top, int width, int height, int dpi)
{
    return RECT{Scaled(left, dpi), Scaled(top, dpi), Scaled(left + width, dpi), Scaled(top + height, dpi)};
}

int WindowDpi(HWND window)
{
    // Windows 10 and later know each window's own; found at run time.
    using TGetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<TGetDpiForWindow>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow"));
    if (window && getDpiForWindow)
        if (const UINT dpi = getDpiForWindow(window))
            return static_cast<int>(dpi);
    const TWindowDC screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

RECT FrameForClient(int width, int height, DWORD style, DWORD exStyle, int dpi)
{
    // Windows 10 and later measure the frame at the window's own DPI.
    using TAdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<TAdjustForDpi>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi"));
    RECT frame{0, 0, width, height};
    if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return frame;
}

int ArtScale(int dpi)
{
    for (int scale : {100, 125, 150})
        if (dpi * 100 <= 96 * scale)
            return scale;
    return 200;
}

TIconHandle LoadIconResource(const char* name, int size)
{
    return TIconHandle(
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return {};
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

SIZE TextSize(HFONT font, const std::string& text)
{
    SIZE size{0, 0};
    const TWindowDC screen(nullptr);
    if (!screen)
        return size;
    const TSelectedObject selected(screen.get(), font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen.get(), &metrics);
    RECT bounds{0, 0, 0, 0};
    if (!text.empty())
        DrawTextA(screen.get(), text.c_str(), static_cast<int>(text.size()), &bounds,
                  DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    size.cx = bounds.right - bounds.left;
    size.cy = metrics.tmHeight;
    return size;
}

RECT RectInParent(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ArrangeFrontToBack(std::initializer_list<HWND> windows)
{
    HWND previous = HWND_TOP;
    for (HWND window : windows) {
        SetWindowPos(window, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = window;
    }
}

void ForwardNotifications(HWND container, HWND target)
{
    CommonControls::SetWindowSubclass(container, ForwardProc, ForwardId, reinterpret_cast<DWORD_PTR>(target));
}

void UseCursor(HWND control, const HCURSOR* cursor)
{
    CommonControls::SetWindowSubclass(control, CursorProc, CursorId, reinterpret_cast<DWORD_PTR>(cursor));
}
