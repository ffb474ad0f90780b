// The wizard window: six pages in a page control, the buttons that move
// between them, the installation started from the ready page and the rules
// for leaving. The form owns the installer's state for the process's life.
#pragma once

#include "install/install_files.h"
#include "platform/handle.h"
#include "setup/background.h"
#include "setup/desktop.h"
#include "setup/form_controls.h"
#include "setup/window.h"

#include <functional>
#include <string>

// Whether leaving needs the user's confirmation.
enum class TExitState {
    MustConfirm,          // before the installation has returned
    InstallationReturned, // leaving is free
    Confirmed,            // the user has said yes to leaving
};

class TSetupForm final : public TWindow {
public:
    // The installation procedure the ready page starts.
    using TInstaller = std::function<bool(TSetupState&, const TInstallChoices&, IInstallUser&)>;

    // Creates the window and its controls, hidden. The first form created
    // is the main window: its granted close ends the message loop. The
    // dialogs, the folder browser, the web link and the error reports go
    // to desktop (the real one when null), which must outlive the form.
    explicit TSetupForm(TInstaller installer = {}, IDesktop* desktop = nullptr);
    ~TSetupForm() override;

    // Shows the window centred on the screen (running FormShow the first time).
    void Show();

    // Handlers.
    void ExitBtClick();
    void LinkClick();
    void FormShow();
    // The later pages' controls and what the start gave them; at once when
    // called before the window got round to it.
    void MakeLaterControls();
    void SelectFolderBtClick();
    void ContinueBtClick();
    void PageControlChanging(bool& allowChange);
    void FormCloseQuery(bool& canClose);
    void BackBtClick();
    void FormClose();

    // The grey gradient as BakImage's picture.
    void PaintBackground();

    // A close request: asks FormCloseQuery; when granted, FormClose runs, the
    // window disappears and the message loop is told to end. A request
    // granted while the installation runs is carried out when it returns
    // (after the error report, when it ended by an exception).
    void Close();

    // The window's controls, as the tests look at them.
    const TFormControls& Controls() const { return controls_; }

    // The pages' checks (the page table's entries): each gives the choices
    // what its page holds; false stays on the page.
    bool FolderAccepted();
    bool ShortcutsChosen();
    bool LanguageChosen();
    bool StartInstallation();

    TPage Page() const { return page_; }
    TExitState ExitState() const { return exitState_; }
    bool Closed() const { return closed_; }
    bool Installing() const { return installing_; }
    HBRUSH BakBrush() const { return background_.Brush(); }
    int Dpi() const { return controls_.Dpi(); }

    TSetupState State;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ReportException(std::exception_ptr error) noexcept override;

private:
    void OnDpiChanged(int dpi, const RECT& suggested);
    void MoveToPage(TPage page);
    // The one place the buttons are set: by the page row, and while the
    // installation runs.
    void SetButtons(unsigned shown, unsigned enabled);
    void RunInstallation();

    void OnCommand(HWND control, int code);
    LRESULT OnNotify(const NMHDR& header);
    void OnActivate(WPARAM wParam);
    void FillLaterPages();

    // How the installation, and the form itself, reach the user: the
    // desktop's dialogs and a pass of the pending messages, so that the
    // window stays alive.
    class TFormUser final : public IInstallUser {
    public:
        explicit TFormUser(IDesktop& desktop) : desktop_(desktop) {}
        int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) override;
        void ProcessMessages() override;

    private:
        IDesktop& desktop_;
    };

    TInstaller installer_;
    TSystemDesktop systemDesktop_;
    IDesktop* desktop_;
    TFormUser user_{*desktop_};
    TFormControls controls_;
    TIconHandle classIcon_, classSmallIcon_; // the window class's, while the form exists
    TBackground background_;
    HWND savedFocus_ = nullptr;
    TPage page_ = TPage::Welcome;
    TInstallChoices choices_;   // what the pages passed so far gave
    TExitState exitState_ = TExitState::MustConfirm;
    bool shown_ = false;
    bool started_ = false;      // the start's choices were made
    TFirstChoices first_;       // ...and are these
    bool installing_ = false;   // from the start of the installation to InstallFiles' return
    bool closePending_ = false; // a close granted meanwhile
    bool closed_ = false;
};
