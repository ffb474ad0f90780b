#include "setup/setup_form.h"

#include "engine/product_manifest.h"
#include "platform/errors.h"
#include "platform/file_system.h"
#include "platform/folder_browser.h"
#include "platform/message_dialog.h"
#include "platform/modal_support.h"
#include "platform/shell_open.h"
#include "platform/win_error.h"
#include "setup/application.h"
#include "setup/controls.h"
#include "setup/folder_rules.h"
#include "setup/gradient.h"
#include "shell/known_folders.h"
#include "shell/language.h"

#include <commctrl.h>

using namespace ProductManifest;

namespace {

constexpr const char* FormClass = "TSetupForm";
constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
constexpr int ClientWidth = 380, ClientHeight = 226;

enum TControlId : int {
    BakImageId = 100,
    IconImageId,
    ContinueBtId,
    ExitBtId,
    BackBtId,
    Image1Id,
    BottomPanelId,
    Panel1Id,
    PageControl1Id,
    TabSheetId = 120, // six in a row
    LabelId = 130,    // labels, numbered as they are made
    FolderEditId = 160,
    SelectFolderBtId,
    DeskIconCheckId,
    StartIconCheckId,
    LangComboId,
};

constexpr DWORD LabelStyle = WS_VISIBLE | WS_CLIPSIBLINGS | SS_NOPREFIX;

TFontHandle MakeFont(const char* face, int height, bool bold, bool italic = false, bool underline = false)
{
    TFontHandle font(CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, face));
    if (!font)
        throw Exception(std::string("Cannot create the font ") + face + ".");
    return font;
}

HICON LoadFormIcon(const char* name, int size)
{
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

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

TSetupForm::TSetupForm(TInstaller installer) : installer_(std::move(installer))
{
    if (!installer_)
        installer_ = [](TSetupState& state, const TInstallChoices& choices, IInstallUser& user) {
            return InstallFiles(state, choices, user);
        };
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    CreateFonts();

    RegisterWindowClass(FormClass, LoadFormIcon("MAINICON", GetSystemMetrics(SM_CXICON)),
                        LoadFormIcon("MAINICON", GetSystemMetrics(SM_CXSMICON)));
    RECT frame{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&frame, FormStyle, FALSE, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const POINT origin = CentredIn(NearestMonitorRect(nullptr), width, height);
    CreateHandle(FormClass, 0, FormStyle, Application::Title, origin.x, origin.y, width, height);
    if (!Application::MainWindow())
        Application::SetMainWindow(Handle());
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
    CreateControls();
    SetExitState(0);
}

TSetupForm::~TSetupForm()
{
    if (Application::MainWindow() == Handle())
        Application::SetMainWindow(nullptr);
    DestroyHandle();
}

void TSetupForm::CreateFonts()
{
    formFont_ = MakeFont("MS Sans Serif", -11, false);
    boldFont_ = MakeFont("MS Sans Serif", -11, true);
    linkFont_ = MakeFont("MS Sans Serif", -11, false, false, true);
    productFont_ = MakeFont("Arial", -15, true, true);
    copyFont_ = MakeFont("Arial", -11, false);
    commentFont_ = MakeFont("Arial", -11, false, true);
    noticeFont_ = MakeFont("Arial", -12, true);
}

HWND TSetupForm::CreateLabel(HWND parent, const std::string& text, int left, int top, HFONT font, COLORREF colour,
                             bool overGradient)
{
    const SIZE size = TextSize(font, text);
    const int id = LabelId + static_cast<int>(labels_.size());
    HWND label = CreateControl(parent, WC_STATICA, text, LabelStyle | SS_LEFT, 0, Bounds(left, top, size.cx, size.cy),
                               id, font);
    labels_.push_back(TLabelStyle{label, colour, overGradient, left, top, -1, true});
    return label;
}

HWND TSetupForm::CreateFixedLabel(HWND parent, const std::string& text, const RECT& bounds, HFONT font,
                                  COLORREF colour, DWORD align)
{
    const int id = LabelId + static_cast<int>(labels_.size());
    HWND label = CreateControl(parent, WC_STATICA, text, LabelStyle | align, 0, bounds, id, font);
    labels_.push_back(TLabelStyle{label, colour, false, bounds.left, bounds.top, -1, false});
    return label;
}

HWND TSetupForm::CreateRightLabel(HWND parent, const std::string& text, int right, int top, HFONT font,
                                  DWORD extraStyle)
{
    const SIZE size = TextSize(font, text);
    const int id = LabelId + static_cast<int>(labels_.size());
    HWND label = CreateControl(parent, WC_STATICA, text, LabelStyle | SS_RIGHT | extraStyle, 0,
                               Bounds(right - size.cx, top, size.cx, size.cy), id, font);
    labels_.push_back(TLabelStyle{label, CLR_DEFAULT, false, right - size.cx, top, right, true});
    return label;
}

const TSetupForm::TLabelStyle* TSetupForm::FindLabel(HWND window) const
{
    for (const auto& label : labels_)
        if (label.Window == window)
            return &label;
    return nullptr;
}

void TSetupForm::SetLabelText(HWND label, const std::string& text)
{
    const RECT old = RectInParent(label);
    SetWindowTextA(label, text.c_str());
    const TLabelStyle* style = FindLabel(label);
    if (style && style->AutoSize) {
        const SIZE size = TextSize(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), text);
        const int left = style->Right >= 0 ? style->Right - size.cx : style->Left;
        SetWindowPos(label, nullptr, left, style->Top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // What the old text covered belongs to whatever lies behind it again.
    RedrawWindow(GetParent(label), &old, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    InvalidateRect(label, nullptr, TRUE);
}

void TSetupForm::CreateControls()
{
    HWND form = Handle();
    HFONT font = formFont_.get();

    BakImage = CreateControl(form, WC_STATICA, "", WS_VISIBLE | WS_CLIPSIBLINGS | SS_OWNERDRAW, 0,
                             Bounds(0, 0, ClientWidth, 206), BakImageId, nullptr);
    IconImage = CreateControl(form, WC_STATICA, "", WS_VISIBLE | WS_CLIPSIBLINGS | SS_ICON, 0, Bounds(17, 65, 32, 32),
                              IconImageId, nullptr);
    SendMessageA(IconImage, STM_SETICON, reinterpret_cast<WPARAM>(LoadFormIcon("QOVAICON", 32)), 0);
    ContinueBt.Create(form, ContinueBtId, "Continue", Bounds(170, 174, 95, 30), font, {"GLYPH_CONTINUE", 2, false});
    ExitBt.Create(form, ExitBtId, "Exit setup", Bounds(270, 174, 95, 30), font, {"GLYPH_EXIT", 1, false});
    ProductNameLabel = CreateLabel(form, "", 8, 8, productFont_.get(), RGB(0, 64, 128), true);
    BackBt.Create(form, BackBtId, "Back", Bounds(70, 174, 95, 30), font, {"GLYPH_BACK", 2, false});
    EnableWindow(BackBt.Handle(), FALSE);
    Image1 = CreateControl(form, WC_STATICA, "", WS_VISIBLE | WS_CLIPSIBLINGS | SS_ICON, 0, Bounds(17, 105, 32, 32),
                           Image1Id, nullptr);
    SendMessageA(Image1, STM_SETICON, reinterpret_cast<WPARAM>(LoadFormIcon("QOVASIMICON", 32)), 0);

    BottomPanel = CreateControl(form, WC_STATICA, "", WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SS_OWNERDRAW,
                                WS_EX_CONTROLPARENT, Bounds(0, 206, ClientWidth, 20), BottomPanelId, nullptr);
    ForwardNotifications(BottomPanel, form);
    CopyLabel = CreateLabel(BottomPanel, CopyrightLine, 4, 3, copyFont_.get(), RGB(128, 128, 128));
    Link = CreateRightLabel(BottomPanel, MakerDisplayAddress, 375, 3, linkFont_.get(), SS_NOTIFY);
    UseCursor(Link, &handCursor_);

    Panel1 = CreateControl(form, WC_STATICA, "", WS_VISIBLE | WS_CLIPSIBLINGS | SS_OWNERDRAW, 0,
                           Bounds(62, 32, 315, 140), Panel1Id, nullptr);
    // Button-style tabs without text or focus; an owner that draws nothing leaves them blank.
    PageControl1 = CreateControl(form, WC_TABCONTROLA, "",
                                 WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TCS_BUTTONS | TCS_FIXEDWIDTH |
                                     TCS_OWNERDRAWFIXED | TCS_FOCUSNEVER,
                                 WS_EX_CONTROLPARENT, Bounds(63, 33, 313, 138), PageControl1Id, font);
    ForwardNotifications(PageControl1, form);
    SendMessageA(PageControl1, TCM_SETITEMSIZE, 0, MAKELPARAM(20, 4));
    for (int i = 0; i < 6; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>("");
        SendMessageA(PageControl1, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    CreatePages();

    ArrangeFrontToBack({PageControl1, Panel1, BottomPanel, Image1, BackBt.Handle(), ProductNameLabel,
                        ExitBt.Handle(), ContinueBt.Handle(), IconImage, BakImage});

    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (toolTip_) {
        TTTOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = TabSheets[1];
        tool.uId = reinterpret_cast<UINT_PTR>(SelectFolderBt.Handle());
        tool.lpszText = const_cast<char*>("Change folder");
        SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void TSetupForm::CreatePages()
{
    HFONT font = formFont_.get();
    RECT area{};
    GetClientRect(PageControl1, &area);
    SendMessageA(PageControl1, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (int i = 0; i < 6; ++i) {
        TabSheets[i] = CreateControl(PageControl1, WC_STATICA, "",
                                     (i == 0 ? WS_VISIBLE : 0) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SS_NOPREFIX,
                                     WS_EX_CONTROLPARENT, area, TabSheetId + i, font);
        ForwardNotifications(TabSheets[i], Handle());
    }

    HWND page = TabSheets[0];
    HeadLabel = CreateLabel(page, "This setup program will install", 6, 10, font, CLR_DEFAULT);
    FullNameLabel = CreateFixedLabel(page, "", Bounds(3, 39, 300, 13), boldFont_.get(), CLR_DEFAULT, SS_CENTER);
    VersionLabel = CreateFixedLabel(page, "", Bounds(3, 61, 300, 13), font, CLR_DEFAULT, SS_CENTER);
    CommentLabel = CreateFixedLabel(page, "includes Show Simulator", Bounds(94, 82, 210, 14), commentFont_.get(),
                                    RGB(198, 0, 0), SS_CENTER);
    DeveloperLabel = CreateFixedLabel(page, "", Bounds(3, 103, 300, 13), font, CLR_DEFAULT, SS_CENTER);

    page = TabSheets[1];
    Label6 = CreateLabel(page, "Select destination folder", 6, 10, font, CLR_DEFAULT);
    FolderEdit = CreateControl(page, WC_EDITA, "", WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL,
                               WS_EX_CLIENTEDGE, Bounds(14, 51, 250, 21), FolderEditId, font);
    SelectFolderBt.Create(page, SelectFolderBtId, "", Bounds(269, 51, 23, 22), font, {"GLYPH_FOLDER", 1, true});
    SpaceLabel = CreateLabel(page, "", 14, 94, font, CLR_DEFAULT);
    ArrangeFrontToBack({FolderEdit, Label6, SelectFolderBt.Handle(), SpaceLabel});

    page = TabSheets[2];
    DeskIconCheck = CreateControl(page, WC_BUTTONA, "Create Desktop icon",
                                  WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
                                  Bounds(84, 38, 126, 17), DeskIconCheckId, font);
    StartIconCheck = CreateControl(page, WC_BUTTONA, "Create Start menu icon",
                                   WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
                                   Bounds(84, 68, 139, 17), StartIconCheckId, font);
    SendMessageA(DeskIconCheck, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(StartIconCheck, BM_SETCHECK, BST_CHECKED, 0);
    ArrangeFrontToBack({DeskIconCheck, StartIconCheck});
    UseCursor(DeskIconCheck, &handCursor_);
    UseCursor(StartIconCheck, &handCursor_);

    page = TabSheets[3];
    Label11 = CreateLabel(page, "System pre-configuration", 6, 10, font, CLR_DEFAULT);
    Label12 = CreateRightLabel(page, "Select your language", 130, 55, font);
    // The height given is the dropped-down list's; the field itself is 21 pixels.
    LangCombo = CreateControl(page, WC_COMBOBOXA, "", WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL |
                                                           CBS_DROPDOWNLIST,
                              0, Bounds(139, 51, 125, 120), LangComboId, font);
    SendMessageA(LangCombo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 15);
    SendMessageA(LangCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("English"));
    SendMessageA(LangCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Espa\xF1ol"));
    SendMessageA(LangCombo, CB_SETCURSEL, 0, 0);
    UseCursor(LangCombo, &handCursor_);

    Label8 = CreateFixedLabel(TabSheets[4], "Press Continue to install the program", Bounds(3, 55, 300, 15),
                              noticeFont_.get(), CLR_DEFAULT, SS_CENTER);

    page = TabSheets[5];
    FinalLabel = CreateFixedLabel(page, "Program installed successfully", Bounds(3, 55, 300, 15), noticeFont_.get(),
                                  CLR_DEFAULT, SS_CENTER);
    ThanksLabel = CreateRightLabel(page, "", 283, 89, font);
}

void TSetupForm::Show()
{
    ShowWindow(Handle(), SW_SHOWNORMAL);
    UpdateWindow(Handle());
}

int TSetupForm::ExitState() const
{
    return static_cast<int>(GetWindowLongPtrA(ExitBt.Handle(), GWLP_USERDATA));
}

void TSetupForm::SetExitState(int state)
{
    SetWindowLongPtrA(ExitBt.Handle(), GWLP_USERDATA, state);
}

// ---- Program start: the first showing and the background ----

void TSetupForm::FormShow()
{
    handCursor_ = LoadCursorA(nullptr, IDC_HAND);
    for (TGlyphButton* button : {&ContinueBt, &ExitBt, &BackBt, &SelectFolderBt})
        button->SetCursor(handCursor_);

    State.ProgramIniPath = GetConfigFolder() + "qova.ini";
    State.SimulatorIniPath = GetConfigFolder() + "qovasim.ini";

    PaintBackground();

    State.PageIndex = 0;
    State.FileCounter = 1;
    State.FolderCounter = 1;

    SetLabelText(ProductNameLabel, std::string(ProductIdentity.FullName) + " installation");
    SetLabelText(FullNameLabel, ProductIdentity.FullName);
    SetLabelText(VersionLabel, std::string("version ") + ProductIdentity.VersionText);
    SetLabelText(DeveloperLabel, std::string("developed by ") + ProductIdentity.PublisherName);
    SetLabelText(SpaceLabel, std::string("Space required for program installation: ") + SpaceRequiredText);
    SetLabelText(ThanksLabel, std::string("Thanks for choosing ") + ProductIdentity.ShortName);

    SetWindowTextA(FolderEdit, GetProgramFilesDir().c_str());
    SetWindowTextA(FolderEdit,
                   (IncludeTrailingBackslash(WindowText(FolderEdit)) + ProductIdentity.ShortName).c_str());

    const auto selected = static_cast<int32_t>(SendMessageA(LangCombo, CB_GETCURSEL, 0, 0));
    SendMessageA(LangCombo, CB_SETCURSEL, static_cast<WPARAM>(PreselectLanguage(State, selected)), 0);
}

void TSetupForm::PaintBackground()
{
    RECT area{};
    GetClientRect(BakImage, &area);
    const int width = area.right, height = area.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TBitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        throw Exception("Cannot create the background picture. " + SystemErrorText(GetLastError()));
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    auto* rows = static_cast<uint8_t*>(bits);
    for (int x = 0; x < width; ++x) {
        const uint8_t level = GradientLevel(x, width);
        for (int c = 0; c < 3; ++c)
            rows[static_cast<size_t>(x) * 3 + c] = level;
    }
    for (int y = 1; y < height; ++y)
        std::copy(rows, rows + stride, rows + static_cast<size_t>(y) * stride);
    GdiFlush();

    // The image keeps a copy; this bitmap goes when the handle does.
    TBitmapHandle copy(static_cast<HBITMAP>(CopyImage(bitmap.get(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!copy)
        throw Exception("Cannot create the background picture. " + SystemErrorText(GetLastError()));
    bakPicture_ = std::move(copy);
    ComposeBackground();
}

// The picture drawn transparently: pixels of its bottom-left pixel's colour
// show the window's background colour. Everything drawn over BakImage
// takes its background from the same pattern.
void TSetupForm::ComposeBackground()
{
    bakBrush_.reset();
    bakComposite_.reset();
    if (!bakPicture_)
        return;
    BITMAP picture{};
    GetObjectA(bakPicture_.get(), sizeof picture, &picture);
    const int width = picture.bmWidth, height = picture.bmHeight;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TBitmapHandle composite(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!composite)
        return;
    const int got = GetDIBits(TScreenDC(GetDC(nullptr)).get(), bakPicture_.get(), 0, static_cast<UINT>(height), bits,
                              &info, DIB_RGB_COLORS);
    if (got != height)
        return;
    auto* pixels = static_cast<uint32_t*>(bits);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    const uint32_t transparent = pixels[static_cast<size_t>(height - 1) * static_cast<size_t>(width)] & 0xFFFFFF;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const uint32_t faceBgr = (static_cast<uint32_t>(GetRValue(face)) << 16) |
                             (static_cast<uint32_t>(GetGValue(face)) << 8) | GetBValue(face);
    for (size_t i = 0; i < count; ++i)
        if ((pixels[i] & 0xFFFFFF) == transparent)
            pixels[i] = faceBgr;
    GdiFlush();
    bakBrush_.reset(CreatePatternBrush(composite.get()));
    bakComposite_ = std::move(composite);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TSetupForm::LinkClick()
{
    linkColour_ = RGB(128, 0, 128);
    InvalidateRect(Link, nullptr, TRUE);
    ProcessMessages();
    ShellOpen(Handle(), MakerURL);
}

// ---- Navigation ----

void TSetupForm::MoveToPage(int index)
{
    State.PageIndex = index;
    SendMessageA(PageControl1, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    HWND focus = GetFocus();
    bool focusLeaves = false;
    for (int i = 0; i < 6; ++i)
        if (i != index && focus && IsChild(TabSheets[i], focus))
            focusLeaves = true;
    ShowWindow(TabSheets[index], SW_SHOWNA);
    // The focus must not stay on a control that is about to be hidden.
    if (focusLeaves) {
        HWND first = FirstTabStop(TabSheets[index]);
        SetFocus(first ? first : Handle());
    }
    for (int i = 0; i < 6; ++i)
        if (i != index)
            ShowWindow(TabSheets[i], SW_HIDE);
}

TInstallChoices TSetupForm::Choices() const
{
    TInstallChoices choices;
    choices.FolderText = TrimBlanks(WindowText(FolderEdit));
    choices.DeskIcon = SendMessageA(DeskIconCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
    choices.StartIcon = SendMessageA(StartIconCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
    const auto lang = static_cast<int32_t>(SendMessageA(LangCombo, CB_GETCURSEL, 0, 0));
    choices.LangIndex = lang < 0 ? 0 : lang;
    return choices;
}

void TSetupForm::ContinueBtClick()
{
    switch (State.PageIndex) {
    case 0:
        MoveToPage(1);
        EnableWindow(BackBt.Handle(), TRUE);
        break;
    case 1:
        // A blank or relative folder would install wherever the installer was started.
        if (!IsFullPath(TrimBlanks(WindowText(FolderEdit)))) {
            MessageDlg("Please specify destination folder.", TMsgDlgType::Warning, mbOK);
            return;
        }
        MoveToPage(2);
        break;
    case 2:
        MoveToPage(3);
        break;
    case 3:
        MoveToPage(4);
        break;
    case 4:
        if (!installing_)
            RunInstallation();
        break;
    default:
        break;
    }
}

void TSetupForm::RunInstallation()
{
    EnableWindow(ContinueBt.Handle(), FALSE);
    EnableWindow(BackBt.Handle(), FALSE);
    SetLabelText(Label8, "please wait...");
    // From here until InstallFiles returns, a granted close only marks the
    // window to be closed afterwards: the procedure needs it and the log.
    installing_ = true;
    bool returned = false, succeeded = false;
    try {
        ProcessMessages();
        if (!closePending_) { // the user may have left before anything was installed
            succeeded = installer_(State, Choices(), *this);
            returned = true;
        }
    } catch (...) {
        installing_ = false;
        if (!closePending_)
            throw; // Interrupted: the default error report shows it
        // The user has already chosen to leave: the report first, then the close.
        Application::HandleException(std::current_exception());
    }
    installing_ = false;
    if (returned) {
        if (succeeded)
            MoveToPage(5);
        SetExitState(1);
        SetWindowTextA(ExitBt.Handle(), "Close");
        InvalidateRect(ExitBt.Handle(), nullptr, FALSE);
    }
    if (closePending_) {
        closePending_ = false;
        Close();
    }
}

void TSetupForm::BackBtClick()
{
    if (State.PageIndex == 0)
        return;
    MoveToPage(State.PageIndex - 1);
    if (State.PageIndex == 0)
        EnableWindow(BackBt.Handle(), FALSE);
}

void TSetupForm::SelectFolderBtClick()
{
    ProcessMessages();
    std::string chosen;
    if (BrowseForFolder(Handle(), Handle(), WindowText(Label6), chosen))
        SetWindowTextA(FolderEdit, (IncludeTrailingBackslash(chosen) + ProductIdentity.ShortName).c_str());
}

void TSetupForm::PageControl1Changing(bool& allowChange)
{
    allowChange = false;
}

// ---- Leaving ----

void TSetupForm::ExitBtClick()
{
    if (ExitState() == 0 &&
        MessageDlg("Installation not completed, really exit now?", TMsgDlgType::Warning, mbYes | mbNo) == mrYes)
        SetExitState(2);
    Close();
}

void TSetupForm::FormCloseQuery(bool& canClose)
{
    if (ExitState() == 0)
        canClose = false;
}

void TSetupForm::FormClose()
{
    State.ReleaseInstallLog();
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

// ---- IInstallUser ----

int TSetupForm::MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons)
{
    return ::MessageDlg(text, type, buttons);
}

void TSetupForm::ProcessMessages()
{
    Application::ProcessMessages();
}

// ---- Messages ----

LRESULT TSetupForm::OnCtlColor(HDC dc, HWND control)
{
    SetBkMode(dc, TRANSPARENT);
    const TLabelStyle* label = FindLabel(control);
    COLORREF colour = label && label->Colour != CLR_DEFAULT ? label->Colour : GetSysColor(COLOR_WINDOWTEXT);
    if (control == Link)
        colour = linkColour_;
    SetTextColor(dc, colour);
    const bool overGradient = (label && label->OverGradient) || control == IconImage || control == Image1 ||
                              control == ContinueBt.Handle() || control == ExitBt.Handle() ||
                              control == BackBt.Handle();
    if (overGradient && bakBrush_) {
        const RECT place = RectInParent(control);
        SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
        return reinterpret_cast<LRESULT>(bakBrush_.get());
    }
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT TSetupForm::OnDrawItem(const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    RECT bounds = item.rcItem;
    switch (item.CtlType) {
    case ODT_BUTTON:
        for (TGlyphButton* button : {&ContinueBt, &ExitBt, &BackBt, &SelectFolderBt})
            if (button->Handle() == item.hwndItem)
                button->Draw(item);
        return TRUE;
    case ODT_TAB:
        FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    case ODT_STATIC:
        if (item.hwndItem == BakImage) {
            SetBrushOrgEx(dc, 0, 0, nullptr);
            FillRect(dc, &bounds, bakBrush_ ? bakBrush_.get() : GetSysColorBrush(COLOR_BTNFACE));
        } else {
            FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
            if (item.hwndItem == Panel1)
                DrawEdge(dc, &bounds, BDR_SUNKENOUTER, BF_RECT);
            else if (item.hwndItem == BottomPanel)
                DrawEdge(dc, &bounds, BDR_RAISEDINNER, BF_RECT);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

void TSetupForm::OnCommand(HWND control, int code)
{
    if (control == Link && code == STN_CLICKED)
        LinkClick();
    else if (code != BN_CLICKED)
        return;
    else if (control == ContinueBt.Handle())
        ContinueBtClick();
    else if (control == BackBt.Handle())
        BackBtClick();
    else if (control == ExitBt.Handle())
        ExitBtClick();
    else if (control == SelectFolderBt.Handle())
        SelectFolderBtClick();
}

LRESULT TSetupForm::OnNotify(const NMHDR& header)
{
    if (header.hwndFrom == PageControl1 && header.code == TCN_SELCHANGING) {
        bool allowChange = true;
        PageControl1Changing(allowChange);
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
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
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
            State.ReleaseInstallLog();
        return 0;
    case WM_ACTIVATE:
        OnActivate(wParam);
        return 0;
    case WM_SYSCOLORCHANGE:
        ComposeBackground();
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}
