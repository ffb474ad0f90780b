// Drawing in the system's visual style. uxtheme.dll is loaded at run time,
// on first use: systems without visual styles lack it.
#pragma once

#include <windows.h>

// The theme data of one window class ("BUTTON", "TOOLBAR") for a window;
// empty when visual styles are off or not available.
class TThemeData {
public:
    TThemeData(HWND window, const wchar_t* classList);
    ~TThemeData();
    TThemeData(const TThemeData&) = delete;
    TThemeData& operator=(const TThemeData&) = delete;

    explicit operator bool() const { return theme_ != nullptr; }

    // The part's background; corners the part leaves transparent are
    // left as they are in dc.
    void DrawBackground(HDC dc, int part, int state, const RECT& bounds) const;

    // The area inside the part's border; bounds when it cannot tell.
    RECT ContentRect(HDC dc, int part, int state, const RECT& bounds) const;

private:
    void* theme_ = nullptr;
};
