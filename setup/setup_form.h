// The wizard window: six pages in a page control, the buttons that move
// between them, the installation started from the ready page and the rules
// for leaving. The form owns the installer's state for the process's life.
#pragma once

#include "install/install_files.h"
#include "platform/handle.h"
#include "setup/background.h"
#include "setup/form_layout.h"
#include "setup/glyph_button.h"
#include "setup/window.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

// Whether leaving needs the user's confirmation.
enum class TExitState {
    MustConfirm,          // before the installation has returned
    InstallationReturned, // leaving is free
    Confirmed,            // the user has said yes to leaving
};

class TSetupForm final : public TWindow, public IInstallUser {
public:
    // The installation procedure the ready page starts.
    using TInstaller = std::function<bool(TSetupState&, const TInstallChoices&, IInstallUser&)>;

    // Creates the window and its controls, hidden. The first form created
    // is the main window: its granted close ends the message loop.
    explicit TSetupForm(TInstaller installer = {});
    ~TSetupForm() override;

    // Shows the window centred on the screen (running FormShow the first time).
    void Show();

    // Handlers.
    void ExitBtClick();
    void LinkClick();
    void FormShow();
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

    // IInstallUser: the real message dialog and one pass of pending messages.
    int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) override;
    void ProcessMessages() override;

    // What Continue does on the pages where it does more than move on, and
    // what showing a page does (the page table's entries).
    bool FolderAccepted();
    bool StartInstallation();
    void EnterWelcome();
    void EnterFolder();

    TPage Page() const { return page_; }
    TExitState ExitState() const { return exitState_; }
    bool Closed() const { return closed_; }
    bool Installing() const { return installing_; }
    HBITMAP BakPicture() const { return background_.Picture(); }
    // The DPI the window is laid out for; 96 is the design's.
    int Dpi() const { return dpi_; }

    TSetupState State;

    // Controls, back to front on the window, then page by page.
    HWND BakImage = nullptr;
    HWND IconImage = nullptr;
    TGlyphButton ContinueBt;
    TGlyphButton ExitBt;
    HWND ProductNameLabel = nullptr;
    TGlyphButton BackBt;
    HWND SimulatorImage = nullptr;
    HWND BottomPanel = nullptr;
    HWND CopyLabel = nullptr;
    HWND Link = nullptr;
    HWND PageFrame = nullptr;
    HWND PageControl = nullptr;
    std::array<HWND, PageCount> Sheets{}; // each page's window, in TPage order
    HWND HeadLabel = nullptr, FullNameLabel = nullptr, VersionLabel = nullptr, CommentLabel = nullptr,
         DeveloperLabel = nullptr;
    HWND FolderPrompt = nullptr, FolderEdit = nullptr, SpaceLabel = nullptr;
    TGlyphButton SelectFolderBt;
    HWND DeskIconCheck = nullptr, StartIconCheck = nullptr;
    HWND PreconfigurationLabel = nullptr, LanguagePrompt = nullptr, LangCombo = nullptr;
    HWND StatusLabel = nullptr;
    HWND FinalLabel = nullptr, ThanksLabel = nullptr;

    HWND Sheet(TPage page) const { return Sheets[static_cast<std::size_t>(page)]; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Control creation from the layout table (form_controls.cpp).
    void CreateFonts();
    void CreateControls();
    void CreatePages();
    void CreateControl(const TControlSpec& spec, int id);
    RECT ControlBounds(const TControlSpec& spec, const std::string& text) const;
    // Sizes the tabs for dpi_; the page area they leave.
    RECT SizeTabs();
    // The images' icons and the combo box's item height for dpi_.
    void LoadScaledContent();
    // Places and sizes every control, fonts and artwork included, for dpi_.
    void ApplyLayout();
    void OnDpiChanged(int dpi, const RECT& suggested);
    HWND ParentWindow(TPlace place) const;
    HFONT Font(TFontRole role) const;
    const TControlSpec* SpecOf(HWND window) const;
    void SetLabelText(HWND label, const std::string& text);
    LRESULT OnCtlColor(HDC dc, HWND control);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);

    void MoveToPage(TPage page);
    TInstallChoices Choices() const;
    void RunInstallation();

    void OnCommand(HWND control, int code);
    LRESULT OnNotify(const NMHDR& header);
    void OnActivate(WPARAM wParam);

    TInstaller installer_;
    int dpi_ = 96;
    std::array<TFontHandle, static_cast<std::size_t>(TFontRole::Count)> fonts_;
    TIconHandle classIcon_, classSmallIcon_;     // the window class's, while the form exists
    TIconHandle programIcon_, simulatorIcon_;    // IconImage's and SimulatorImage's
    std::vector<std::pair<HWND, const TControlSpec*>> specs_; // every standard control's row
    TBackground background_;
    HWND toolTip_ = nullptr;
    HCURSOR handCursor_ = nullptr;
    bool linkVisited_ = false;
    HWND savedFocus_ = nullptr;
    TPage page_ = TPage::Welcome;
    TExitState exitState_ = TExitState::MustConfirm;
    bool shown_ = false;
    bool installing_ = false;   // from the start of the installation to InstallFiles' return
    bool closePending_ = false; // a close granted meanwhile
    bool closed_ = false;
};
