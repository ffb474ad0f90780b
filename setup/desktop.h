// What the wizard asks of the desktop it runs on: its dialogs, the folder
// browser, a web page opened, and the error report. The form is given one;
// TSystemDesktop is the real one, tests give their own.
#pragma once

#include "platform/dialog_types.h"

#include <windows.h>

#include <string>

class IDesktop {
public:
    virtual ~IDesktop() = default;

    // The installer's message dialog (MessageDlg); its result.
    virtual int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) = 0;
    // The folder browser over owner; true with path when a folder was chosen.
    virtual bool BrowseForFolder(HWND owner, const std::string& title, std::string& path) = 0;
    // The web page opened for the user (ShellOpen).
    virtual void OpenWebPage(HWND parent, const std::string& address) = 0;
    // The default error report, with its text (Application::ReportText).
    virtual void ReportError(const std::string& text) noexcept = 0;
};

class TSystemDesktop final : public IDesktop {
public:
    int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) override;
    bool BrowseForFolder(HWND owner, const std::string& title, std::string& path) override;
    void OpenWebPage(HWND parent, const std::string& address) override;
    void ReportError(const std::string& text) noexcept override;
};
