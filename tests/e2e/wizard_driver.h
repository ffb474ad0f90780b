// Drives a running setup.exe from outside, the way a person would: finds
// its window and controls, clicks with mouse messages, answers dialogs by
// their captions and takes screenshots. Nothing here links the installer's
// own code; everything goes through window messages and the screen.
#pragma once

#include "setup/form_ids.h"

#include "platform/handle.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Seconds since a QueryPerformanceCounter reading.
double SecondsSince(LONGLONG start);
LONGLONG Now();

// Polls every millisecond until done() or timeoutMs have passed.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

std::string ClassOf(HWND window);
// The window text through WM_GETTEXT, so an edit field gives what it holds.
std::string TextOf(HWND window);

// The first descendant of parent with that class and, when given, text.
HWND FindControl(HWND parent, const std::string& className, const char* text = nullptr);
// The wizard's control of that identifier, wherever in the window it sits.
HWND FindControl(HWND wizard, TControlId id);
// The page the wizard's page control shows; Count when it does not answer.
TPage ShownPage(HWND pageControl);

struct TDialog {
    HWND Window = nullptr;
    std::string Caption;
    std::string Text; // the texts of its static controls, joined by new lines
    std::vector<HWND> Buttons; // left to right
    std::vector<std::string> ButtonTexts;
};

class TSetupProcess {
public:
    // Starts the program from its own folder, as a double click would.
    explicit TSetupProcess(const std::string& exePath);

    // Zero when the program could not be started; StartError() tells why.
    DWORD Id() const { return id_; }
    DWORD StartError() const { return startError_; }
    HANDLE Process() const { return process_.get(); }
    LONGLONG StartedAt() const { return started_; }
    bool Running() const;
    // Waits for the process to end; false when it did not within the time.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode) const;
    void Kill() const;

    // The visible main window (class TSetupForm), or null.
    HWND FindMainWindow() const { return FindVisibleWindow("TSetupForm"); }
    // A visible top-level window of this process of that class, or null.
    HWND FindVisibleWindow(const std::string& className) const;
    // A visible top-level dialog of this process, when one is open.
    bool FindDialog(TDialog& dialog) const;
    bool WaitForDialog(TDialog& dialog, DWORD timeoutMs) const;

private:
    TKernelHandle process_;
    DWORD id_ = 0;
    DWORD startError_ = 0;
    LONGLONG started_ = 0;
};

// Mouse click in the middle of a control: the pointer moves there, then
// button down and up arrive as messages.
void ClickWithMouse(HWND control);
// A dialog button pressed (BM_CLICK), posted so that a modal loop it starts
// cannot block the driver.
void PressButton(HWND button);
// The dialog's close box.
void CloseWithCloseBox(HWND dialog);
// Waits until the window has handled what was sent to it and has painted.
void Settle(HWND window);

// The window as it shows on the screen, frame included, saved as a BMP;
// false when it could not be saved or shows one colour only.
bool SaveScreenshot(HWND window, const std::string& bmpPath);

} // namespace e2e
