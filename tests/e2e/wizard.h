// One run of the real setup.exe, with its window's controls found by class
// and text, driven as a person would drive it.
#pragma once

#include "page_text.h"
#include "tests/e2e/wizard_driver.h"

#include <string>

namespace e2e {

class TWizard {
public:
    explicit TWizard(const std::string& exePath) : process_(exePath) {}
    ~TWizard() { process_.Kill(); }
    TWizard(const TWizard&) = delete;
    TWizard& operator=(const TWizard&) = delete;

    // Waits for the window and finds its controls (a test failure when one
    // is missing); the launch figure is the time until it shows.
    bool Start();

    // The page shown, as the page control tells it.
    TPage Page() const;

    // Continue, then waits for the page it leads to.
    bool Next(TPage expectedPage);

    // Saves window as QOVA_E2E_OUT\name.bmp.
    void Screenshot(HWND window, const std::string& name) const;

    // The next dialog the program opens; fails the test when none comes.
    TDialog Dialog(DWORD timeoutMs = 20000) const;

    // Presses the button with that text; null closes the dialog with its close box.
    void Answer(const TDialog& dialog, const char* buttonText) const;

    bool NoDialogOpen() const;

    // Waits for the program to end; its exit code, or -1 when it runs on.
    long Exit(DWORD timeoutMs = 15000) const;

    const TSetupProcess& Process() const { return process_; }

    HWND Main = nullptr, ContinueBt = nullptr, ExitBt = nullptr, BackBt = nullptr, Pages = nullptr,
         FolderEdit = nullptr, LangCombo = nullptr, DeskIconCheck = nullptr, StartIconCheck = nullptr;
    double LaunchSeconds = 0;

private:
    TSetupProcess process_;
};

} // namespace e2e
