// The real wizard form, created in this process and driven through its
// handlers and window messages; the dialogs are answered by the test hook,
// the installation is a script, the registry a scratch copy.
#include "setup/application.h"
#include "setup/controls.h"
#include "setup/setup_form.h"

#include "engine/install_log.h"
#include "platform/errors.h"
#include "platform/folder_browser.h"
#include "platform/message_dialog.h"
#include "platform/profile_file.h"
#include "platform/shell_open.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cmath>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

const char* const ShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const NtVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
const char* const ExitQuestion = "Installation not completed, really exit now?";
const char* const FolderWarning = "Please specify destination folder.";

struct TDialogCall {
    std::string Text;
    TMsgDlgType Type;
    unsigned Buttons;
};

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK FindTooltip(HWND window, LPARAM found)
{
    if (ClassOf(window) == TOOLTIPS_CLASSA)
        *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

bool Enabled(HWND window)
{
    return IsWindowEnabled(window) != FALSE;
}

// Takes a WM_QUIT off the queue: the sign that the program would end.
bool TakeQuit()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

RECT TabRect(HWND tabs, int index)
{
    RECT rect{};
    SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// A mouse click on a control, as the system delivers it.
void Click(HWND window, int x, int y)
{
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void ClickCentre(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    Click(window, client.right / 2, client.bottom / 2);
}

class SetupFormTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetRegString(HKEY_CURRENT_USER, ShellFolders, "AppData", appData.Path());
        SetRegString(HKEY_LOCAL_MACHINE, NtVersionKey, "ProgramFilesDir", "C:\\Program Files");
        SetMessageDlgHook([this](const std::string& text, TMsgDlgType type, unsigned buttons) {
            dialogs.push_back({text, type, buttons});
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected dialog: " << text;
                return mrCancel;
            }
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        });
        Application::SetErrorReportHook([this](const std::string& text) { reports.push_back(text); });
        TakeQuit();
    }

    void TearDown() override
    {
        form.reset();
        SetMessageDlgHook({});
        SetFolderBrowserHook({});
        SetShellOpenHook({});
        Application::SetErrorReportHook({});
        TakeQuit();
    }

    TSetupForm& Open()
    {
        form = std::make_unique<TSetupForm>(
            [this](TSetupState& state, const TInstallChoices& choices, IInstallUser& user) {
                ++installs;
                installedWith = choices;
                return script ? script(state, choices, user) : true;
            });
        form->Show();
        return *form;
    }

    void ToPage(int page)
    {
        while (form->State.PageIndex < page)
            form->ContinueBtClick();
        ASSERT_EQ(page, form->State.PageIndex);
    }

    int VisiblePage() const
    {
        int shown = -1;
        for (int i = 0; i < 6; ++i) {
            // The page's own flag: after a close the whole window is hidden.
            if (GetWindowLongPtrA(form->TabSheets[i], GWL_STYLE) & WS_VISIBLE) {
                EXPECT_EQ(-1, shown) << "two pages shown";
                shown = i;
            }
        }
        return shown;
    }

    // Page index, selected tab and shown page agree.
    void ExpectOnPage(int page) const
    {
        EXPECT_EQ(page, form->State.PageIndex);
        EXPECT_EQ(page, SendMessageA(form->PageControl1, TCM_GETCURSEL, 0, 0));
        EXPECT_EQ(page, VisiblePage());
    }

    void SendCommand(const TGlyphButton& button)
    {
        SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button.Handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button.Handle()));
    }

    TScratchRegistry registry;
    TTempDir appData;
    std::unique_ptr<TSetupForm> form;
    std::vector<TDialogCall> dialogs;
    std::deque<int> answers;
    std::vector<std::string> reports;
    TSetupForm::TInstaller script;
    int installs = 0;
    TInstallChoices installedWith;
};

// ---- The window and program start ----

TEST_F(SetupFormTest, WindowIsFixedUntitledFrameWithTheGivenClientArea)
{
    Open();
    EXPECT_EQ("Installation program", WindowText(form->Handle()));
    EXPECT_EQ("TSetupForm", ClassOf(form->Handle()));
    RECT client{};
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(380, client.right);
    EXPECT_EQ(226, client.bottom);
    const LONG_PTR style = GetWindowLongPtrA(form->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(form->Handle(), Application::MainWindow());

    RECT frame{};
    GetWindowRect(form->Handle(), &frame);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_EQ((screen.right - (frame.right - frame.left)) / 2, frame.left);
    EXPECT_EQ((screen.bottom - (frame.bottom - frame.top)) / 2, frame.top);
}

TEST_F(SetupFormTest, EveryControlIsAStandardChildWindowInItsPlace)
{
    Open();
    struct TExpected {
        HWND window;
        const char* className;
        RECT bounds;
    };
    const TExpected expected[] = {
        {form->BakImage, "Static", Bounds(0, 0, 380, 206)},
        {form->IconImage, "Static", Bounds(17, 65, 32, 32)},
        {form->ContinueBt.Handle(), "Button", Bounds(170, 174, 95, 30)},
        {form->ExitBt.Handle(), "Button", Bounds(270, 174, 95, 30)},
        {form->BackBt.Handle(), "Button", Bounds(70, 174, 95, 30)},
        {form->Image1, "Static", Bounds(17, 105, 32, 32)},
        {form->BottomPanel, "Static", Bounds(0, 206, 380, 20)},
        {form->Panel1, "Static", Bounds(62, 32, 315, 140)},
        {form->PageControl1, "SysTabControl32", Bounds(63, 33, 313, 138)},
        {form->FullNameLabel, "Static", Bounds(3, 39, 300, 13)},
        {form->CommentLabel, "Static", Bounds(94, 82, 210, 14)},
        {form->FolderEdit, "Edit", Bounds(14, 51, 250, 21)},
        {form->SelectFolderBt.Handle(), "Button", Bounds(269, 51, 23, 22)},
        {form->DeskIconCheck, "Button", Bounds(84, 38, 126, 17)},
        {form->StartIconCheck, "Button", Bounds(84, 68, 139, 17)},
        {form->Label8, "Static", Bounds(3, 55, 300, 15)},
        {form->FinalLabel, "Static", Bounds(3, 55, 300, 15)},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(e.className, ClassOf(e.window)) << WindowText(e.window);
        const RECT place = RectInParent(e.window);
        EXPECT_EQ(e.bounds.left, place.left) << WindowText(e.window);
        EXPECT_EQ(e.bounds.top, place.top) << WindowText(e.window);
        EXPECT_EQ(e.bounds.right, place.right) << WindowText(e.window);
        EXPECT_EQ(e.bounds.bottom, place.bottom) << WindowText(e.window);
    }
    EXPECT_EQ("ComboBox", ClassOf(form->LangCombo));
    const RECT combo = RectInParent(form->LangCombo);
    EXPECT_EQ(139, combo.left);
    EXPECT_EQ(51, combo.top);
    EXPECT_EQ(125, combo.right - combo.left);
    EXPECT_EQ(21, combo.bottom - combo.top) << "the closed field";
    // Labels carry their text and show "&" as it is.
    for (HWND label : {form->ProductNameLabel, form->HeadLabel, form->DeveloperLabel, form->CopyLabel, form->Link,
                       form->Label6, form->Label12, form->ThanksLabel}) {
        EXPECT_EQ("Static", ClassOf(label));
        EXPECT_TRUE(GetWindowLongPtrA(label, GWL_STYLE) & SS_NOPREFIX) << WindowText(label);
    }
    // Right-aligned labels keep their right edge.
    EXPECT_EQ(130, RectInParent(form->Label12).right);
    EXPECT_EQ(283, RectInParent(form->ThanksLabel).right);
    EXPECT_EQ(375, RectInParent(form->Link).right);
    EXPECT_EQ(form->BottomPanel, GetParent(form->Link));
    EXPECT_EQ(form->BottomPanel, GetParent(form->CopyLabel));
    EXPECT_EQ(RectInParent(form->ThanksLabel).right - RectInParent(form->ThanksLabel).left,
              TextSize(reinterpret_cast<HFONT>(SendMessageA(form->ThanksLabel, WM_GETFONT, 0, 0)),
                       "Thanks for choosing QOVA")
                  .cx);

    // Back to front as listed; the Tab key visits the page control first.
    std::vector<HWND> order;
    for (HWND child = GetWindow(form->Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        order.push_back(child);
    const std::vector<HWND> frontToBack{form->PageControl1,       form->Panel1,  form->BottomPanel,
                                        form->Image1,             form->BackBt.Handle(), form->ProductNameLabel,
                                        form->ExitBt.Handle(),    form->ContinueBt.Handle(), form->IconImage,
                                        form->BakImage};
    EXPECT_EQ(frontToBack, order);

    // Six blank tabs, 20 pixels wide, that never take the focus.
    EXPECT_EQ(6, SendMessageA(form->PageControl1, TCM_GETITEMCOUNT, 0, 0));
    const RECT tab = TabRect(form->PageControl1, 1);
    EXPECT_EQ(20, tab.right - tab.left);
    const LONG_PTR tabStyle = GetWindowLongPtrA(form->PageControl1, GWL_STYLE);
    EXPECT_TRUE(tabStyle & TCS_BUTTONS);
    EXPECT_TRUE(tabStyle & TCS_FOCUSNEVER);
    EXPECT_TRUE(tabStyle & TCS_OWNERDRAWFIXED);

    // The graphic buttons are for the mouse: no tab stop.
    for (const TGlyphButton* button : {&form->ContinueBt, &form->ExitBt, &form->BackBt, &form->SelectFolderBt})
        EXPECT_FALSE(GetWindowLongPtrA(button->Handle(), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(SetupFormTest, FormShowFillsTheWindowAndResetsTheState)
{
    Open();
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ("Qovarium installation", WindowText(form->ProductNameLabel));
    EXPECT_EQ("Qovarium", WindowText(form->FullNameLabel));
    EXPECT_EQ("version 1.5", WindowText(form->VersionLabel));
    EXPECT_EQ("developed by Norvane Brelkon", WindowText(form->DeveloperLabel));
    EXPECT_EQ("Space required for program installation: 7.60MB", WindowText(form->SpaceLabel));
    EXPECT_EQ("Thanks for choosing QOVA", WindowText(form->ThanksLabel));
    EXPECT_EQ("includes Show Simulator", WindowText(form->CommentLabel));
    EXPECT_EQ("C:\\Program Files\\QOVA", WindowText(form->FolderEdit));

    const std::string config = appData.Path() + "Norvane\\QOVA\\";
    EXPECT_EQ(config + "qova.ini", form->State.ProgramIniPath);
    EXPECT_EQ(config + "qovasim.ini", form->State.SimulatorIniPath);
    EXPECT_TRUE(PathExists(config));
    EXPECT_EQ(0, form->State.PageIndex);
    EXPECT_EQ(1, form->State.Log.FileCounter);
    EXPECT_EQ(1, form->State.Log.FolderCounter);
    EXPECT_FALSE(form->State.Log.InstallLog);

    EXPECT_EQ(BST_CHECKED, SendMessageA(form->DeskIconCheck, BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, SendMessageA(form->StartIconCheck, BM_GETCHECK, 0, 0));
    EXPECT_EQ(0, SendMessageA(form->LangCombo, CB_GETCURSEL, 0, 0));
    char item[32] = "";
    SendMessageA(form->LangCombo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ("Espa\xF1ol", item);
    EXPECT_TRUE(form->State.CurrentLangLibrary.empty());

    EXPECT_EQ(0, form->ExitState());
    EXPECT_EQ("Exit setup", WindowText(form->ExitBt.Handle()));
    EXPECT_EQ("Continue", WindowText(form->ContinueBt.Handle()));
    EXPECT_EQ("Back", WindowText(form->BackBt.Handle()));
    EXPECT_TRUE(Enabled(form->ContinueBt.Handle()));
    EXPECT_FALSE(Enabled(form->BackBt.Handle()));
    ExpectOnPage(0);

    // The folder button's tooltip.
    HWND tips = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&tips));
    ASSERT_TRUE(tips);
    char tipText[80] = "";
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = form->TabSheets[1];
    tool.uId = reinterpret_cast<UINT_PTR>(form->SelectFolderBt.Handle());
    tool.lpszText = tipText;
    SendMessageA(tips, TTM_GETTEXTA, sizeof tipText, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ("Change folder", tipText);
}

TEST_F(SetupFormTest, HandCursorOverTheControlsThatHaveIt)
{
    Open();
    HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    ASSERT_TRUE(hand);
    for (HWND control : {form->ContinueBt.Handle(), form->Link, form->DeskIconCheck, form->LangCombo,
                         form->SelectFolderBt.Handle()}) {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(hand, GetCursor()) << WindowText(control);
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SendMessageA(form->FolderEdit, WM_SETCURSOR, reinterpret_cast<WPARAM>(form->FolderEdit),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(hand, GetCursor());
}

TEST_F(SetupFormTest, DefaultFolderHasOneBackslashBeforeTheShortName)
{
    SetRegString(HKEY_LOCAL_MACHINE, NtVersionKey, "ProgramFilesDir", "D:\\Apps\\");
    Open();
    EXPECT_EQ("D:\\Apps\\QOVA", WindowText(form->FolderEdit));
}

TEST_F(SetupFormTest, LanguageFoundInTheSettingsFileIsPreselected)
{
    const std::string config = appData.Path() + "Norvane\\QOVA\\";
    ASSERT_TRUE(CreateDirectoryA((appData.Path() + "Norvane").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(config.c_str(), nullptr));
    ASSERT_TRUE(WritePrivateProfileStringA("QOVA", "LangLibrary", "qovaspa.dll", (config + "qova.ini").c_str()));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, (config + "qova.ini").c_str());
    Open();
    EXPECT_EQ(1, SendMessageA(form->LangCombo, CB_GETCURSEL, 0, 0));
    EXPECT_EQ("qovaspa.dll", form->State.CurrentLangLibrary);
}

TEST_F(SetupFormTest, FailingFormShowIsReportedAndLeavesTheStartValues)
{
    // A settings folder value of the wrong type makes the folder lookup raise.
    SetRegDword(HKEY_CURRENT_USER, ShellFolders, "AppData", 5);
    Open();
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("Invalid data type for 'AppData'", reports[0]);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    // The steps after the failing one did not run...
    EXPECT_EQ("", WindowText(form->ProductNameLabel));
    EXPECT_FALSE(form->BakPicture());
    // ...and the counters still have their start values.
    EXPECT_EQ(1, form->State.Log.FileCounter);
    EXPECT_EQ(1, form->State.Log.FolderCounter);
    EXPECT_EQ(0, form->State.PageIndex);
}

// ---- The background ----

TEST_F(SetupFormTest, GradientPictureHasTheGivenLevelsInEveryRow)
{
    Open();
    HBITMAP picture = form->BakPicture();
    ASSERT_TRUE(picture);
    BITMAP info{};
    GetObjectA(picture, sizeof info, &info);
    EXPECT_EQ(380, info.bmWidth);
    EXPECT_EQ(206, info.bmHeight);
    EXPECT_EQ(24, info.bmBitsPixel);

    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = 380;
    request.bmiHeader.biHeight = -206;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(380 * 206);
    const TWindowDC screen(nullptr);
    ASSERT_EQ(206, GetDIBits(screen.get(), picture, 0, 206, pixels.data(), &request, DIB_RGB_COLORS));
    auto grey = [](uint32_t level) { return level | level << 8 | level << 16; };
    const std::pair<int, uint32_t> columns[] = {{0, 245}, {1, 245}, {189, 195}, {190, 195}, {378, 145}, {379, 145}};
    for (const auto& [x, level] : columns)
        EXPECT_EQ(grey(level), pixels[static_cast<size_t>(x)] & 0xFFFFFF) << "column " << x;
    for (int y = 1; y < 206; ++y)
        for (int x = 0; x < 380; ++x)
            ASSERT_EQ(pixels[static_cast<size_t>(x)], pixels[static_cast<size_t>(y) * 380 + x]) << x << "," << y;
}

TEST_F(SetupFormTest, GradientIsDrawnTransparentlyBehindTheProductName)
{
    Open();
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const TWindowDC window(form->Handle());
    HDC dc = window.get();
    ASSERT_TRUE(dc);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    // Points where nothing lies over the picture.
    EXPECT_EQ(face, GetPixel(dc, 0, 150)) << "the picture's transparent colour shows the window";
    EXPECT_EQ(face, GetPixel(dc, 1, 40));
    EXPECT_EQ(RGB(195, 195, 195), GetPixel(dc, 189, 29));
    EXPECT_EQ(RGB(195, 195, 195), GetPixel(dc, 190, 173));
    EXPECT_EQ(RGB(145, 145, 145), GetPixel(dc, 378, 150));
    EXPECT_EQ(RGB(145, 145, 145), GetPixel(dc, 379, 10));
    // The label over the gradient has no background of its own: its last
    // column, past the text, shows the gradient's level there.
    const RECT label = RectInParent(form->ProductNameLabel);
    const int x = label.right - 1;
    const auto level = static_cast<BYTE>(245 - static_cast<int>(std::nearbyint(x * 100.0 / 379)));
    EXPECT_EQ(RGB(level, level, level), GetPixel(dc, x, label.top));
}

// ---- Navigation ----

TEST_F(SetupFormTest, ContinueAndBackWalkThePagesAndSetBack)
{
    Open();
    form->BackBtClick(); // nothing on page 0
    ExpectOnPage(0);
    EXPECT_FALSE(Enabled(form->BackBt.Handle()));

    form->ContinueBtClick();
    ExpectOnPage(1);
    EXPECT_TRUE(Enabled(form->BackBt.Handle()));
    form->BackBtClick();
    ExpectOnPage(0);
    EXPECT_FALSE(Enabled(form->BackBt.Handle()));

    for (int page = 1; page <= 4; ++page) {
        form->ContinueBtClick();
        ExpectOnPage(page);
        EXPECT_TRUE(Enabled(form->BackBt.Handle())) << page;
        EXPECT_TRUE(Enabled(form->ContinueBt.Handle())) << page;
    }
    for (int page = 3; page >= 1; --page) {
        form->BackBtClick();
        ExpectOnPage(page);
        EXPECT_TRUE(Enabled(form->BackBt.Handle())) << page;
    }
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(0, installs);
    EXPECT_EQ(0, form->ExitState());
}

TEST_F(SetupFormTest, GoingBackAndForthKeepsTheChoices)
{
    Open();
    ToPage(1);
    SetWindowTextA(form->FolderEdit, "E:\\Shows\\QOVA");
    ToPage(3);
    SendMessageA(form->LangCombo, CB_SETCURSEL, 1, 0);
    form->BackBtClick();
    SendMessageA(form->DeskIconCheck, BM_SETCHECK, BST_UNCHECKED, 0);
    while (form->State.PageIndex > 0)
        form->BackBtClick();
    ToPage(4);
    EXPECT_EQ("E:\\Shows\\QOVA", WindowText(form->FolderEdit));
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(form->DeskIconCheck, BM_GETCHECK, 0, 0));
    EXPECT_EQ(1, SendMessageA(form->LangCombo, CB_GETCURSEL, 0, 0));

    form->ContinueBtClick();
    EXPECT_EQ(1, installs);
    EXPECT_EQ("E:\\Shows\\QOVA", installedWith.FolderText);
    EXPECT_FALSE(installedWith.DeskIcon);
    EXPECT_TRUE(installedWith.StartIcon);
    EXPECT_EQ(1, installedWith.LangIndex);
}

TEST_F(SetupFormTest, FolderThatIsNotAFullPathIsRefusedWithAWarning)
{
    Open();
    ToPage(1);
    for (const char* text : {"", " ", "   \t ", "Program Files\\QOVA", "\\QOVA", "C:QOVA", "C:", "\\\\server",
                             "\\\\server\\", "1:\\QOVA"}) {
        SetWindowTextA(form->FolderEdit, text);
        dialogs.clear();
        answers = {mrOk};
        form->ContinueBtClick();
        ASSERT_EQ(1u, dialogs.size()) << "[" << text << "]";
        EXPECT_EQ(FolderWarning, dialogs[0].Text);
        EXPECT_EQ(TMsgDlgType::Warning, dialogs[0].Type);
        EXPECT_EQ(static_cast<unsigned>(mbOK), dialogs[0].Buttons);
        ExpectOnPage(1);
        EXPECT_EQ(text, WindowText(form->FolderEdit));
        EXPECT_TRUE(Enabled(form->BackBt.Handle()));
    }
}

TEST_F(SetupFormTest, FullPathMovesOnAndIsInstalledWithoutItsBlanks)
{
    Open();
    ToPage(1);
    for (const char* text : {"\\\\server\\share\\QOVA", "  d:\\QOVA ", " C:\\Program Files\\QOVA\t"}) {
        SetWindowTextA(form->FolderEdit, text);
        form->ContinueBtClick();
        ExpectOnPage(2);
        EXPECT_EQ(text, WindowText(form->FolderEdit)) << "the field itself is left as typed";
        form->BackBtClick();
    }
    EXPECT_TRUE(dialogs.empty());
    ToPage(4);
    form->ContinueBtClick();
    EXPECT_EQ("C:\\Program Files\\QOVA", installedWith.FolderText);
}

TEST_F(SetupFormTest, TabClicksAreRefusedOnEveryPage)
{
    Open();
    bool allow = true;
    form->PageControl1Changing(allow);
    EXPECT_FALSE(allow);
    for (int page = 0; page <= 4; ++page) {
        ToPage(page);
        for (int tab = 0; tab < 6; ++tab) {
            const RECT rect = TabRect(form->PageControl1, tab);
            Click(form->PageControl1, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
            ExpectOnPage(page);
        }
    }
    form->ContinueBtClick(); // installs: Finished
    ExpectOnPage(5);
    const RECT rect = TabRect(form->PageControl1, 2);
    Click(form->PageControl1, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ExpectOnPage(5);
}

TEST_F(SetupFormTest, GraphicButtonsActOnClicksButKeepNoFocus)
{
    Open();
    ToPage(1);
    SetFocus(form->FolderEdit);
    int browsed = 0;
    SetFolderBrowserHook([&](const std::string&, std::string&) {
        ++browsed;
        return false;
    });
    ClickCentre(form->SelectFolderBt.Handle());
    EXPECT_EQ(1, browsed);
    EXPECT_EQ(form->FolderEdit, GetFocus());
    ClickCentre(form->ContinueBt.Handle());
    ExpectOnPage(2);
    // Leaving the page moved the focus onto the new page's first control.
    EXPECT_EQ(form->DeskIconCheck, GetFocus());
    SetFocus(form->BackBt.Handle());
    EXPECT_EQ(form->DeskIconCheck, GetFocus());
    // A quick second click is one more click.
    SendMessageA(form->ContinueBt.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(form->ContinueBt.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageA(form->ContinueBt.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(form->ContinueBt.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ExpectOnPage(4);
}

TEST_F(SetupFormTest, BrowserResultGetsTheShortNameAppended)
{
    Open();
    ToPage(1);
    std::vector<std::string> titles;
    std::deque<std::pair<bool, std::string>> picks{{true, "C:\\"}, {true, "D:\\Shows\\QOVA"}, {false, "X:\\"}};
    SetFolderBrowserHook([&](const std::string& title, std::string& path) {
        titles.push_back(title);
        const auto pick = picks.front();
        picks.pop_front();
        if (pick.first)
            path = pick.second;
        return pick.first;
    });
    form->SelectFolderBtClick();
    EXPECT_EQ("C:\\QOVA", WindowText(form->FolderEdit));
    form->SelectFolderBtClick();
    EXPECT_EQ("D:\\Shows\\QOVA\\QOVA", WindowText(form->FolderEdit));
    SetWindowTextA(form->FolderEdit, "typed by hand");
    form->SelectFolderBtClick(); // cancelled
    EXPECT_EQ("typed by hand", WindowText(form->FolderEdit));
    EXPECT_EQ((std::vector<std::string>{3, "Select destination folder"}), titles);
}

TEST_F(SetupFormTest, LinkOpensTheMakersPageAndTurnsPurple)
{
    Open();
    std::vector<std::pair<HWND, std::string>> opened;
    SetShellOpenHook([&](HWND parent, const std::string& file) { opened.emplace_back(parent, file); });
    auto linkColour = [&] {
        const TMemoryDC dc(CreateCompatibleDC(nullptr));
        SendMessageA(form->BottomPanel, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                     reinterpret_cast<LPARAM>(form->Link));
        return GetTextColor(dc.get());
    };
    EXPECT_EQ(RGB(128, 128, 255), linkColour());
    ClickCentre(form->Link); // reaches the form through the panel
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(form->Handle(), opened[0].first);
    EXPECT_EQ("https://www.norvane-brelkon.com/", opened[0].second);
    EXPECT_EQ(RGB(128, 0, 128), linkColour());
    form->LinkClick();
    EXPECT_EQ(2u, opened.size());
    EXPECT_EQ(RGB(128, 0, 128), linkColour());
}

// ---- The installation and its end states ----

TEST_F(SetupFormTest, FinishedAfterASuccessfulInstallation)
{
    Open();
    ToPage(4);
    script = [this](TSetupState& state, const TInstallChoices&, IInstallUser&) {
        // While it runs: Installing, buttons off, the notice changed.
        EXPECT_FALSE(Enabled(form->ContinueBt.Handle()));
        EXPECT_FALSE(Enabled(form->BackBt.Handle()));
        EXPECT_EQ("please wait...", WindowText(form->Label8));
        EXPECT_EQ(0, form->ExitState());
        EXPECT_TRUE(form->Installing());
        state.Log.InstallLog = std::make_unique<TInstallLog>(appData / "install.log");
        return true;
    };
    form->ContinueBtClick();
    EXPECT_EQ(1, installs);
    ExpectOnPage(5);
    EXPECT_EQ(1, form->ExitState());
    EXPECT_EQ("Close", WindowText(form->ExitBt.Handle()));
    EXPECT_FALSE(Enabled(form->ContinueBt.Handle()));
    EXPECT_FALSE(Enabled(form->BackBt.Handle()));
    EXPECT_EQ("Program installed successfully", WindowText(form->FinalLabel));

    EXPECT_EQ(TRUE, SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0));
    EXPECT_FALSE(TakeQuit());
    form->ExitBtClick();
    EXPECT_TRUE(dialogs.empty()) << "no question after the installation";
    EXPECT_TRUE(form->Closed());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(form->State.Log.InstallLog) << "the log writer is released on closing";
    EXPECT_TRUE(TakeQuit());
}

TEST_F(SetupFormTest, FailedInstallationStaysOnTheReadyPageAndClosesWithoutAQuestion)
{
    Open();
    ToPage(4);
    script = [](TSetupState&, const TInstallChoices&, IInstallUser&) { return false; };
    form->ContinueBtClick();
    ExpectOnPage(4);
    EXPECT_EQ("please wait...", WindowText(form->Label8));
    EXPECT_EQ(1, form->ExitState());
    EXPECT_EQ("Close", WindowText(form->ExitBt.Handle()));
    EXPECT_FALSE(Enabled(form->ContinueBt.Handle()));
    EXPECT_FALSE(Enabled(form->BackBt.Handle()));

    // A close from the system is granted now, without a question.
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(dialogs.empty());
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(TakeQuit());
}

TEST_F(SetupFormTest, InterruptedInstallationIsReportedAndStillAsksOnExit)
{
    Open();
    ToPage(4);
    script = [](TSetupState&, const TInstallChoices&, IInstallUser&) -> bool {
        throw EFCreateError("C:\\QOVA\\QOVA.exe", "Access is denied");
    };
    SendCommand(form->ContinueBt); // through the window procedure, as a click
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("Cannot create file \"C:\\QOVA\\QOVA.exe\". Access is denied.", reports[0]);
    ExpectOnPage(4);
    EXPECT_EQ(0, form->ExitState());
    EXPECT_EQ("Exit setup", WindowText(form->ExitBt.Handle()));
    EXPECT_FALSE(Enabled(form->ContinueBt.Handle()));
    EXPECT_FALSE(Enabled(form->BackBt.Handle()));
    EXPECT_FALSE(form->Installing());

    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->Closed());
    answers = {mrNo, mrYes};
    form->ExitBtClick();
    EXPECT_FALSE(form->Closed());
    form->ExitBtClick();
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(2u, dialogs.size());
    EXPECT_TRUE(TakeQuit());
}

// ---- Leaving before the installation ----

TEST_F(SetupFormTest, ExitIsAskedOnPagesZeroToFourAndOnlyYesLeaves)
{
    for (int page = 0; page <= 4; ++page) {
        SCOPED_TRACE(page);
        Open();
        ToPage(page);
        for (int refusal : {mrNo, mrCancel}) { // No or Escape; the close box
            dialogs.clear();
            answers = {refusal};
            form->ExitBtClick();
            ASSERT_EQ(1u, dialogs.size());
            EXPECT_EQ(ExitQuestion, dialogs[0].Text);
            EXPECT_EQ(TMsgDlgType::Warning, dialogs[0].Type);
            EXPECT_EQ(static_cast<unsigned>(mbYes | mbNo), dialogs[0].Buttons);
            EXPECT_FALSE(form->Closed());
            EXPECT_TRUE(IsWindowVisible(form->Handle()));
            ExpectOnPage(page);
            EXPECT_EQ(0, form->ExitState());
            EXPECT_EQ(page > 0, Enabled(form->BackBt.Handle()));
            EXPECT_FALSE(TakeQuit());
        }
        answers = {mrYes};
        form->ExitBtClick();
        EXPECT_EQ(2, form->ExitState());
        EXPECT_TRUE(form->Closed());
        EXPECT_FALSE(IsWindowVisible(form->Handle()));
        EXPECT_TRUE(TakeQuit());
        EXPECT_EQ(0, installs);
        EXPECT_FALSE(PathExists("C:\\Program Files\\QOVA\\install.log"));
        form.reset();
    }
}

TEST_F(SetupFormTest, SystemCloseAndShutdownQueryAreRefusedWhileTheExitStateIsZero)
{
    Open();
    for (int page = 0; page <= 4; ++page) {
        ToPage(page);
        SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
        SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(FALSE, SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0));
        EXPECT_FALSE(form->Closed());
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        ExpectOnPage(page);
    }
    bool canClose = true;
    form->FormCloseQuery(canClose);
    EXPECT_FALSE(canClose);
    EXPECT_TRUE(dialogs.empty()) << "refused without a question";
    EXPECT_FALSE(TakeQuit());
}

// ---- A close request while the installation runs ----

TEST_F(SetupFormTest, ExitConfirmedDuringTheInstallationClosesRightAfterItReturns)
{
    Open();
    ToPage(4);
    bool checked = false;
    script = [&](TSetupState& state, const TInstallChoices&, IInstallUser& user) {
        state.Log.InstallLog = std::make_unique<TInstallLog>(appData / "install.log");
        // The user clicks Exit while the procedure lets messages through.
        PostMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->ExitBt.Handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(form->ExitBt.Handle()));
        answers = {mrYes};
        user.ProcessMessages();
        EXPECT_EQ(1u, dialogs.size());
        EXPECT_EQ(2, form->ExitState());
        // A shutdown may not cut the running procedure short either.
        EXPECT_EQ(FALSE, SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0));
        // Neither the window nor the log writer went under the procedure.
        EXPECT_FALSE(form->Closed());
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        EXPECT_TRUE(state.Log.InstallLog);
        if (state.Log.InstallLog)
            state.Log.LogPath(lkFile, "C:\\still\\writing.txt");
        checked = true;
        return true;
    };
    form->ContinueBtClick();
    EXPECT_TRUE(checked);
    ExpectOnPage(5);
    EXPECT_EQ("Close", WindowText(form->ExitBt.Handle()));
    EXPECT_TRUE(form->Closed());
    EXPECT_FALSE(form->Installing());
    EXPECT_FALSE(form->State.Log.InstallLog);
    EXPECT_TRUE(TakeQuit());
    EXPECT_EQ("C:\\still\\writing.txt", ReadProfileValue(appData / "install.log", "Files", "1"));
}

TEST_F(SetupFormTest, ExitRefusedOrSystemCloseDuringTheInstallationChangesNothing)
{
    Open();
    ToPage(4);
    script = [&](TSetupState&, const TInstallChoices&, IInstallUser& user) {
        PostMessageA(form->Handle(), WM_CLOSE, 0, 0); // from the task bar: exit state 0, refused
        PostMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->ExitBt.Handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(form->ExitBt.Handle()));
        answers = {mrNo};
        user.ProcessMessages();
        EXPECT_EQ(1u, dialogs.size()) << "only the exit button asks";
        return true;
    };
    form->ContinueBtClick();
    Application::ProcessMessages();
    ExpectOnPage(5);
    EXPECT_FALSE(form->Closed());
    EXPECT_EQ(1, form->ExitState());
    EXPECT_FALSE(TakeQuit());
}

TEST_F(SetupFormTest, ExitConfirmedBeforeTheProcedureStartsInstallsNothing)
{
    Open();
    ToPage(4);
    // Queued before Continue, handled in its first pass over pending messages.
    PostMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->ExitBt.Handle()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->ExitBt.Handle()));
    answers = {mrYes};
    form->ContinueBtClick();
    EXPECT_EQ(0, installs);
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(TakeQuit());
}

TEST_F(SetupFormTest, ExitConfirmedDuringAnInterruptedInstallationClosesAfterTheReport)
{
    Open();
    ToPage(4);
    script = [&](TSetupState&, const TInstallChoices&, IInstallUser& user) -> bool {
        PostMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->ExitBt.Handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(form->ExitBt.Handle()));
        answers = {mrYes};
        user.ProcessMessages();
        throw Exception("Unable to write to C:\\QOVA\\install.log");
    };
    bool closedAtReport = true;
    Application::SetErrorReportHook([&](const std::string& text) {
        reports.push_back(text);
        closedAtReport = form->Closed();
    });
    SendCommand(form->ContinueBt);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("Unable to write to C:\\QOVA\\install.log.", reports[0]);
    EXPECT_FALSE(closedAtReport) << "the user sees the report before the window goes";
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(TakeQuit());
}

// ---- The default error report and the real exit question ----

TEST(ErrorReport, FullStopAppendedAfterCharactersThatSortAfterIt)
{
    EXPECT_EQ("Out of memory.", Application::ErrorReportText("Out of memory"));
    EXPECT_EQ("Done.", Application::ErrorReportText("Done."));
    EXPECT_EQ("", Application::ErrorReportText(""));
    EXPECT_EQ("for 'AppData'", Application::ErrorReportText("for 'AppData'"));
    EXPECT_EQ("(x)", Application::ErrorReportText("(x)"));
    EXPECT_EQ("a-", Application::ErrorReportText("a-"));
    EXPECT_EQ("C:/.", Application::ErrorReportText("C:/"));
    EXPECT_EQ("Espa\xF1ol.", Application::ErrorReportText("Espa\xF1ol")) << "compared as unsigned bytes";
}

// Acts on the first visible top-level window of this thread with the given
// caption, from a timer that runs inside the modal loop showing it.
class TWindowWatch {
public:
    TWindowWatch(const char* caption, std::function<void(HWND)> action)
        : caption_(caption), action_(std::move(action))
    {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~TWindowWatch()
    {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool Seen() const { return seen_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        TWindowWatch* self = current_;
        if (!self || self->seen_)
            return;
        EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(self));
    }

    // A window procedure's calling convention, which a lambda lacks on x86.
    static BOOL CALLBACK Visit(HWND window, LPARAM data)
    {
        auto* watch = reinterpret_cast<TWindowWatch*>(data);
        if (!watch->seen_ && IsWindowVisible(window) && WindowText(window) == watch->caption_) {
            watch->seen_ = true;
            watch->action_(window);
        }
        return TRUE;
    }

    static inline TWindowWatch* current_ = nullptr;
    std::string caption_;
    std::function<void(HWND)> action_;
    UINT_PTR timer_ = 0;
    bool seen_ = false;
};

void PostKey(HWND dialog, WPARAM key)
{
    HWND focus = GetDlgItem(dialog, mrYes);
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

TEST_F(SetupFormTest, RealExitQuestionEscapeAndCloseBoxStayEnterLeaves)
{
    SetMessageDlgHook({});
    Open();
    ToPage(2);
    {
        TWindowWatch watch("Warning", [](HWND dialog) { PostKey(dialog, VK_ESCAPE); });
        form->ExitBtClick();
        EXPECT_TRUE(watch.Seen());
    }
    EXPECT_FALSE(form->Closed());
    {
        TWindowWatch watch("Warning", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
        form->ExitBtClick();
        EXPECT_TRUE(watch.Seen());
    }
    EXPECT_FALSE(form->Closed());
    EXPECT_EQ(0, form->ExitState());
    ExpectOnPage(2);
    EXPECT_TRUE(Enabled(form->Handle())) << "enabled again after the dialog";
    {
        TWindowWatch watch("Warning", [](HWND dialog) { PostKey(dialog, VK_RETURN); });
        form->ExitBtClick();
        EXPECT_TRUE(watch.Seen());
    }
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(TakeQuit());
}

} // namespace
