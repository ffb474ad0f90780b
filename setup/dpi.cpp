#include "setup/dpi.h"

#include "platform/handle.h"

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
