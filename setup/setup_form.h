// The wizard window: six pages in a page control, the buttons that move
// between them, the installation started from the ready page and the rules
// for leaving. The form owns the installer's state for the process's life.
#pragma once

#include "engine/install_files.h"
#include "engine/setup_state.h"
#include "platform/handle.h"
#include "setup/glyph_button.h"
#include "setup/window.h"

#include <functional>
#include <string>
#include <vector>

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
    void PageControl1Changing(bool& allowChange);
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

    // The exit state, held in ExitBt's Tag: 0 leaving must be confirmed,
    // 1 the installation has returned, 2 the user has confirmed leaving.
    int ExitState() const;
    bool Closed() const { return closed_; }
    bool Installing() const { return installing_; }
    HBITMAP BakPicture() const { return bakPicture_.get(); }

    TSetupState State;

    // Controls, back to front on the window, then page by page.
    HWND BakImage = nullptr;
    HWND IconImage = nullptr;
    TGlyphButton ContinueBt;
    TGlyphButton ExitBt;
    HWND ProductNameLabel = nullptr;
    TGlyphButton BackBt;
    HWND Image1 = nullptr;
    HWND BottomPanel = nullptr;
    HWND CopyLabel = nullptr;
    HWND Link = nullptr;
    HWND Panel1 = nullptr;
    HWND PageControl1 = nullptr;
    HWND TabSheets[6] = {};
    HWND HeadLabel = nullptr, FullNameLabel = nullptr, VersionLabel = nullptr, CommentLabel = nullptr,
         DeveloperLabel = nullptr;
    HWND Label6 = nullptr, FolderEdit = nullptr, SpaceLabel = nullptr;
    TGlyphButton SelectFolderBt;
    HWND DeskIconCheck = nullptr, StartIconCheck = nullptr;
    HWND Label11 = nullptr, Label12 = nullptr, LangCombo = nullptr;
    HWND Label8 = nullptr;
    HWND FinalLabel = nullptr, ThanksLabel = nullptr;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // How a label is drawn and how it follows its text.
    struct TLabelStyle {
        HWND Window;
        COLORREF Colour;   // CLR_DEFAULT: the window-text colour
        bool OverGradient; // transparent over BakImage
        int Left, Top, Right; // Right >= 0: right edge fixed, grows to the left
        bool AutoSize;
    };

    void CreateFonts();
    void CreateControls();
    void CreatePages();
    HWND CreateLabel(HWND parent, const std::string& text, int left, int top, HFONT font, COLORREF colour,
                     bool overGradient = false);
    HWND CreateFixedLabel(HWND parent, const std::string& text, const RECT& bounds, HFONT font, COLORREF colour,
                          DWORD align);
    HWND CreateRightLabel(HWND parent, const std::string& text, int right, int top, HFONT font,
                          DWORD extraStyle = 0);
    void SetLabelText(HWND label, const std::string& text);
    const TLabelStyle* FindLabel(HWND window) const;
    void ComposeBackground();

    void MoveToPage(int index);
    void SetExitState(int state);
    TInstallChoices Choices() const;
    void RunInstallation();

    LRESULT OnCtlColor(HDC dc, HWND control);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
    void OnCommand(HWND control, int code);
    LRESULT OnNotify(const NMHDR& header);
    void OnActivate(WPARAM wParam);

    TInstaller installer_;
    TFontHandle formFont_, boldFont_, productFont_, copyFont_, linkFont_, commentFont_, noticeFont_;
    TBitmapHandle bakPicture_;    // the gradient as painted
    TBitmapHandle bakComposite_;  // the same drawn transparently over the button face
    TBrushHandle bakBrush_;       // pattern of the composite, for what lies over BakImage
    HWND toolTip_ = nullptr;
    HCURSOR handCursor_ = nullptr;
    COLORREF linkColour_ = RGB(128, 128, 255);
    std::vector<TLabelStyle> labels_;
    HWND savedFocus_ = nullptr;
    bool shown_ = false;
    bool installing_ = false;   // from the start of the installation to InstallFiles' return
    bool closePending_ = false; // a close granted meanwhile
    bool closed_ = false;
};
