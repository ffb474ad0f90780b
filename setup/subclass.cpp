#include "setup/subclass.h"

#include "platform/common_controls.h"

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

void ForwardNotifications(HWND container, HWND target)
{
    CommonControls::SetWindowSubclass(container, ForwardProc, ForwardId, reinterpret_cast<DWORD_PTR>(target));
}

void UseCursor(HWND control, const HCURSOR* cursor)
{
    CommonControls::SetWindowSubclass(control, CursorProc, CursorId, reinterpret_cast<DWORD_PTR>(cursor));
}
