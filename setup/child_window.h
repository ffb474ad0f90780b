// The form's child windows: made with the standard classes and placed in
// their parent's client coordinates.
#pragma once

#include <windows.h>

#include <string>

// A child window of a standard class; raises when it cannot be created.
HWND CreateControl(HWND parent, const char* className, const std::string& text, DWORD style, DWORD exStyle,
                   const RECT& bounds, int id, HFONT font);

RECT Bounds(int left, int top, int width, int height);

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
