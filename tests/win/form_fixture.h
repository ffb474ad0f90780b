// The real wizard form, created in this process and driven through its
// handlers and window messages; the dialogs are answered by a script, the
// installation is a script, the registry a scratch copy.
#pragma once

#include "page_text.h"
#include "setup/setup_form.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

inline constexpr const char* ShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* NtVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
inline constexpr const char* ExitQuestion = "Installation not completed, really exit now?";
inline constexpr const char* FolderWarning = "Please specify destination folder.";

// The pages a person goes through before the installation.
inline const std::vector<TPage> BeforeFinish = PagesFrom(TPage::Welcome, TPage::Ready);

std::string ClassOf(HWND window);
bool Enabled(HWND window);
// Takes a WM_QUIT off the queue: the sign that the program would end.
bool TakeQuit();
RECT TabRect(HWND tabs, int index);
// A mouse click on a control, as the system delivers it.
void Click(HWND window, int x, int y);
void ClickCentre(HWND window);

// The fixture is also the form's desktop: the dialogs answered by the
// script, the folder browser by browse, the web pages and the error reports
// recorded.
class SetupFormTest : public testing::Test, public IDesktop {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates and shows the form; its installation runs `script` (success
    // when empty). With systemDesktop, the real dialogs show.
    TSetupForm& Open(bool systemDesktop = false);
    // Clicks Continue, as a person would, until the page is shown; fails at
    // once when the button is disabled or hidden, or the page stays.
    void ToPage(TPage page);
    // The page whose sheet shows; Count when none does.
    TPage VisiblePage() const;
    // The form's page, the selected tab and the shown page agree.
    void ExpectOnPage(TPage page) const;
    // A click on the button as the window procedure gets it.
    void SendCommand(const TGlyphButton& button);

    TScratchRegistry registry;
    TTempDir appData;
    std::unique_ptr<TSetupForm> form;
    TScriptedDialogs prompts;
    std::vector<std::string> reports; // the default error report's texts
    TSetupForm::TInstaller script;
    int installs = 0;
    TInstallChoices installedWith;
    std::function<bool(const std::string& title, std::string& path)> browse; // none: cancelled
    std::vector<std::pair<HWND, std::string>> opened;                         // the web pages
    std::function<void()> whenReported;                                      // at each error report

private:
    int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) override;
    bool BrowseForFolder(HWND owner, const std::string& title, std::string& path) override;
    void OpenWebPage(HWND parent, const std::string& address) override;
    void ReportError(const std::string& text) noexcept override;
};

} // namespace testing_support
