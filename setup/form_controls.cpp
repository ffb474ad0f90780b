// The form's controls: made from the layout table, and drawn and coloured
// as their rows say.
#include "setup/setup_form.h"

#include "platform/errors.h"
#include "setup/controls.h"

#include <commctrl.h>

namespace {

constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr int FirstControlId = 100;
constexpr int TabSheetId = 90;

TFontHandle MakeFont(const TFontSpec& spec)
{
    TFontHandle font(CreateFontA(spec.Height, 0, 0, 0, spec.Bold ? FW_BOLD : FW_NORMAL, spec.Italic, spec.Underline,
                                 FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, spec.Face));
    if (!font)
        throw Exception(std::string("Cannot create the font ") + spec.Face + ".");
    return font;
}

// Where a label of that row sits for a text of that size.
RECT LabelBounds(const TControlSpec& spec, SIZE text)
{
    switch (spec.Sizing) {
    case TSizing::FitText:
        return Bounds(spec.Left, spec.Top, text.cx, text.cy);
    case TSizing::FitTextRightAligned:
        return Bounds(spec.Left - text.cx, spec.Top, text.cx, text.cy);
    case TSizing::Fixed:
        break;
    }
    return Bounds(spec.Left, spec.Top, spec.Width, spec.Height);
}

} // namespace

void TSetupForm::CreateFonts()
{
    for (std::size_t i = 0; i < FormFontCount; ++i)
        fonts_[static_cast<int>(FormFonts[i].Role)] = MakeFont(FormFonts[i]);
}

HFONT TSetupForm::Font(TFontRole role) const
{
    return fonts_[static_cast<int>(role)].get();
}

HWND TSetupForm::ParentWindow(int parent) const
{
    if (parent == OnWindow)
        return Handle();
    if (parent == OnBottomPanel)
        return BottomPanel;
    return TabSheets[parent];
}

void TSetupForm::CreateControl(const TControlSpec& spec, int id)
{
    HWND parent = ParentWindow(spec.Parent);
    if (spec.Button) {
        TGlyphButton& button = this->*spec.Button;
        button.Create(parent, id, spec.Caption, Bounds(spec.Left, spec.Top, spec.Width, spec.Height), Font(spec.Font),
                      spec.Glyph);
        specs_.emplace_back(button.Handle(), &spec);
        return;
    }
    HFONT font = Font(spec.Font);
    const RECT bounds = LabelBounds(spec, spec.Sizing == TSizing::Fixed ? SIZE{} : TextSize(font, spec.Caption));
    HWND control = ::CreateControl(parent, spec.ClassName, spec.Caption, ChildStyle | spec.Style, spec.ExStyle, bounds,
                                   id, font);
    this->*spec.Window = control;
    specs_.emplace_back(control, &spec);
    if (spec.HandCursor)
        UseCursor(control, &handCursor_);
}

void TSetupForm::CreateControls()
{
    // The window's own controls first: the panel and the pages hold the rest.
    int id = FirstControlId;
    for (std::size_t i = 0; i < FormLayoutSize; ++i)
        if (FormLayout[i].Parent == OnWindow)
            CreateControl(FormLayout[i], id + static_cast<int>(i));
    ForwardNotifications(BottomPanel, Handle());
    ForwardNotifications(PageControl1, Handle());
    CreatePages();
    for (std::size_t i = 0; i < FormLayoutSize; ++i)
        if (FormLayout[i].Parent != OnWindow)
            CreateControl(FormLayout[i], id + static_cast<int>(i));

    // Each parent's controls into the table's order, the first in front.
    for (int parent = OnWindow; parent < PageCount; ++parent) {
        HWND previous = HWND_TOP;
        for (std::size_t i = 0; i < FormLayoutSize; ++i) {
            const TControlSpec& spec = FormLayout[i];
            if (spec.Parent != parent)
                continue;
            const HWND window = spec.Button ? (this->*spec.Button).Handle() : this->*spec.Window;
            SetWindowPos(window, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            previous = window;
        }
    }

    // What the controls hold at start.
    for (auto [image, icon] : {std::pair{IconImage, &programIcon_}, std::pair{Image1, &simulatorIcon_}}) {
        *icon = LoadIconResource(SpecOf(image)->Icon, 32);
        SendMessageA(image, STM_SETICON, reinterpret_cast<WPARAM>(icon->get()), 0);
    }
    EnableWindow(BackBt.Handle(), FALSE);
    SendMessageA(DeskIconCheck, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(StartIconCheck, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(LangCombo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 15);
    SendMessageA(LangCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("English"));
    SendMessageA(LangCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Espa\xF1ol"));
    SendMessageA(LangCombo, CB_SETCURSEL, 0, 0);

    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
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

// Six blank tabs of 20 x 4 pixels, and a page window for each in the area
// they leave.
void TSetupForm::CreatePages()
{
    SendMessageA(PageControl1, TCM_SETITEMSIZE, 0, MAKELPARAM(20, 4));
    for (int i = 0; i < PageCount; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>("");
        SendMessageA(PageControl1, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    RECT area{};
    GetClientRect(PageControl1, &area);
    SendMessageA(PageControl1, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (int i = 0; i < PageCount; ++i) {
        TabSheets[i] = ::CreateControl(PageControl1, WC_STATICA, "",
                                       (i == 0 ? WS_VISIBLE : 0) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SS_NOPREFIX,
                                       WS_EX_CONTROLPARENT, area, TabSheetId + i, Font(TFontRole::Form));
        ForwardNotifications(TabSheets[i], Handle());
    }
}

const TControlSpec* TSetupForm::SpecOf(HWND window) const
{
    for (const auto& [control, spec] : specs_)
        if (control == window)
            return spec;
    return nullptr;
}

void TSetupForm::SetLabelText(HWND label, const std::string& text)
{
    const RECT old = RectInParent(label);
    SetWindowTextA(label, text.c_str());
    const TControlSpec* spec = SpecOf(label);
    if (spec && spec->Sizing != TSizing::Fixed) {
        const RECT place = LabelBounds(*spec, TextSize(Font(spec->Font), text));
        SetWindowPos(label, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // What the old text covered belongs to whatever lies behind it again.
    RedrawWindow(GetParent(label), &old, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    InvalidateRect(label, nullptr, TRUE);
}

LRESULT TSetupForm::OnCtlColor(HDC dc, HWND control)
{
    SetBkMode(dc, TRANSPARENT);
    const TControlSpec* spec = SpecOf(control);
    COLORREF colour = spec && spec->Colour != CLR_DEFAULT ? spec->Colour : GetSysColor(COLOR_WINDOWTEXT);
    if (control == Link)
        colour = linkColour_;
    SetTextColor(dc, colour);
    if (spec && spec->OverGradient && background_.Brush()) {
        const RECT place = RectInParent(control);
        SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
        return reinterpret_cast<LRESULT>(background_.Brush());
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
            FillRect(dc, &bounds, background_.Brush() ? background_.Brush() : GetSysColorBrush(COLOR_BTNFACE));
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
