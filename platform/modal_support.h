// What the installer's modal windows share: placement and disabling the
// rest of the user interface while they are up.
#pragma once

#include <windows.h>

#include <vector>

// Top-left corner that centres a width x height window in area; the
// halves truncate toward zero, as the integer division does.
POINT CentredIn(const RECT& area, int width, int height);

// The whole rectangle of the monitor nearest window (the primary monitor
// when window is null).
RECT NearestMonitorRect(HWND window);

// Disables the calling thread's visible, enabled top-level windows except
// `keep` for its life, and enables them again afterwards.
class TDisabledThreadWindows {
public:
    explicit TDisabledThreadWindows(HWND keep);
    ~TDisabledThreadWindows();
    TDisabledThreadWindows(const TDisabledThreadWindows&) = delete;
    TDisabledThreadWindows& operator=(const TDisabledThreadWindows&) = delete;

private:
    std::vector<HWND> windows_;
};
