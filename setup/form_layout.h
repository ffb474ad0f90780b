// The wizard window's controls and fonts as data: what each control is,
// where it sits, how it looks and on which page. Pixels at 96 DPI.
#pragma once

#include "setup/glyph_button.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

class TSetupForm;

inline constexpr int PageCount = 6;
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

// Where a control lives: on the window, in the bottom panel, or on page 0-5.
inline constexpr int OnWindow = -2;
inline constexpr int OnBottomPanel = -1;

struct TControlSpec {
    HWND TSetupForm::*Window = nullptr;         // where the form keeps a standard control...
    TGlyphButton TSetupForm::*Button = nullptr; // ...or a graphic push button
    const char* ClassName = nullptr;
    const char* Caption = "";
    int Left = 0, Top = 0, Width = 0, Height = 0;
    DWORD Style = 0; // beyond WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS
    DWORD ExStyle = 0;
    int Parent = OnWindow;
    TFontRole Font = TFontRole::Form;
    TSizing Sizing = TSizing::Fixed;
    COLORREF Colour = CLR_DEFAULT; // text colour; CLR_DEFAULT: the window-text colour
    bool OverGradient = false;     // drawn transparently over BakImage
    bool HandCursor = false;
    const char* Icon = nullptr;    // icon resource an image shows
    TGlyphButton::TOptions Glyph{};
};

extern const TFontSpec FormFonts[];
extern const std::size_t FormFontCount;

// Each parent's controls run front to back: the order in which the Tab key
// visits them, and the reverse of the order they are drawn in.
extern const TControlSpec FormLayout[];
extern const std::size_t FormLayoutSize;
