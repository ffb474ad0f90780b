// The display's scale: lengths of the 96-DPI design at the window's DPI,
// and which drawn artwork suits it.
#pragma once

#include <windows.h>

// A length of the 96-DPI design at dpi. Rectangles are scaled by their
// edges, so that edges that meet at 96 DPI still meet.
int Scaled(int value, int dpi);
RECT ScaledBounds(int left, int top, int width, int height, int dpi);

// The DPI the window is shown at; the system's for null, and where the
// system cannot tell a window's own.
int WindowDpi(HWND window);

// The window rectangle whose client area has that size at dpi.
RECT FrameForClient(int width, int height, DWORD style, DWORD exStyle, int dpi);

// Which of the scales the artwork is drawn for (100, 125, 150 or 200 %)
// suits dpi: the nearest at or above it, the largest beyond.
int ArtScale(int dpi);
