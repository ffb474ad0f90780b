#include "setup/glyph_button.h"

#include "platform/errors.h"
#include "platform/visual_style.h"
#include "platform/win_error.h"
#include "setup/application.h"
#include "setup/artwork.h"

#include "platform/common_controls.h"
#include <vsstyle.h>

namespace {

// Between glyph and caption: 4 pixels beside the 24-pixel glyph, in step with it at every scale.
int GlyphSpacing(SIZE glyph)
{
    return glyph.cx / 6;
}

// The glyph strip as an image list; the bottom-left pixel's colour is transparent.
TImageListHandle LoadGlyphs(const char* resource, int artScale, int imageCount, SIZE& imageSize)
{
    const TBitmapHandle strip = LoadArtBitmap(resource, artScale);
    BITMAP info{};
    GetObjectA(strip.get(), sizeof info, &info);
    imageSize = SIZE{info.bmWidth / imageCount, info.bmHeight};

    COLORREF transparent = RGB(255, 0, 255);
    if (TMemoryDC dc(CreateCompatibleDC(nullptr)); dc) {
        const TSelectedObject selected(dc.get(), strip.get());
        transparent = GetPixel(dc.get(), 0, info.bmHeight - 1);
    }
    TImageListHandle list(CommonControls::ImageList_Create(imageSize.cx, imageSize.cy, ILC_COLOR24 | ILC_MASK, imageCount, 0));
    if (!list || CommonControls::ImageList_AddMasked(list.get(), strip.get(), transparent) < 0)
        throw Exception(std::string("Cannot load the glyph ") + resource + ".");
    return list;
}

} // namespace

TGlyphButton::~TGlyphButton()
{
    if (handle_)
        CommonControls::RemoveWindowSubclass(handle_, SubclassProc, 1);
}

void TGlyphButton::LoadGlyph(int artScale)
{
    glyphs_ = LoadGlyphs(resource_, artScale, imageCount_, glyphSize_);
    if (handle_)
        InvalidateRect(handle_, nullptr, FALSE);
}

void TGlyphButton::Create(HWND parent, int id, const std::string& caption, const RECT& bounds, HFONT font,
                          const TOptions& options, int artScale)
{
    imageCount_ = options.ImageCount;
    flat_ = options.Flat;
    resource_ = options.GlyphResource;
    LoadGlyph(artScale);
    // No WS_TABSTOP: the button is for the mouse only.
    handle_ = CreateWindowExA(0, WC_BUTTONA, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_OWNERDRAW,
                              bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (!handle_)
        throw Exception("Cannot create the button " + caption + ". " + SystemErrorText(GetLastError()));
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    CommonControls::SetWindowSubclass(handle_, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK TGlyphButton::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) noexcept
{
    try {
        if (message == WM_NCDESTROY) {
            CommonControls::RemoveWindowSubclass(window, SubclassProc, 1);
            reinterpret_cast<TGlyphButton*>(data)->handle_ = nullptr;
            return CommonControls::DefSubclassProc(window, message, wParam, lParam);
        }
        return reinterpret_cast<TGlyphButton*>(data)->HandleMessage(message, wParam, lParam);
    } catch (...) {
        Application::HandleException(std::current_exception());
        return 0;
    }
}

LRESULT TGlyphButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETFOCUS: {
        // Pressing takes the focus; hand it back so that no key reaches the button.
        HWND previous = reinterpret_cast<HWND>(wParam);
        ::SetFocus(previous && IsWindow(previous) ? previous : GetAncestor(handle_, GA_ROOT));
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button reports double clicks apart; a fast second click is one more click.
        return CommonControls::DefSubclassProc(handle_, WM_LBUTTONDOWN, wParam, lParam);
    case WM_MOUSEMOVE:
        if (!hot_) {
            hot_ = true;
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, handle_, 0};
            TrackMouseEvent(&track);
            InvalidateRect(handle_, nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        hot_ = false;
        InvalidateRect(handle_, nullptr, FALSE);
        break;
    case WM_SETCURSOR:
        if (cursor_ && *cursor_ && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(*cursor_);
            return TRUE;
        }
        break;
    case WM_ENABLE:
        hot_ = false;
        InvalidateRect(handle_, nullptr, FALSE);
        break;
    }
    return CommonControls::DefSubclassProc(handle_, message, wParam, lParam);
}

void TGlyphButton::DrawFrame(HDC dc, const RECT& bounds, bool pressed, bool disabled, RECT& content,
                             POINT& shift) const
{
    content = bounds;
    shift = POINT{0, 0};
    if (flat_) {
        if (disabled || !(hot_ || pressed))
            return;
        TThemeData theme(handle_, L"TOOLBAR");
        if (theme) {
            theme.DrawBackground(dc, TP_BUTTON, pressed ? TS_PRESSED : TS_HOT, bounds);
        } else {
            RECT edge = bounds;
            DrawEdge(dc, &edge, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            if (pressed)
                shift = POINT{1, 1};
        }
        return;
    }
    TThemeData theme(handle_, L"BUTTON");
    if (theme) {
        const int state = disabled ? PBS_DISABLED : pressed ? PBS_PRESSED : hot_ ? PBS_HOT : PBS_NORMAL;
        theme.DrawBackground(dc, BP_PUSHBUTTON, state, bounds);
        content = theme.ContentRect(dc, BP_PUSHBUTTON, state, bounds);
        return;
    }
    RECT frame = bounds;
    DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    InflateRect(&content, -2, -2);
    if (pressed)
        shift = POINT{1, 1};
}

void TGlyphButton::Draw(const DRAWITEMSTRUCT& item) const
{
    HDC dc = item.hDC;
    const RECT bounds = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;

    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(handle_), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(handle_)));
    FillRect(dc, &bounds, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    SetBrushOrgEx(dc, 0, 0, nullptr);

    RECT content;
    POINT shift;
    DrawFrame(dc, bounds, pressed, disabled, content, shift);

    char caption[128] = "";
    const int length = GetWindowTextA(handle_, caption, sizeof caption);
    const TSelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageA(handle_, WM_GETFONT, 0, 0)));
    SIZE text{0, 0};
    if (length > 0)
        GetTextExtentPoint32A(dc, caption, length, &text);

    // Glyph and caption side by side, centred together.
    const int total = glyphSize_.cx + (length > 0 ? GlyphSpacing(glyphSize_) + text.cx : 0);
    const int left = content.left + (content.right - content.left - total) / 2 + shift.x;
    const int middle = (content.top + content.bottom) / 2 + shift.y;
    const int glyphTop = middle - glyphSize_.cy / 2;
    if (disabled && imageCount_ > 1) {
        CommonControls::ImageList_Draw(glyphs_.get(), 1, dc, left, glyphTop, ILD_TRANSPARENT);
    } else if (disabled) {
        TIconHandle icon(CommonControls::ImageList_GetIcon(glyphs_.get(), 0, ILD_TRANSPARENT));
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.get()), 0, left, glyphTop, 0, 0,
                   DST_ICON | DSS_DISABLED);
    } else {
        CommonControls::ImageList_Draw(glyphs_.get(), 0, dc, left, glyphTop, ILD_TRANSPARENT);
    }
    if (length > 0) {
        RECT textRect{left + glyphSize_.cx + GlyphSpacing(glyphSize_), middle - text.cy / 2, content.right, middle - text.cy / 2 + text.cy};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        DrawTextA(dc, caption, length, &textRect, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    }
}
