#include "setup/desktop.h"

#include "platform/folder_browser.h"
#include "platform/message_dialog.h"
#include "platform/shell_open.h"
#include "setup/application.h"

int TSystemDesktop::MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons)
{
    return ::MessageDlg(text, type, buttons);
}

bool TSystemDesktop::BrowseForFolder(HWND owner, const std::string& title, std::string& path)
{
    return ::BrowseForFolder(owner, owner, title, path);
}

void TSystemDesktop::OpenWebPage(HWND parent, const std::string& address)
{
    ShellOpen(parent, address);
}

void TSystemDesktop::ReportError(const std::string& text) noexcept
{
    Application::ShowErrorReport(text);
}
