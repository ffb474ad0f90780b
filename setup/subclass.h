// Subclasses of the form's child windows: containers that pass their
// children's notifications on, and controls that show a cursor of their own.
#pragma once

#include <windows.h>

// A container (panel, page) passes its children's notifications, colour
// and drawing requests on to target, so that one window handles them all.
void ForwardNotifications(HWND container, HWND target);

// The control shows *cursor over its client area while *cursor is not null.
void UseCursor(HWND control, const HCURSOR* cursor);
