#include "platform/message_dialog.h"

#include "platform/errors.h"
#include "platform/handle.h"
#include "platform/modal_support.h"
#include "platform/text_encoding.h"
#include "platform/win_error.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <iterator>
#include <vector>

namespace {

constexpr int TextId = 100;
constexpr int IconId = 101;
constexpr int AddressId = 102;

struct TButtonKind {
    unsigned flag;
    int id;
    const char* caption;
};

// Left to right; the ids are the results.
constexpr TButtonKind ButtonKinds[] = {
    {mbYes, mrYes, "&Yes"},
    {mbNo, mrNo, "&No"},
    {mbOK, mrOk, "OK"},
    {mbYesToAll, mrYesToAll, "Yes to &All"},
};

int DefaultButton(unsigned buttons)
{
    if (buttons & mbOK)
        return mrOk;
    if (buttons & mbYes)
        return mrYes;
    for (const auto& kind : ButtonKinds)
        if (buttons & kind.flag)
            return kind.id;
    return mrOk;
}

int EscapeResult(unsigned buttons)
{
    if (buttons & mbNo)
        return mrNo;
    if (buttons & mbOK)
        return mrOk;
    return mrCancel;
}

// An in-memory dialog template: DLGTEMPLATE, then DLGITEMTEMPLATEs, each
// on a DWORD boundary, strings in UTF-16.
class TDialogTemplate {
public:
    TDialogTemplate(DWORD style, const std::string& caption, const std::wstring& fontName, WORD pointSize)
    {
        DLGTEMPLATE header{};
        header.style = style;
        AppendRaw(&header, sizeof header);
        words_.push_back(0); // no menu
        words_.push_back(0); // the standard dialog class
        AppendText(caption);
        words_.push_back(pointSize);
        AppendWide(fontName);
    }

    void AddItem(WORD classAtom, DWORD style, int id, const std::string& text)
    {
        if (words_.size() % 2)
            words_.push_back(0);
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.cx = 1; // placed in pixels once the font is known
        item.cy = 1;
        item.id = static_cast<WORD>(id);
        AppendRaw(&item, sizeof item);
        words_.push_back(0xFFFF);
        words_.push_back(classAtom);
        AppendText(text);
        words_.push_back(0); // no creation data
        ++Header().cdit;
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    // DLGTEMPLATE is packed to 2 bytes, so it is a whole number of WORDs.
    DLGTEMPLATE& Header() { return *reinterpret_cast<DLGTEMPLATE*>(words_.data()); }

    void AppendRaw(const void* data, size_t size)
    {
        const auto* begin = static_cast<const WORD*>(data);
        words_.insert(words_.end(), begin, begin + size / sizeof(WORD));
    }

    void AppendWide(const std::wstring& text)
    {
        words_.insert(words_.end(), text.begin(), text.end());
        words_.push_back(0);
    }

    // Texts are in the system code page; the dialog's A window functions
    // give them back the same way.
    void AppendText(const std::string& text) { AppendWide(AnsiToWide(text)); }

    std::vector<WORD> words_;
};

struct TDialogState {
    const char* caption;
    const std::string* text;
    const std::string* address; // shown for copying; null in most dialogs
    TMsgDlgType type;
    unsigned buttons;
    std::exception_ptr error;
};

// The message font of the system, as the dialog template's font.
void MessageFont(std::wstring& name, WORD& pointSize)
{
    name = L"MS Sans Serif";
    pointSize = 8;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) ||
        metrics.lfMessageFont.lfFaceName[0] == 0)
        return;
    const TWindowDC screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    const LONG height = metrics.lfMessageFont.lfHeight;
    const int points = MulDiv(height < 0 ? -height : height, 72, dpi);
    if (points <= 0)
        return;
    name = metrics.lfMessageFont.lfFaceName;
    pointSize = static_cast<WORD>(points);
}

// In the dialog's font unless another is given.
SIZE MeasureText(HWND dialog, const std::string& text, int maxWidth, HFONT font = nullptr)
{
    RECT bounds{0, 0, maxWidth, 0};
    const TWindowDC dc(dialog);
    if (!dc)
        return SIZE{maxWidth, 0};
    const TSelectedObject selected(
        dc.get(), font ? font : reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    // The flags a Static with SS_LEFT | SS_NOPREFIX draws with.
    DrawTextA(dc.get(), text.empty() ? " " : text.c_str(), -1, &bounds,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_LEFT);
    return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

// The width the caption bar needs: the text in the system's caption font,
// the close box, and the two-pixel margins the system leaves around both.
int CaptionWidth(HWND dialog, const char* caption)
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return 0;
    const TFontHandle font(CreateFontIndirectA(&metrics.lfCaptionFont));
    if (!font)
        return 0;
    return MeasureText(dialog, caption, 10000, font.get()).cx + GetSystemMetrics(SM_CXSIZE) +
           4 * GetSystemMetrics(SM_CXEDGE);
}

int TextWidth(HWND dialog, HWND control)
{
    char caption[64] = "";
    GetWindowTextA(control, caption, sizeof caption);
    return MeasureText(dialog, caption, 1000).cx;
}

// Places the icon, the text and the buttons in pixels from the dialog's
// font, then sizes the dialog to them and centres it on the screen.
void Layout(HWND dialog, const TDialogState& state)
{
    RECT units{7, 7, 50, 14}; // margin and button size in dialog units
    MapDialogRect(dialog, &units);
    const int marginX = units.left, marginY = units.top;
    const int minButtonWidth = units.right, buttonHeight = units.bottom;
    RECT gaps{4, 0, 10, 0};
    MapDialogRect(dialog, &gaps);
    const int buttonGap = gaps.left, iconGap = gaps.right;

    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    const RECT screen = NearestMonitorRect(nullptr);
    const SIZE text = MeasureText(dialog, *state.text, std::max<int>(200, (screen.right - screen.left) / 2));

    // At most one button of each kind.
    HWND buttons[std::size(ButtonKinds)];
    int widths[std::size(ButtonKinds)];
    size_t count = 0;
    int buttonsWidth = 0;
    for (const auto& kind : ButtonKinds) {
        HWND button = GetDlgItem(dialog, kind.id);
        if (!button)
            continue;
        const int width = std::max(minButtonWidth, TextWidth(dialog, button) + 2 * marginX);
        buttons[count] = button;
        widths[count] = width;
        buttonsWidth += width + (count++ > 0 ? buttonGap : 0);
    }

    const int textLeft = marginX + iconWidth + iconGap;
    // The address in its box: a line of text in an edit field's frame.
    SIZE address{0, 0};
    if (state.address) {
        address = MeasureText(dialog, *state.address, 10000);
        address.cx += 4 * GetSystemMetrics(SM_CXEDGE) + marginX;
        address.cy += 4 * GetSystemMetrics(SM_CYEDGE);
    }
    const int addressTop = marginY + std::max<int>(iconHeight, text.cy) + marginY / 2;
    const int bodyHeight = std::max<int>(iconHeight, text.cy) + (state.address ? marginY / 2 + address.cy : 0);
    const int clientWidth =
        std::max({textLeft + static_cast<int>(std::max(text.cx, address.cx)) + marginX, buttonsWidth + 2 * marginX,
                  CaptionWidth(dialog, state.caption)});
    const int buttonTop = marginY + bodyHeight + marginY + marginY / 2;
    const int clientHeight = buttonTop + buttonHeight + marginY;

    SetWindowPos(GetDlgItem(dialog, IconId), nullptr, marginX, marginY, iconWidth, iconHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // A text shorter than the icon sits level with the icon's middle.
    const int textTop = state.address ? marginY : marginY + (bodyHeight - text.cy) / 2;
    SetWindowPos(GetDlgItem(dialog, TextId), nullptr, textLeft, textTop, text.cx + 1, text.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (state.address)
        SetWindowPos(GetDlgItem(dialog, AddressId), nullptr, textLeft, addressTop, clientWidth - textLeft - marginX,
                     address.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    int left = (clientWidth - buttonsWidth) / 2;
    for (size_t i = 0; i < count; ++i) {
        SetWindowPos(buttons[i], nullptr, left, buttonTop, widths[i], buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        left += widths[i] + buttonGap;
    }

    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const POINT origin = CentredIn(screen, width, height);
    SetWindowPos(dialog, nullptr, origin.x, origin.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL InitDialog(HWND dialog, TDialogState& state)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    const char* iconName = state.type == TMsgDlgType::Error         ? IDI_HAND
                           : state.type == TMsgDlgType::Information ? IDI_ASTERISK
                                                                    : IDI_EXCLAMATION;
    HICON icon = LoadIconA(nullptr, iconName);
    SendDlgItemMessageA(dialog, IconId, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    Layout(dialog, state);
    const int defaultId = DefaultButton(state.buttons);
    SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
    if (HWND address = GetDlgItem(dialog, AddressId)) {
        // Selected and focused: Ctrl+C copies it at once.
        SetFocus(address);
        SendMessageA(address, EM_SETSEL, 0, -1);
    } else {
        SetFocus(GetDlgItem(dialog, defaultId));
    }
    return FALSE; // the focus is set
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* state = reinterpret_cast<TDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    try {
        switch (message) {
        case WM_INITDIALOG:
            return InitDialog(dialog, *reinterpret_cast<TDialogState*>(lParam));
        case WM_COMMAND:
            if (!state || HIWORD(wParam) != BN_CLICKED)
                return FALSE;
            switch (LOWORD(wParam)) {
            case IDCANCEL: // Escape
                EndDialog(dialog, EscapeResult(state->buttons));
                return TRUE;
            case mrYes:
            case mrNo:
            case mrOk:
            case mrYesToAll:
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE: // the close box; left to itself the dialog would send IDCANCEL
            EndDialog(dialog, mrCancel);
            return TRUE;
        }
    } catch (...) {
        // Handed to the caller once the dialog is gone.
        if (!state && message == WM_INITDIALOG)
            state = reinterpret_cast<TDialogState*>(lParam);
        if (state)
            state->error = std::current_exception();
        EndDialog(dialog, mrCancel);
        return TRUE;
    }
    return FALSE;
}

int ShowDialog(const std::string& text, const std::string* address, TMsgDlgType type, unsigned buttons,
               const char* caption)
{
    buttons &= mbYes | mbNo | mbOK | mbYesToAll;
    if (buttons == 0)
        buttons = mbOK; // a dialog must have a way out

    std::wstring fontName;
    WORD pointSize = 8;
    MessageFont(fontName, pointSize);
    if (!caption)
        caption = type == TMsgDlgType::Error ? "Error" : type == TMsgDlgType::Information ? "Information" : "Warning";
    TDialogTemplate dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, caption, fontName,
                           pointSize);
    dialog.AddItem(0x0082, SS_ICON, IconId, "");
    dialog.AddItem(0x0082, SS_LEFT | SS_NOPREFIX, TextId, text);
    if (address)
        dialog.AddItem(0x0081, WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL | ES_READONLY, AddressId, *address);
    const int defaultId = DefaultButton(buttons);
    for (const auto& kind : ButtonKinds)
        if (buttons & kind.flag)
            dialog.AddItem(0x0080, WS_TABSTOP | (kind.id == defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), kind.id,
                           kind.caption);

    // The dialog disables its owner; the thread's other windows are ours to disable.
    HWND owner = GetActiveWindow();
    TDialogState state{caption, &text, address, type, buttons, nullptr};
    INT_PTR result;
    DWORD error = 0;
    {
        TDisabledThreadWindows others(owner);
        result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialog.Get(), owner, DialogProc,
                                         reinterpret_cast<LPARAM>(&state));
        error = GetLastError();
    }
    if (state.error)
        std::rethrow_exception(state.error);
    if (result == -1)
        throw Exception("Cannot show the message dialog. " + SystemErrorText(error));
    return static_cast<int>(result);
}

} // namespace

int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, const char* caption)
{
    return ShowDialog(text, nullptr, type, buttons, caption);
}

void AddressDlg(const std::string& text, const std::string& address)
{
    ShowDialog(text, &address, TMsgDlgType::Information, mbOK, nullptr);
}
