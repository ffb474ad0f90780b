// The wizard as data: its pages, each with its buttons, its check and what
// showing it does, and its controls and fonts, each row saying what the
// control is, where it sits, how it looks and acts, and on which page.
// Pixels at 96 DPI. The rows themselves are in form_rows.cpp.
#pragma once

#include "setup/form_ids.h"
#include "setup/glyph_button.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

class TFormControls;
class TSetupForm;


// The wizard's buttons as a page names them, in the manner of a property
// sheet's wizard button flags.
enum TWizardButtons : unsigned { wbNone = 0, wbBack = 1, wbContinue = 2, wbExit = 4, wbAll = 7 };

// Everything about one page: coming to show, the page sets the buttons from
// its row (nothing else does) and runs Enter; Continue runs the page's
// check, which also gives the choices what the page holds, and moves on
// only when it passes. A new page is a row here, its control rows and its
// handlers.
struct TPageSpec {
    TPage Page;                               // its tab and sheet
    unsigned Shown = wbAll;                   // the buttons it shows...
    unsigned Enabled = wbAll;                 // ...and of those, the ones that take a click
    bool (TSetupForm::*Continue)() = nullptr; // false stays on the page
    void (TSetupForm::*Enter)() = nullptr;
};

// One row a page, in TPage order.
extern const TPageSpec FormPages[PageCount];

inline constexpr int ClientWidth = 380, ClientHeight = 226;

// The fonts the controls use.
enum class TFontRole { None, Form, Bold, Link, Product, Copy, Comment, Notice, Count };

struct TFontSpec {
    TFontRole Role;
    const char* Face;
    int Height; // LOGFONT height: negative, the character height in pixels
    bool Bold, Italic, Underline;
};

// How a control's size follows its text. Fixed controls keep the size
// given; the others are sized to their text, growing to the right from
// Left, or for RightAligned to the left from the right edge given in Left.
enum class TSizing { Fixed, FitText, FitTextRightAligned };

// Where a control lives: on the window, in the bottom panel, or on a page.
struct TPlace {
    enum TKind { OnWindow, OnBottomPanel, OnPage } Kind;
    TPage Page;
    friend constexpr bool operator==(const TPlace&, const TPlace&) = default;
};
inline constexpr TPlace OnWindow{TPlace::OnWindow, TPage::Count};
inline constexpr TPlace OnBottomPanel{TPlace::OnBottomPanel, TPage::Count};
constexpr TPlace OnPage(TPage page)
{
    return {TPlace::OnPage, page};
}

// What an owner-drawn static shows.
enum class TPaint { Face, Gradient, SunkenEdge, RaisedEdge };

struct TControlSpec {
    TControlId Id;                                 // its identifier
    HWND TFormControls::*Window = nullptr;         // where the form keeps a standard control...
    TGlyphButton TFormControls::*Button = nullptr; // ...or a graphic push button
    const char* ClassName = nullptr;
    const char* Caption = "";
    int Left = 0, Top = 0, Width = 0, Height = 0;
    DWORD Style = 0; // beyond WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS
    DWORD ExStyle = 0;
    TPlace Place = OnWindow;
    TFontRole Font = TFontRole::Form;
    TSizing Sizing = TSizing::Fixed;
    COLORREF Colour = CLR_DEFAULT;  // text colour; CLR_DEFAULT: the window-text colour
    COLORREF Visited = CLR_DEFAULT; // a link's once clicked
    bool OverGradient = false;      // drawn transparently over BakImage
    bool HandCursor = false;
    const char* Icon = nullptr;     // icon resource an image shows
    TPaint Paint = TPaint::Face;    // an owner-drawn static's picture
    void (TSetupForm::*Click)() = nullptr; // the handler of a click
    TGlyphButton::TOptions Glyph{};
};

extern const TFontSpec FormFonts[];
extern const std::size_t FormFontCount;

// Each parent's controls run front to back: the order in which the Tab key
// visits them, and the reverse of the order they are drawn in.
extern const TControlSpec FormLayout[];
extern const std::size_t FormLayoutSize;
