// Small helpers for the form's child windows: creation, text, z-order and
// the subclasses that pass notifications on or set the cursor.
#pragma once

#include "platform/handle.h"

#include <windows.h>

#include <initializer_list>
#include <string>

// A child window of a standard class; raises when it cannot be created.
HWND CreateControl(HWND parent, const char* className, const std::string& text, DWORD style, DWORD exStyle,
                   const RECT& bounds, int id, HFONT font);

RECT Bounds(int left, int top, int width, int height);

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

// An icon resource of the program at that size; empty when missing.
TIconHandle LoadIconResource(const char* name, int size);

std::string WindowText(HWND window);

// Width and height of one line of text in the font, "&" taken literally.
SIZE TextSize(HFONT font, const std::string& text);

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);

// Puts sibling windows into this z-order, the first in front. The dialog
// keys visit them in the same order.
void ArrangeFrontToBack(std::initializer_list<HWND> windows);

// A container (panel, page) passes its children's notifications, colour
// and drawing requests on to target, so that one window handles them all.
void ForwardNotifications(HWND container, HWND target);

// The control shows *cursor over its client area while *cursor is not null.
void UseCursor(HWND control, const HCURSOR* cursor);
