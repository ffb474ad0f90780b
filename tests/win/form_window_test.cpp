// The wizard window as it is made and first shown: controls, texts, state,
// cursors and the gradient behind them.
#include "form_fixture.h"

#include "setup/application.h"
#include "setup/artwork.h"
#include "setup/child_window.h"
#include "setup/control_text.h"
#include "setup/dpi.h"

#include <commctrl.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

BOOL CALLBACK FindTooltip(HWND window, LPARAM found)
{
    if (ClassOf(window) == TOOLTIPS_CLASSA)
        *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

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

    // The class's icons, for the task bar: the program icon at the system's
    // sizes, in colour with its own transparency (stored as PNG).
    for (auto [which, size] : {std::pair{GCLP_HICON, SM_CXICON}, std::pair{GCLP_HICONSM, SM_CXSMICON}}) {
        ICONINFO icon{};
        ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrA(form->Handle(), which)), &icon));
        const TBitmapHandle colour(icon.hbmColor), mask(icon.hbmMask);
        BITMAP bits{};
        ASSERT_TRUE(colour);
        GetObjectA(colour.get(), sizeof bits, &bits);
        EXPECT_EQ(GetSystemMetrics(size), bits.bmWidth);
        EXPECT_EQ(32, bits.bmBitsPixel);
    }
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
        {form->Controls().BakImage, "Static", Bounds(0, 0, 380, 206)},
        {form->Controls().IconImage, "Static", Bounds(17, 65, 32, 32)},
        {form->Controls().ContinueBt.Handle(), "Button", Bounds(170, 174, 95, 30)},
        {form->Controls().ExitBt.Handle(), "Button", Bounds(270, 174, 95, 30)},
        {form->Controls().BackBt.Handle(), "Button", Bounds(70, 174, 95, 30)},
        {form->Controls().SimulatorImage, "Static", Bounds(17, 105, 32, 32)},
        {form->Controls().BottomPanel, "Static", Bounds(0, 206, 380, 20)},
        {form->Controls().PageFrame, "Static", Bounds(62, 32, 315, 140)},
        {form->Controls().PageControl, "SysTabControl32", Bounds(63, 33, 313, 138)},
        {form->Controls().FullNameLabel, "Static", Bounds(3, 39, 300, 13)},
        {form->Controls().CommentLabel, "Static", Bounds(94, 82, 210, 14)},
        {form->Controls().FolderEdit, "Edit", Bounds(14, 51, 250, 21)},
        {form->Controls().SelectFolderBt.Handle(), "Button", Bounds(269, 51, 23, 22)},
        {form->Controls().DeskIconCheck, "Button", Bounds(84, 38, 126, 17)},
        {form->Controls().StartIconCheck, "Button", Bounds(84, 68, 139, 17)},
        {form->Controls().StatusLabel, "Static", Bounds(3, 55, 300, 15)},
        {form->Controls().FinalLabel, "Static", Bounds(3, 55, 300, 15)},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(e.className, ClassOf(e.window)) << WindowText(e.window);
        const RECT place = RectInParent(e.window);
        EXPECT_EQ(e.bounds.left, place.left) << WindowText(e.window);
        EXPECT_EQ(e.bounds.top, place.top) << WindowText(e.window);
        EXPECT_EQ(e.bounds.right, place.right) << WindowText(e.window);
        EXPECT_EQ(e.bounds.bottom, place.bottom) << WindowText(e.window);
    }
    EXPECT_EQ("ComboBox", ClassOf(form->Controls().LangCombo));
    const RECT combo = RectInParent(form->Controls().LangCombo);
    EXPECT_EQ(139, combo.left);
    EXPECT_EQ(51, combo.top);
    EXPECT_EQ(125, combo.right - combo.left);
    EXPECT_EQ(21, combo.bottom - combo.top) << "the closed field";
    // Labels carry their text and show "&" as it is.
    for (HWND label : {form->Controls().ProductNameLabel, form->Controls().HeadLabel, form->Controls().DeveloperLabel, form->Controls().CopyLabel, form->Controls().Link,
                       form->Controls().FolderPrompt, form->Controls().LanguagePrompt, form->Controls().ThanksLabel}) {
        EXPECT_EQ("Static", ClassOf(label));
        EXPECT_TRUE(GetWindowLongPtrA(label, GWL_STYLE) & SS_NOPREFIX) << WindowText(label);
    }
    // Right-aligned labels keep their right edge.
    EXPECT_EQ(130, RectInParent(form->Controls().LanguagePrompt).right);
    EXPECT_EQ(283, RectInParent(form->Controls().ThanksLabel).right);
    EXPECT_EQ(375, RectInParent(form->Controls().Link).right);
    EXPECT_EQ(form->Controls().BottomPanel, GetParent(form->Controls().Link));
    EXPECT_EQ(form->Controls().BottomPanel, GetParent(form->Controls().CopyLabel));
    EXPECT_EQ(RectInParent(form->Controls().ThanksLabel).right - RectInParent(form->Controls().ThanksLabel).left,
              TextSize(reinterpret_cast<HFONT>(SendMessageA(form->Controls().ThanksLabel, WM_GETFONT, 0, 0)),
                       "Thanks for choosing QOVA")
                  .cx);

    // Back to front as listed; the Tab key visits the page control first.
    std::vector<HWND> order;
    for (HWND child = GetWindow(form->Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        order.push_back(child);
    const std::vector<HWND> frontToBack{form->Controls().PageControl,       form->Controls().PageFrame,  form->Controls().BottomPanel,
                                        form->Controls().SimulatorImage,             form->Controls().BackBt.Handle(), form->Controls().ProductNameLabel,
                                        form->Controls().ExitBt.Handle(),    form->Controls().ContinueBt.Handle(), form->Controls().IconImage,
                                        form->Controls().BakImage};
    EXPECT_EQ(frontToBack, order);

    // Six blank tabs, 20 pixels wide, that never take the focus.
    EXPECT_EQ(6, SendMessageA(form->Controls().PageControl, TCM_GETITEMCOUNT, 0, 0));
    const RECT tab = TabRect(form->Controls().PageControl, 1);
    EXPECT_EQ(20, tab.right - tab.left);
    const LONG_PTR tabStyle = GetWindowLongPtrA(form->Controls().PageControl, GWL_STYLE);
    EXPECT_TRUE(tabStyle & TCS_BUTTONS);
    EXPECT_TRUE(tabStyle & TCS_FOCUSNEVER);
    EXPECT_TRUE(tabStyle & TCS_OWNERDRAWFIXED);

    // The graphic buttons are for the mouse: no tab stop.
    for (const TGlyphButton* button : {&form->Controls().ContinueBt, &form->Controls().ExitBt, &form->Controls().BackBt, &form->Controls().SelectFolderBt})
        EXPECT_FALSE(GetWindowLongPtrA(button->Handle(), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(SetupFormTest, FormShowFillsTheWindowAndResetsTheState)
{
    Open();
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ("Qovarium installation", WindowText(form->Controls().ProductNameLabel));
    EXPECT_EQ("Qovarium", WindowText(form->Controls().FullNameLabel));
    EXPECT_EQ("version 1.5", WindowText(form->Controls().VersionLabel));
    EXPECT_EQ("developed by Norvane Brelkon", WindowText(form->Controls().DeveloperLabel));
    EXPECT_EQ("Space required for program installation: 7.60MB", WindowText(form->Controls().SpaceLabel));
    EXPECT_EQ("Thanks for choosing QOVA", WindowText(form->Controls().ThanksLabel));
    EXPECT_EQ("includes Show Simulator", WindowText(form->Controls().CommentLabel));
    EXPECT_EQ("C:\\Program Files\\QOVA", WindowText(form->Controls().FolderEdit));

    const std::string config = appData.Path() + "Norvane\\QOVA\\";
    EXPECT_EQ(config + "qova.ini", form->State.ProgramIniPath);
    EXPECT_EQ(config + "qovasim.ini", form->State.SimulatorIniPath);
    EXPECT_TRUE(PathExists(config));
    EXPECT_EQ(TPage::Welcome, form->Page());
    EXPECT_EQ(1, form->State.Log.FileCounter);
    EXPECT_EQ(1, form->State.Log.FolderCounter);
    EXPECT_FALSE(form->State.Log.InstallLog);

    EXPECT_EQ(BST_CHECKED, SendMessageA(form->Controls().DeskIconCheck, BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, SendMessageA(form->Controls().StartIconCheck, BM_GETCHECK, 0, 0));
    EXPECT_EQ(0, SendMessageA(form->Controls().LangCombo, CB_GETCURSEL, 0, 0));
    char item[32] = "";
    SendMessageA(form->Controls().LangCombo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ("Espa\xF1ol", item);
    EXPECT_TRUE(form->State.CurrentLangLibrary.empty());

    EXPECT_EQ(TExitState::MustConfirm, form->ExitState());
    EXPECT_EQ("Exit setup", WindowText(form->Controls().ExitBt.Handle()));
    EXPECT_EQ("Continue", WindowText(form->Controls().ContinueBt.Handle()));
    EXPECT_EQ("Back", WindowText(form->Controls().BackBt.Handle()));
    EXPECT_TRUE(Enabled(form->Controls().ContinueBt.Handle()));
    EXPECT_FALSE(Enabled(form->Controls().BackBt.Handle()));
    ExpectOnPage(TPage::Welcome);

    // The folder button's tooltip.
    HWND tips = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&tips));
    ASSERT_TRUE(tips);
    char tipText[80] = "";
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = form->Controls().Sheet(TPage::Folder);
    tool.uId = reinterpret_cast<UINT_PTR>(form->Controls().SelectFolderBt.Handle());
    tool.lpszText = tipText;
    SendMessageA(tips, TTM_GETTEXTA, sizeof tipText, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ("Change folder", tipText);
}

TEST_F(SetupFormTest, HandCursorOverTheControlsThatHaveIt)
{
    Open();
    HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    ASSERT_TRUE(hand);
    for (HWND control : {form->Controls().ContinueBt.Handle(), form->Controls().Link, form->Controls().DeskIconCheck, form->Controls().LangCombo,
                         form->Controls().SelectFolderBt.Handle()}) {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(hand, GetCursor()) << WindowText(control);
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SendMessageA(form->Controls().FolderEdit, WM_SETCURSOR, reinterpret_cast<WPARAM>(form->Controls().FolderEdit),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(hand, GetCursor());
}

TEST_F(SetupFormTest, DefaultFolderHasOneBackslashBeforeTheShortName)
{
    SetRegString(HKEY_LOCAL_MACHINE, NtVersionKey, "ProgramFilesDir", "D:\\Apps\\");
    Open();
    EXPECT_EQ("D:\\Apps\\QOVA", WindowText(form->Controls().FolderEdit));
}

TEST_F(SetupFormTest, LanguageFoundInTheSettingsFileIsPreselected)
{
    const std::string config = appData.Path() + "Norvane\\QOVA\\";
    ASSERT_TRUE(CreateDirectoryA((appData.Path() + "Norvane").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(config.c_str(), nullptr));
    ASSERT_TRUE(WritePrivateProfileStringA("QOVA", "LangLibrary", "qovaspa.dll", (config + "qova.ini").c_str()));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, (config + "qova.ini").c_str());
    Open();
    EXPECT_EQ(1, SendMessageA(form->Controls().LangCombo, CB_GETCURSEL, 0, 0));
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
    EXPECT_EQ("", WindowText(form->Controls().ProductNameLabel));
    EXPECT_FALSE(form->BakBrush());
    // ...and the counters still have their start values.
    EXPECT_EQ(1, form->State.Log.FileCounter);
    EXPECT_EQ(1, form->State.Log.FolderCounter);
    EXPECT_EQ(TPage::Welcome, form->Page());
}

TEST_F(SetupFormTest, TheLaterPagesAreMadeOnceTheWindowIsUpWithWhatTheStartGaveThem)
{
    form = std::make_unique<TSetupForm>();
    form->Show();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(form->Controls().DeveloperLabel);
    EXPECT_FALSE(form->Controls().FolderEdit) << "the first look waits for no later page";
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    ASSERT_TRUE(form->Controls().FolderEdit);
    EXPECT_NE("", WindowText(form->Controls().FolderEdit));
    EXPECT_EQ("Thanks for choosing QOVA", WindowText(form->Controls().ThanksLabel));
    EXPECT_EQ(BST_CHECKED, SendMessageA(form->Controls().DeskIconCheck, BM_GETCHECK, 0, 0));
    EXPECT_EQ(0, SendMessageA(form->Controls().LangCombo, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(2, SendMessageA(form->Controls().LangCombo, CB_GETCOUNT, 0, 0));
}

// ---- The background ----

// What the background's brush paints over width x height from the origin.
std::vector<uint32_t> BrushPixels(HBRUSH brush, int width, int height)
{
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const TBitmapHandle target(CreateDIBSection(nullptr, &request, DIB_RGB_COLORS, &bits, nullptr, 0));
    const TMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!target || !dc)
        return {};
    const HGDIOBJ old = SelectObject(dc.get(), target.get());
    const RECT all{0, 0, width, height};
    SetBrushOrgEx(dc.get(), 0, 0, nullptr);
    FillRect(dc.get(), &all, brush);
    GdiFlush();
    SelectObject(dc.get(), old);
    const auto* first = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> pixels(first, first + static_cast<size_t>(width) * static_cast<size_t>(height));
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

uint32_t FaceBgr()
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    return static_cast<uint32_t>(GetRValue(face)) << 16 | static_cast<uint32_t>(GetGValue(face)) << 8 |
           GetBValue(face);
}

TEST_F(SetupFormTest, GradientPictureHasTheGivenLevelsInEveryRow)
{
    Open();
    ASSERT_TRUE(form->BakBrush());
    // One picture and a column of the next: the pattern is the picture's width.
    const std::vector<uint32_t> pixels = BrushPixels(form->BakBrush(), 381, 206);
    ASSERT_EQ(381u * 206u, pixels.size());
    auto grey = [](uint32_t level) { return level | level << 8 | level << 16; };
    // The left edge's level is the transparent one: it shows the button face.
    const std::pair<int, uint32_t> columns[] = {{0, FaceBgr()},   {1, FaceBgr()},   {189, grey(195)},
                                                {190, grey(195)}, {378, grey(145)}, {379, grey(145)},
                                                {380, FaceBgr()}};
    for (const auto& [x, colour] : columns)
        EXPECT_EQ(colour, pixels[static_cast<size_t>(x)]) << "column " << x;
    for (int y = 1; y < 206; ++y)
        for (int x = 0; x < 381; ++x)
            ASSERT_EQ(pixels[static_cast<size_t>(x)], pixels[static_cast<size_t>(y) * 381 + x]) << x << "," << y;
}

// The pictures' reader takes what the build writes and refuses the rest.
TEST(Artwork, BitmapReaderTakesPlainRgbRowsOnly)
{
    const auto file = [](int32_t width, int32_t height, uint16_t bits, uint32_t compression, size_t rowsKept) {
        BITMAPFILEHEADER header{};
        BITMAPINFOHEADER info{};
        info.biSize = sizeof info;
        info.biWidth = width;
        info.biHeight = height;
        info.biPlanes = 1;
        info.biBitCount = bits;
        info.biCompression = compression;
        header.bfOffBits = sizeof header + sizeof info;
        const size_t row = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
        std::vector<uint8_t> bytes(header.bfOffBits + row * rowsKept, 0x7F);
        std::memcpy(bytes.data(), &header, sizeof header);
        std::memcpy(bytes.data() + sizeof header, &info, sizeof info);
        return bytes;
    };
    EXPECT_TRUE(BitmapFromFile(file(3, 2, 24, BI_RGB, 2)));
    EXPECT_TRUE(BitmapFromFile(file(3, -2, 32, BI_RGB, 2))) << "top-down";
    EXPECT_FALSE(BitmapFromFile(file(3, 2, 24, BI_RGB, 1))) << "rows missing";
    EXPECT_FALSE(BitmapFromFile(file(3, 2, 8, BI_RGB, 2))) << "a palette";
    EXPECT_FALSE(BitmapFromFile(file(3, 2, 32, BI_BITFIELDS, 2)));
    EXPECT_FALSE(BitmapFromFile(file(3, INT32_MIN, 32, BI_RGB, 0))) << "a height that cannot be negated";
    EXPECT_FALSE(BitmapFromFile(file(70000, 70000, 32, BI_RGB, 0))) << "rows that overflow 32 bits";
    std::vector<uint8_t> larger = file(3, 2, 24, BI_RGB, 2);
    larger[sizeof(BITMAPFILEHEADER)] = sizeof(BITMAPV5HEADER);
    EXPECT_FALSE(BitmapFromFile(larger)) << "another header";
}

// A scale's pictures come out of their bundle by whole name, and nothing
// is read past a cut.
TEST(Artwork, BundleReaderFindsPicturesByWholeName)
{
    const auto entry = [](const std::string& name, const std::string& bytes) {
        std::string e = name + '\0';
        const uint32_t size = static_cast<uint32_t>(bytes.size());
        e.append(reinterpret_cast<const char*>(&size), sizeof size);
        return e + bytes;
    };
    const std::string text = entry("GLYPH_BACK", "back") + entry("GLYPH", "") + entry("GLYPH_BACKS", "s");
    const std::vector<uint8_t> bundle(text.begin(), text.end());
    const auto picture = [](const std::vector<uint8_t>& b, const char* name) {
        const std::vector<uint8_t> bytes = PictureInBundle(b, name);
        return std::string(bytes.begin(), bytes.end());
    };
    EXPECT_EQ(picture(bundle, "GLYPH_BACK"), "back");
    EXPECT_EQ(picture(bundle, "GLYPH_BACKS"), "s");
    EXPECT_EQ(picture(bundle, "GLYPH_BAC"), "");
    EXPECT_EQ(picture(bundle, "GLYPH_EXIT"), "");
    const std::vector<uint8_t> cut(bundle.begin(), bundle.end() - 1);
    EXPECT_EQ(picture(cut, "GLYPH_BACKS"), "") << "its length runs past the end";
    EXPECT_EQ(picture(cut, "GLYPH_BACK"), "back");
    std::vector<uint8_t> longer = bundle;
    longer[11] = 0xFF; // the first picture's length, now beyond everything
    EXPECT_EQ(picture(longer, "GLYPH_BACKS"), "");
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
    const RECT label = RectInParent(form->Controls().ProductNameLabel);
    const int x = label.right - 1;
    const auto level = static_cast<BYTE>(245 - static_cast<int>(std::nearbyint(x * 100.0 / 379)));
    EXPECT_EQ(RGB(level, level, level), GetPixel(dc, x, label.top));
}

// ---- At the display's scale ----

// The window as laid out for dpi: the 96-DPI design scaled by its edges,
// fonts scaled, and the artwork drawn for the nearest scale at or above.
void ExpectLaidOutFor(const TSetupForm& form, int dpi)
{
    SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
    const auto s = [dpi](int v) { return MulDiv(v, dpi, 96); };
    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(s(380), client.right);
    EXPECT_EQ(s(226), client.bottom);
    const auto expectAt = [&](HWND window, int left, int top, int width, int height) {
        const RECT place = RectInParent(window);
        EXPECT_EQ(s(left), place.left) << WindowText(window);
        EXPECT_EQ(s(top), place.top) << WindowText(window);
        EXPECT_EQ(s(left + width), place.right) << WindowText(window);
        EXPECT_EQ(s(top + height), place.bottom) << WindowText(window);
    };
    expectAt(form.Controls().ContinueBt.Handle(), 170, 174, 95, 30);
    expectAt(form.Controls().PageControl, 63, 33, 313, 138);
    expectAt(form.Controls().BottomPanel, 0, 206, 380, 20);
    expectAt(form.Controls().BakImage, 0, 0, 380, 206);
    expectAt(form.Controls().FolderEdit, 14, 51, 250, 21);
    expectAt(form.Controls().StartIconCheck, 84, 68, 139, 17);
    EXPECT_EQ(s(375), RectInParent(form.Controls().Link).right) << "right-aligned labels keep their scaled edge";
    EXPECT_EQ(s(130), RectInParent(form.Controls().LanguagePrompt).right);

    const auto fontHeight = [](HWND window) {
        LOGFONTA font{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
        return font.lfHeight;
    };
    EXPECT_EQ(s(-11), fontHeight(form.Controls().FolderEdit));
    EXPECT_EQ(s(-15), fontHeight(form.Controls().ProductNameLabel));
    EXPECT_EQ(s(-12), fontHeight(form.Controls().StatusLabel));

    const int art = dpi <= 96 ? 100 : dpi <= 120 ? 125 : dpi <= 144 ? 150 : 200;
    EXPECT_EQ(24 * art / 100, form.Controls().ContinueBt.GlyphSize().cx);
    EXPECT_EQ(16 * art / 100, form.Controls().SelectFolderBt.GlyphSize().cx);
    ICONINFO icon{};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(SendMessageA(form.Controls().IconImage, STM_GETICON, 0, 0)), &icon));
    const TBitmapHandle colour(icon.hbmColor), mask(icon.hbmMask);
    BITMAP bits{};
    GetObjectA(colour.get(), sizeof bits, &bits);
    EXPECT_EQ(32 * art / 100, bits.bmWidth);

    // The gradient keeps its levels from edge to edge of the scaled picture.
    const std::vector<uint32_t> row = BrushPixels(form.BakBrush(), s(380) + 1, 1);
    ASSERT_EQ(static_cast<size_t>(s(380) + 1), row.size());
    EXPECT_EQ(145u, row[static_cast<size_t>(s(380) - 1)] & 0xFF);
    EXPECT_EQ(FaceBgr(), row[static_cast<size_t>(s(380))]) << "the picture is " << s(380) << " wide";
}

// Run with the other tests at 96 DPI, and again in prefixes set to 120, 144
// and 192 (QOVA_EXPECTED_DPI).
TEST_F(SetupFormTest, LaidOutForTheDisplaysDpi)
{
    const std::string expected = Env("QOVA_EXPECTED_DPI");
    const int dpi = expected.empty() ? 96 : std::stoi(expected);
    Open();
    EXPECT_EQ(dpi, form->Dpi());
    ExpectLaidOutFor(*form, dpi);
}

TEST_F(SetupFormTest, MovedToAMonitorOfAnotherScaleItLaysItselfOutAgain)
{
    Open();
    ToPage(TPage::Folder);
    const int start = form->Dpi();
    for (int dpi : {144, 120, 192, start}) {
        // The suggested rectangle the system sends: the same client area, scaled.
        RECT suggested{0, 0, MulDiv(380, dpi, 96), MulDiv(226, dpi, 96)};
        AdjustWindowRectEx(&suggested, static_cast<DWORD>(GetWindowLongPtrA(form->Handle(), GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrA(form->Handle(), GWL_EXSTYLE)));
        OffsetRect(&suggested, 10 - suggested.left, 20 - suggested.top);
        SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(dpi, form->Dpi());
        RECT frame{};
        GetWindowRect(form->Handle(), &frame);
        EXPECT_EQ(10, frame.left);
        EXPECT_EQ(20, frame.top);
        ExpectLaidOutFor(*form, dpi);
        ExpectOnPage(TPage::Folder);
    }
}

} // namespace
