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
