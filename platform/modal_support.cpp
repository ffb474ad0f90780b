#include "platform/modal_support.h"

POINT CentredIn(const RECT& area, int width, int height)
{
    const int areaWidth = area.right - area.left;
    const int areaHeight = area.bottom - area.top;
    return POINT{area.left + (areaWidth - width) / 2, area.top + (areaHeight - height) / 2};
}

RECT NearestMonitorRect(HWND window)
{
    HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                              : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoA(monitor, &info))
        return info.rcMonitor;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

namespace {

struct TCollect {
    HWND keep;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) noexcept
{
    auto& collect = *reinterpret_cast<TCollect*>(data);
    if (window != collect.keep && IsWindowVisible(window) && IsWindowEnabled(window)) {
        try {
            collect.windows->push_back(window);
        } catch (...) {
            return FALSE; // out of memory: disable fewer rather than throw through the system
        }
    }
    return TRUE;
}

} // namespace

TDisabledThreadWindows::TDisabledThreadWindows(HWND keep)
{
    TCollect collect{keep, &windows_};
    EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&collect));
    for (HWND window : windows_)
        EnableWindow(window, FALSE);
}

TDisabledThreadWindows::~TDisabledThreadWindows()
{
    // Reverse order, and only windows that still exist: a handler may have
    // destroyed one while the modal window was up.
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        if (IsWindow(*it))
            EnableWindow(*it, TRUE);
}
