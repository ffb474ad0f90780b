// The form's controls: made from the layout table, and drawn and coloured
// as their rows say.
#include "setup/form_controls.h"

#include "platform/errors.h"
#include "setup/artwork.h"
#include "setup/child_window.h"
#include "setup/control_text.h"
#include "setup/dpi.h"
#include "setup/subclass.h"

#include <commctrl.h>

#include <vector>

namespace {

constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr int TabSheetId = 90;

TFontHandle MakeFont(const TFontSpec& spec, int dpi)
{
    TFontHandle font(CreateFontA(Scaled(spec.Height, dpi), 0, 0, 0, spec.Bold ? FW_BOLD : FW_NORMAL, spec.Italic, spec.Underline,
                                 FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, spec.Face));
    if (!font)
        throw Exception(std::string("Cannot create the font ") + spec.Face + ".");
    return font;
}

} // namespace

std::array<TFontHandle, static_cast<std::size_t>(TFontRole::Count)> TFormControls::SetDpi(int dpi)
{
    auto old = std::move(fonts_);
    dpi_ = dpi;
    for (std::size_t i = 0; i < FormFontCount; ++i)
        fonts_[static_cast<std::size_t>(FormFonts[i].Role)] = MakeFont(FormFonts[i], dpi_);
    return old;
}

void TFormControls::LoadHandCursor()
{
    handCursor_ = LoadCursorA(nullptr, IDC_HAND);
}

void TFormControls::MarkLinkVisited()
{
    linkVisited_ = true;
    InvalidateRect(Link, nullptr, TRUE);
}

RECT TFormControls::ControlBounds(const TControlSpec& spec, const std::string& text) const
{
    if (spec.Sizing == TSizing::Fixed)
        return ScaledBounds(spec.Left, spec.Top, spec.Width, spec.Height, dpi_);
    // Sized to the text in the scaled font, from the scaled edge it keeps.
    const SIZE size = TextSize(Font(spec.Font), text);
    const int edge = Scaled(spec.Left, dpi_), top = Scaled(spec.Top, dpi_);
    if (spec.Sizing == TSizing::FitTextRightAligned)
        return Bounds(edge - size.cx, top, size.cx, size.cy);
    return Bounds(edge, top, size.cx, size.cy);
}

HFONT TFormControls::Font(TFontRole role) const
{
    return fonts_[static_cast<std::size_t>(role)].get();
}

HWND TFormControls::ParentWindow(HWND window, TPlace place) const
{
    if (place.Kind == TPlace::OnWindow)
        return window;
    if (place.Kind == TPlace::OnBottomPanel)
        return BottomPanel;
    return Sheet(place.Page);
}

void TFormControls::CreateControl(HWND window, const TControlSpec& spec)
{
    const int id = static_cast<int>(spec.Id);
    HWND parent = ParentWindow(window, spec.Place);
    if (spec.Button) {
        TGlyphButton& button = this->*spec.Button;
        button.Create(parent, id, spec.Caption, ControlBounds(spec, spec.Caption), Font(spec.Font), spec.Glyph,
                      ArtScale(dpi_));
        specs_.emplace_back(button.Handle(), &spec);
        if (spec.HandCursor)
            button.UseCursor(&handCursor_);
        return;
    }
    HWND control = ::CreateControl(parent, spec.ClassName, spec.Caption, ChildStyle | spec.Style, spec.ExStyle,
                                   ControlBounds(spec, spec.Caption), id, Font(spec.Font));
    this->*spec.Window = control;
    specs_.emplace_back(control, &spec);
    if (spec.HandCursor)
        UseCursor(control, &handCursor_);
}

// Each parent's controls into the table's order, the first in front.
void TFormControls::StackControls(const std::vector<TPlace>& places)
{
    for (const TPlace& place : places) {
        HWND previous = HWND_TOP;
        for (std::size_t i = 0; i < FormLayoutSize; ++i) {
            const TControlSpec& spec = FormLayout[i];
            if (spec.Place != place)
                continue;
            const HWND control = spec.Button ? (this->*spec.Button).Handle() : this->*spec.Window;
            SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            previous = control;
        }
    }
}

void TFormControls::CreateControls(HWND window)
{
    // The window's own controls first: the panel and the pages hold the rest.
    for (std::size_t i = 0; i < FormLayoutSize; ++i)
        if (FormLayout[i].Place == OnWindow)
            CreateControl(window, FormLayout[i]);
    ForwardNotifications(BottomPanel, window);
    ForwardNotifications(PageControl, window);
    CreatePages(window);
    const TPlace first = OnPage(FormPages[0].Page);
    for (std::size_t i = 0; i < FormLayoutSize; ++i)
        if (FormLayout[i].Place == OnBottomPanel || FormLayout[i].Place == first)
            CreateControl(window, FormLayout[i]);
    StackControls({OnWindow, OnBottomPanel, first});

    // What the controls hold at start; what depends on the scale comes with it.
    LoadScaledContent();
}

void TFormControls::CreateLaterControls(HWND window)
{
    if (laterMade_)
        return;
    laterMade_ = true;
    const TPlace first = OnPage(FormPages[0].Page);
    for (std::size_t i = 0; i < FormLayoutSize; ++i)
        if (FormLayout[i].Place.Kind == TPlace::OnPage && FormLayout[i].Place != first)
            CreateControl(window, FormLayout[i]);
    std::vector<TPlace> later;
    for (const TPageSpec& page : FormPages)
        if (OnPage(page.Page) != first)
            later.push_back(OnPage(page.Page));
    StackControls(later);

    LoadScaledContent();
    SendMessageA(DeskIconCheck, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(StartIconCheck, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(LangCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("English"));
    SendMessageA(LangCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Espa\xF1ol"));
    SendMessageA(LangCombo, CB_SETCURSEL, StartLanguage, 0);

    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (toolTip_) {
        TTTOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Sheet(TPage::Folder);
        tool.uId = reinterpret_cast<UINT_PTR>(SelectFolderBt.Handle());
        tool.lpszText = const_cast<char*>("Change folder");
        SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// A blank tab of 20 x 4 pixels for each page, and the page's window in the
// area they leave.
void TFormControls::CreatePages(HWND window)
{
    for (int i = 0; i < PageCount; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>("");
        SendMessageA(PageControl, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    const RECT area = SizeTabs();
    for (int i = 0; i < PageCount; ++i) {
        Sheets[i] = ::CreateControl(PageControl, WC_STATICA, "",
                                    (i == 0 ? WS_VISIBLE : 0) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SS_NOPREFIX,
                                    WS_EX_CONTROLPARENT, area, TabSheetId + i, Font(TFontRole::Form));
        ForwardNotifications(Sheets[i], window);
    }
}

RECT TFormControls::SizeTabs()
{
    SendMessageA(PageControl, TCM_SETITEMSIZE, 0, MAKELPARAM(Scaled(20, dpi_), Scaled(4, dpi_)));
    RECT area{};
    GetClientRect(PageControl, &area);
    SendMessageA(PageControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    return area;
}

void TFormControls::LoadScaledContent()
{
    if (LangCombo)
        SendMessageA(LangCombo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Scaled(15, dpi_));
    const int artScale = ArtScale(dpi_);
    for (auto [image, icon] : {std::pair{IconImage, &programIcon_}, std::pair{SimulatorImage, &simulatorIcon_}}) {
        // Drawn for the scale; the control is as large as its icon.
        TIconHandle scaled = LoadArtIcon(SpecOf(image)->Icon, artScale, 32 * artScale / 100);
        SendMessageA(image, STM_SETICON, reinterpret_cast<WPARAM>(scaled.get()), 0);
        *icon = std::move(scaled);
    }
}

void TFormControls::ApplyLayout(HWND window)
{
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font(TFontRole::Form)), FALSE);
    for (const auto& [window, spec] : specs_) {
        const RECT place = ControlBounds(*spec, WindowText(window));
        SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font(spec->Font)), FALSE);
        if (spec->Button)
            (this->*spec->Button).LoadGlyph(ArtScale(dpi_));
    }
    const RECT area = SizeTabs();
    for (HWND page : Sheets)
        SetWindowPos(page, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    LoadScaledContent();
}

const TControlSpec* TFormControls::SpecOf(HWND window) const
{
    for (const auto& [control, spec] : specs_)
        if (control == window)
            return spec;
    return nullptr;
}

void TFormControls::SetLabelText(HWND label, const std::string& text)
{
    const RECT old = RectInParent(label);
    SetWindowTextA(label, text.c_str());
    const TControlSpec* spec = SpecOf(label);
    if (spec && spec->Sizing != TSizing::Fixed) {
        const RECT place = ControlBounds(*spec, text);
        SetWindowPos(label, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // What the old text covered belongs to whatever lies behind it again.
    RedrawWindow(GetParent(label), &old, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    InvalidateRect(label, nullptr, TRUE);
}

LRESULT TFormControls::OnCtlColor(HDC dc, HWND control, HBRUSH gradient) const
{
    SetBkMode(dc, TRANSPARENT);
    const TControlSpec* spec = SpecOf(control);
    COLORREF colour = spec && spec->Colour != CLR_DEFAULT ? spec->Colour : GetSysColor(COLOR_WINDOWTEXT);
    if (spec && linkVisited_ && spec->Visited != CLR_DEFAULT)
        colour = spec->Visited;
    SetTextColor(dc, colour);
    if (spec && spec->OverGradient && gradient) {
        const RECT place = RectInParent(control);
        SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
        return reinterpret_cast<LRESULT>(gradient);
    }
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT TFormControls::OnDrawItem(const DRAWITEMSTRUCT& item, HBRUSH gradient) const
{
    HDC dc = item.hDC;
    RECT bounds = item.rcItem;
    // The tabs are blank; a button or a static draws as its row says.
    if (item.CtlType == ODT_TAB) {
        FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    }
    const TControlSpec* spec = SpecOf(item.hwndItem);
    if (!spec)
        return FALSE;
    if (spec->Button) {
        (this->*spec->Button).Draw(item);
        return TRUE;
    }
    if (spec->Paint == TPaint::Gradient && gradient) {
        SetBrushOrgEx(dc, 0, 0, nullptr);
        FillRect(dc, &bounds, gradient);
        return TRUE;
    }
    FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
    if (spec->Paint == TPaint::SunkenEdge)
        DrawEdge(dc, &bounds, BDR_SUNKENOUTER, BF_RECT);
    else if (spec->Paint == TPaint::RaisedEdge)
        DrawEdge(dc, &bounds, BDR_RAISEDINNER, BF_RECT);
    return TRUE;
}
