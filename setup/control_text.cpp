#include "setup/control_text.h"

#include "platform/handle.h"

#include <vector>

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
