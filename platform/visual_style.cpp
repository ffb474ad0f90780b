#include "platform/visual_style.h"

#include "platform/handle.h"

namespace {

using TOpenThemeData = void*(WINAPI*)(HWND, LPCWSTR);
using TCloseThemeData = HRESULT(WINAPI*)(void*);
using TDrawThemeBackground = HRESULT(WINAPI*)(void*, HDC, int, int, const RECT*, const RECT*);
using TGetThemeBackgroundContentRect = HRESULT(WINAPI*)(void*, HDC, int, int, const RECT*, RECT*);

struct TUxTheme {
    TModuleHandle module;
    TOpenThemeData open = nullptr;
    TCloseThemeData close = nullptr;
    TDrawThemeBackground drawBackground = nullptr;
    TGetThemeBackgroundContentRect contentRect = nullptr;

    TUxTheme() : module(LoadLibraryA("uxtheme.dll"))
    {
        if (!module)
            return;
        open = reinterpret_cast<TOpenThemeData>(GetProcAddress(module.get(), "OpenThemeData"));
        close = reinterpret_cast<TCloseThemeData>(GetProcAddress(module.get(), "CloseThemeData"));
        drawBackground = reinterpret_cast<TDrawThemeBackground>(GetProcAddress(module.get(), "DrawThemeBackground"));
        contentRect = reinterpret_cast<TGetThemeBackgroundContentRect>(
            GetProcAddress(module.get(), "GetThemeBackgroundContentRect"));
        if (!open || !close || !drawBackground || !contentRect)
            open = nullptr;
    }
};

const TUxTheme& UxTheme()
{
    static const TUxTheme library;
    return library;
}

} // namespace

TThemeData::TThemeData(HWND window, const wchar_t* classList)
{
    if (const auto& ux = UxTheme(); ux.open)
        theme_ = ux.open(window, classList);
}

TThemeData::~TThemeData()
{
    if (theme_)
        UxTheme().close(theme_);
}

void TThemeData::DrawBackground(HDC dc, int part, int state, const RECT& bounds) const
{
    if (theme_)
        UxTheme().drawBackground(theme_, dc, part, state, &bounds, nullptr);
}

RECT TThemeData::ContentRect(HDC dc, int part, int state, const RECT& bounds) const
{
    RECT content = bounds;
    if (theme_ && FAILED(UxTheme().contentRect(theme_, dc, part, state, &bounds, &content)))
        content = bounds;
    return content;
}
