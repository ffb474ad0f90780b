#include "setup/setup_form.h"

#include "engine/product_manifest.h"
#include "install/destination.h"
#include "install/install_folder.h"
#include "platform/file_system.h"
#include "platform/modal_support.h"
#include "setup/application.h"
#include "setup/artwork.h"
#include "setup/control_text.h"
#include "setup/dpi.h"

#include "platform/common_controls.h"

using namespace ProductManifest;

namespace {

constexpr const char* FormClass = "TSetupForm";
// Posted by the form to itself to make the later pages' controls.
constexpr UINT WM_MakeLaterControls = WM_APP + 1;
constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;

// The first control of a page that the Tab key would visit.
HWND FirstTabStop(HWND page)
{
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
        if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED))
            return child;
    }
    return nullptr;
}

} // namespace

TSetupForm::TSetupForm(TInstaller installer, IDesktop* desktop)
    : installer_(std::move(installer)), desktop_(desktop ? desktop : &systemDesktop_)
{
    if (!installer_)
        installer_ = [](TSetupState& state, const TInstallChoices& choices, IInstallUser& user) {
            return InstallFiles(state, choices, user);
        };
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    CommonControls::InitCommonControlsEx(&classes);

    // The class lives as long as the form, so that its icons can go with it;
    // they are the system's sizes, at the system's DPI.
    const int systemDpi = WindowDpi(nullptr);
    classIcon_ = LoadArtIcon("MAINICON", ArtScale(systemDpi), GetSystemMetrics(SM_CXICON));
    classSmallIcon_ = LoadArtIcon("MAINICON", ArtScale(systemDpi), GetSystemMetrics(SM_CXSMICON));
    RegisterWindowClass(FormClass, classIcon_.get(), classSmallIcon_.get());
    // The window may yet come up on a monitor of another DPI, which it then takes.
    CreateHandle(FormClass, 0, FormStyle, Application::Title, 0, 0, 0, 0);
    const int dpi = WindowDpi(Handle());
    const RECT frame = FrameForClient(Scaled(ClientWidth, dpi), Scaled(ClientHeight, dpi), FormStyle, 0, dpi);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const POINT origin = CentredIn(NearestMonitorRect(nullptr), width, height);
    SetWindowPos(Handle(), nullptr, origin.x, origin.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!Application::MainWindow())
        Application::SetMainWindow(Handle());
    controls_.SetDpi(dpi);
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(controls_.Font(TFontRole::Form)), FALSE);
    controls_.CreateControls(Handle());
    SetButtons(FormPages[0].Shown, FormPages[0].Enabled);
}

void TSetupForm::OnDpiChanged(int dpi, const RECT& suggested)
{
    // The old fonts stay until every control has its new one.
    const auto oldFonts = controls_.SetDpi(dpi);
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    controls_.ApplyLayout(Handle());
    PaintBackground();
}

TSetupForm::~TSetupForm()
{
    if (Application::MainWindow() == Handle())
        Application::SetMainWindow(nullptr);
    DestroyHandle();
    UnregisterClassA(FormClass, GetModuleHandleA(nullptr));
}

void TSetupForm::Show()
{
    ShowWindow(Handle(), SW_SHOWNORMAL);
    UpdateWindow(Handle());
}

// ---- Program start: the first showing and the background ----

void TSetupForm::FormShow()
{
    // Every control whose row asks for the hand shows it from now on.
    controls_.LoadHandCursor();
    // The later pages' controls once the window is on the screen, before
    // anything a person does reaches it: its first look waits for none.
    PostMessageA(Handle(), WM_MakeLaterControls, 0, 0);

    const TFirstChoices first = StartSetup(State, StartLanguage);

    PaintBackground();

    page_ = TPage::Welcome;

    controls_.SetLabelText(controls_.ProductNameLabel, std::string(ProductIdentity.FullName) + " installation");
    controls_.SetLabelText(controls_.FullNameLabel, ProductIdentity.FullName);
    controls_.SetLabelText(controls_.VersionLabel, std::string("version ") + ProductIdentity.VersionText);
    controls_.SetLabelText(controls_.DeveloperLabel, std::string("developed by ") + ProductIdentity.PublisherName);
    first_ = first;
    started_ = true;
    if (controls_.LaterControlsMade())
        FillLaterPages();
}

void TSetupForm::MakeLaterControls()
{
    if (controls_.LaterControlsMade())
        return;
    controls_.CreateLaterControls(Handle());
    // Only what a start that went through would have shown.
    if (started_)
        FillLaterPages();
}

void TSetupForm::FillLaterPages()
{
    controls_.SetLabelText(controls_.SpaceLabel,
                           std::string("Space required for program installation: ") + SpaceRequiredText);
    controls_.SetLabelText(controls_.ThanksLabel, std::string("Thanks for choosing ") + ProductIdentity.ShortName);

    SetWindowTextA(controls_.FolderEdit, first_.FolderText.c_str());
    SendMessageA(controls_.LangCombo, CB_SETCURSEL, static_cast<WPARAM>(first_.LangIndex), 0);
}

void TSetupForm::PaintBackground()
{
    RECT area{};
    GetClientRect(controls_.BakImage, &area);
    background_.Paint(area.right, area.bottom);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TSetupForm::LinkClick()
{
    controls_.MarkLinkVisited();
    user_.ProcessMessages();
    desktop_->OpenWebPage(Handle(), MakerURL);
}

// ---- Navigation ----

void TSetupForm::MoveToPage(TPage page)
{
    MakeLaterControls();
    page_ = page;
    HWND shown = controls_.Sheet(page);
    SendMessageA(controls_.PageControl, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    HWND focus = GetFocus();
    bool focusLeaves = false;
    for (HWND sheet : controls_.Sheets)
        if (sheet != shown && focus && IsChild(sheet, focus))
            focusLeaves = true;
    ShowWindow(shown, SW_SHOWNA);
    // The focus must not stay on a control that is about to be hidden.
    if (focusLeaves) {
        HWND first = FirstTabStop(shown);
        SetFocus(first ? first : Handle());
    }
    for (HWND sheet : controls_.Sheets)
        if (sheet != shown)
            ShowWindow(sheet, SW_HIDE);
    const TPageSpec& row = FormPages[static_cast<std::size_t>(page)];
    SetButtons(row.Shown, row.Enabled);
    if (row.Enter)
        (this->*row.Enter)();
}

void TSetupForm::SetButtons(unsigned shown, unsigned enabled)
{
    const std::pair<const TGlyphButton*, unsigned> buttons[] = {
        {&controls_.BackBt, wbBack}, {&controls_.ContinueBt, wbContinue}, {&controls_.ExitBt, wbExit}};
    for (const auto& [button, flag] : buttons) {
        EnableWindow(button->Handle(), (enabled & flag) != 0);
        ShowWindow(button->Handle(), (shown & flag) ? SW_SHOWNA : SW_HIDE);
    }
}

void TSetupForm::ContinueBtClick()
{
    const auto index = static_cast<std::size_t>(page_);
    if (const auto check = FormPages[index].Continue; check && !(this->*check)())
        return;
    if (index + 1 < static_cast<std::size_t>(PageCount))
        MoveToPage(FormPages[index + 1].Page);
}

bool TSetupForm::FolderAccepted()
{
    // Formed once, here: the installation takes this path as it is.
    const std::string folder = AcceptedDestination(WindowText(controls_.FolderEdit));
    if (folder.empty()) {
        user_.MessageDlg("Please specify destination folder.", TMsgDlgType::Warning, mbOK);
        return false;
    }
    // What the installation could not use is left to it to report.
    if (const std::string warning = FolderWarning(RefusedFolder(folder)); !warning.empty()) {
        user_.MessageDlg(warning, TMsgDlgType::Warning, mbOK);
        return false;
    }
    choices_.Folder = folder;
    return true;
}

bool TSetupForm::ShortcutsChosen()
{
    choices_.DeskIcon = SendMessageA(controls_.DeskIconCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
    choices_.StartIcon = SendMessageA(controls_.StartIconCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return true;
}

bool TSetupForm::LanguageChosen()
{
    const auto lang = static_cast<int32_t>(SendMessageA(controls_.LangCombo, CB_GETCURSEL, 0, 0));
    choices_.LangIndex = lang < 0 ? 0 : lang;
    return true;
}

// The installation moves on to the finish page itself when it succeeds.
bool TSetupForm::StartInstallation()
{
    if (!installing_)
        RunInstallation();
    return false;
}

void TSetupForm::RunInstallation()
{
    // While it runs, and after one that failed, only leaving is left.
    SetButtons(wbAll, wbExit);
    controls_.SetLabelText(controls_.StatusLabel, "please wait...");
    // From here until InstallFiles returns, a granted close only marks the
    // window to be closed afterwards: the procedure needs it and the log.
    installing_ = true;
    bool returned = false, succeeded = false;
    try {
        user_.ProcessMessages();
        if (!closePending_) { // the user may have left before anything was installed
            succeeded = installer_(State, choices_, user_);
            returned = true;
        }
    } catch (...) {
        installing_ = false;
        if (!closePending_)
            throw; // Interrupted: the default error report shows it
        // The user has already chosen to leave: the report first, then the close.
        ReportException(std::current_exception());
    }
    installing_ = false;
    if (returned) {
        if (succeeded)
            MoveToPage(TPage::Finish);
        exitState_ = TExitState::InstallationReturned;
        SetWindowTextA(controls_.ExitBt.Handle(), "Close");
        InvalidateRect(controls_.ExitBt.Handle(), nullptr, FALSE);
    }
    if (closePending_) {
        closePending_ = false;
        Close();
    }
}

void TSetupForm::BackBtClick()
{
    const auto index = static_cast<std::size_t>(page_);
    if (index > 0)
        MoveToPage(FormPages[index - 1].Page);
}

void TSetupForm::SelectFolderBtClick()
{
    user_.ProcessMessages();
    std::string chosen;
    if (desktop_->BrowseForFolder(Handle(), WindowText(controls_.FolderPrompt), chosen))
        SetWindowTextA(controls_.FolderEdit, (IncludeTrailingBackslash(chosen) + ProductIdentity.ShortName).c_str());
}

void TSetupForm::PageControlChanging(bool& allowChange)
{
    allowChange = false;
}

// ---- Leaving ----

void TSetupForm::ExitBtClick()
{
    if (exitState_ == TExitState::MustConfirm &&
        user_.MessageDlg("Installation not completed, really exit now?", TMsgDlgType::Warning, mbYes | mbNo) == mrYes)
        exitState_ = TExitState::Confirmed;
    Close();
}

void TSetupForm::FormCloseQuery(bool& canClose)
{
    if (exitState_ == TExitState::MustConfirm)
        canClose = false;
}

// Close and the end of a session never come while the installation runs,
// which needs the writer until it returns.
void TSetupForm::FormClose()
{
    State.Log.InstallLog.reset();
}

void TSetupForm::Close()
{
    if (closed_)
        return;
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose)
        return;
    if (installing_) {
        // Neither the log writer nor the window may go under the running procedure.
        closePending_ = true;
        return;
    }
    FormClose();
    closed_ = true;
    // The window goes with the form object once the loop has ended; a
    // control whose click got here is still inside its own message.
    ShowWindow(Handle(), SW_HIDE);
    if (Application::MainWindow() == Handle())
        PostQuitMessage(0);
}

// ---- The user, for the form and the installation ----

int TSetupForm::TFormUser::MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons)
{
    return desktop_.MessageDlg(text, type, buttons);
}

void TSetupForm::TFormUser::ProcessMessages()
{
    Application::ProcessMessages();
}

void TSetupForm::ReportException(std::exception_ptr error) noexcept
{
    try {
        desktop_->ReportError(Application::ReportText(error));
    } catch (...) {
        Application::HandleException(std::current_exception());
    }
}

// ---- Messages ----

void TSetupForm::OnCommand(HWND control, int code)
{
    const TControlSpec* spec = controls_.SpecOf(control);
    if (!spec || !spec->Click)
        return;
    // On a static (the link) a quick second click arrives as a double click:
    // it opens the page again.
    if (code == BN_CLICKED || (!spec->Button && code == STN_DBLCLK))
        (this->*spec->Click)();
}

LRESULT TSetupForm::OnNotify(const NMHDR& header)
{
    if (header.hwndFrom == controls_.PageControl && header.code == TCN_SELCHANGING) {
        bool allowChange = true;
        PageControlChanging(allowChange);
        return allowChange ? FALSE : TRUE;
    }
    return 0;
}

void TSetupForm::OnActivate(WPARAM wParam)
{
    // Coming back to the window puts the focus where it was.
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus))
            savedFocus_ = focus;
        return;
    }
    if (savedFocus_ && IsWindow(savedFocus_) && IsChild(Handle(), savedFocus_) && IsWindowVisible(savedFocus_))
        SetFocus(savedFocus_);
    else
        SetFocus(Handle());
}

LRESULT TSetupForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam && !shown_) {
            shown_ = true;
            FormShow();
        }
        return 0;
    case WM_MakeLaterControls:
        MakeLaterControls();
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return controls_.OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), background_.Brush());
    case WM_DRAWITEM:
        return controls_.OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), background_.Brush());
    case WM_COMMAND:
        if (lParam)
            OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CLOSE:
        Close();
        return 0;
    case WM_QUERYENDSESSION: {
        // The same check as a close request; never under a running installation.
        bool canClose = true;
        FormCloseQuery(canClose);
        return canClose && !installing_;
    }
    case WM_ENDSESSION:
        if (wParam && !installing_)
            State.Log.InstallLog.reset();
        return 0;
    case WM_ACTIVATE:
        OnActivate(wParam);
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_SYSCOLORCHANGE:
        background_.Compose();
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}
