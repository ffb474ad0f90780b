// The wizard's rows, which form_layout.h declares: its pages, fonts and
// controls. Defined here, above the form whose handlers they name, so that
// the code below (the controls, the layout) reads them without reaching up.
#include "setup/form_layout.h"

#include "engine/product_manifest.h"
#include "setup/setup_form.h"

#include <iterator>

namespace {

using C = TFormControls;
using F = TSetupForm;
using ProductManifest::CopyrightLine;
using ProductManifest::MakerDisplayAddress;

constexpr DWORD Label = SS_NOPREFIX;
constexpr DWORD Picture = SS_OWNERDRAW;
// Button-style tabs without text or focus; an owner that draws nothing leaves them blank.
constexpr DWORD Tabs = WS_CLIPCHILDREN | TCS_BUTTONS | TCS_FIXEDWIDTH | TCS_OWNERDRAWFIXED | TCS_FOCUSNEVER;

} // namespace

const TPageSpec FormPages[PageCount] = {
    {TPage::Welcome, wbAll, wbContinue | wbExit},
    {TPage::Folder, wbAll, wbAll, &F::FolderAccepted},
    {TPage::Shortcuts, wbAll, wbAll, &F::ShortcutsChosen},
    {TPage::Language, wbAll, wbAll, &F::LanguageChosen},
    {TPage::Ready, wbAll, wbAll, &F::StartInstallation},
    // Reached only by an installation that succeeded: nothing to go back to.
    {TPage::Finish, wbAll, wbExit},
};

const TFontSpec FormFonts[] = {
    {TFontRole::Form, "MS Sans Serif", -11, false, false, false},
    {TFontRole::Bold, "MS Sans Serif", -11, true, false, false},
    {TFontRole::Link, "MS Sans Serif", -11, false, false, true},
    {TFontRole::Product, "Arial", -15, true, true, false},
    {TFontRole::Copy, "Arial", -11, false, false, false},
    {TFontRole::Comment, "Arial", -11, false, true, false},
    {TFontRole::Notice, "Arial", -12, true, false, false},
};
const std::size_t FormFontCount = std::size(FormFonts);

// clang-format off
const TControlSpec FormLayout[] = {
    // The window, front to back.
    {.Id = TControlId::PageControl,
     .Window = &C::PageControl, .ClassName = WC_TABCONTROLA, .Left = 63, .Top = 33, .Width = 313, .Height = 138,
     .Style = Tabs, .ExStyle = WS_EX_CONTROLPARENT},
    {.Id = TControlId::PageFrame,
     .Window = &C::PageFrame, .ClassName = WC_STATICA, .Left = 62, .Top = 32, .Width = 315, .Height = 140,
     .Style = Picture, .Font = TFontRole::None, .Paint = TPaint::SunkenEdge},
    {.Id = TControlId::BottomPanel,
     .Window = &C::BottomPanel, .ClassName = WC_STATICA, .Left = 0, .Top = 206, .Width = ClientWidth, .Height = 20,
     .Style = Picture | WS_CLIPCHILDREN, .ExStyle = WS_EX_CONTROLPARENT, .Font = TFontRole::None,
     .Paint = TPaint::RaisedEdge},
    {.Id = TControlId::SimulatorImage,
     .Window = &C::SimulatorImage, .ClassName = WC_STATICA, .Left = 17, .Top = 105, .Width = 32, .Height = 32,
     .Style = SS_ICON, .Font = TFontRole::None, .OverGradient = true, .Icon = "QOVASIMICON"},
    {.Id = TControlId::BackBt,
     .Button = &C::BackBt, .Caption = "Back", .Left = 70, .Top = 174, .Width = 95, .Height = 30,
     .OverGradient = true, .HandCursor = true, .Click = &F::BackBtClick, .Glyph = {"GLYPH_BACK", 2, false}},
    {.Id = TControlId::ProductNameLabel,
     .Window = &C::ProductNameLabel, .ClassName = WC_STATICA, .Left = 8, .Top = 8, .Style = Label | SS_LEFT,
     .Font = TFontRole::Product, .Sizing = TSizing::FitText, .Colour = RGB(0, 64, 128), .OverGradient = true},
    {.Id = TControlId::ExitBt,
     .Button = &C::ExitBt, .Caption = "Exit setup", .Left = 270, .Top = 174, .Width = 95, .Height = 30,
     .OverGradient = true, .HandCursor = true, .Click = &F::ExitBtClick, .Glyph = {"GLYPH_EXIT", 1, false}},
    {.Id = TControlId::ContinueBt,
     .Button = &C::ContinueBt, .Caption = "Continue", .Left = 170, .Top = 174, .Width = 95, .Height = 30,
     .OverGradient = true, .HandCursor = true, .Click = &F::ContinueBtClick,
     .Glyph = {"GLYPH_CONTINUE", 2, false}},
    {.Id = TControlId::IconImage,
     .Window = &C::IconImage, .ClassName = WC_STATICA, .Left = 17, .Top = 65, .Width = 32, .Height = 32,
     .Style = SS_ICON, .Font = TFontRole::None, .OverGradient = true, .Icon = "QOVAICON"},
    {.Id = TControlId::BakImage,
     .Window = &C::BakImage, .ClassName = WC_STATICA, .Left = 0, .Top = 0, .Width = ClientWidth, .Height = 206,
     .Style = Picture, .Font = TFontRole::None, .Paint = TPaint::Gradient},

    // The bottom panel.
    {.Id = TControlId::CopyLabel,
     .Window = &C::CopyLabel, .ClassName = WC_STATICA, .Caption = CopyrightLine, .Left = 4, .Top = 3,
     .Style = Label | SS_LEFT, .Place = OnBottomPanel, .Font = TFontRole::Copy, .Sizing = TSizing::FitText,
     .Colour = RGB(128, 128, 128)},
    {.Id = TControlId::Link,
     .Window = &C::Link, .ClassName = WC_STATICA, .Caption = MakerDisplayAddress, .Left = 375, .Top = 3,
     .Style = Label | SS_RIGHT | SS_NOTIFY, .Place = OnBottomPanel, .Font = TFontRole::Link,
     .Sizing = TSizing::FitTextRightAligned, .Colour = RGB(128, 128, 255), .Visited = RGB(128, 0, 128),
     .HandCursor = true, .Click = &F::LinkClick},

    // The welcome page.
    {.Id = TControlId::HeadLabel,
     .Window = &C::HeadLabel, .ClassName = WC_STATICA, .Caption = "This setup program will install", .Left = 6,
     .Top = 10, .Style = Label | SS_LEFT, .Place = OnPage(TPage::Welcome), .Sizing = TSizing::FitText},
    {.Id = TControlId::FullNameLabel,
     .Window = &C::FullNameLabel, .ClassName = WC_STATICA, .Left = 3, .Top = 39, .Width = 300, .Height = 13,
     .Style = Label | SS_CENTER, .Place = OnPage(TPage::Welcome), .Font = TFontRole::Bold},
    {.Id = TControlId::VersionLabel,
     .Window = &C::VersionLabel, .ClassName = WC_STATICA, .Left = 3, .Top = 61, .Width = 300, .Height = 13,
     .Style = Label | SS_CENTER, .Place = OnPage(TPage::Welcome)},
    {.Id = TControlId::CommentLabel,
     .Window = &C::CommentLabel, .ClassName = WC_STATICA, .Caption = "includes Show Simulator", .Left = 94, .Top = 82,
     .Width = 210, .Height = 14, .Style = Label | SS_CENTER, .Place = OnPage(TPage::Welcome), .Font = TFontRole::Comment,
     .Colour = RGB(198, 0, 0)},
    {.Id = TControlId::DeveloperLabel,
     .Window = &C::DeveloperLabel, .ClassName = WC_STATICA, .Left = 3, .Top = 103, .Width = 300, .Height = 13,
     .Style = Label | SS_CENTER, .Place = OnPage(TPage::Welcome)},

    // The destination folder page.
    {.Id = TControlId::FolderEdit,
     .Window = &C::FolderEdit, .ClassName = WC_EDITA, .Left = 14, .Top = 51, .Width = 250, .Height = 21,
     .Style = WS_TABSTOP | ES_AUTOHSCROLL, .ExStyle = WS_EX_CLIENTEDGE, .Place = OnPage(TPage::Folder)},
    {.Id = TControlId::FolderPrompt,
     .Window = &C::FolderPrompt, .ClassName = WC_STATICA, .Caption = "Select destination folder", .Left = 6, .Top = 10,
     .Style = Label | SS_LEFT, .Place = OnPage(TPage::Folder), .Sizing = TSizing::FitText},
    {.Id = TControlId::SelectFolderBt,
     .Button = &C::SelectFolderBt, .Left = 269, .Top = 51, .Width = 23, .Height = 22, .Place = OnPage(TPage::Folder),
     .HandCursor = true, .Click = &F::SelectFolderBtClick, .Glyph = {"GLYPH_FOLDER", 1, true}},
    {.Id = TControlId::SpaceLabel,
     .Window = &C::SpaceLabel, .ClassName = WC_STATICA, .Left = 14, .Top = 94, .Style = Label | SS_LEFT, .Place = OnPage(TPage::Folder),
     .Sizing = TSizing::FitText},

    // The shortcuts page.
    {.Id = TControlId::DeskIconCheck,
     .Window = &C::DeskIconCheck, .ClassName = WC_BUTTONA, .Caption = "Create Desktop icon", .Left = 84, .Top = 38,
     .Width = 126, .Height = 17, .Style = WS_TABSTOP | BS_AUTOCHECKBOX, .Place = OnPage(TPage::Shortcuts), .HandCursor = true},
    {.Id = TControlId::StartIconCheck,
     .Window = &C::StartIconCheck, .ClassName = WC_BUTTONA, .Caption = "Create Start menu icon", .Left = 84,
     .Top = 68, .Width = 139, .Height = 17, .Style = WS_TABSTOP | BS_AUTOCHECKBOX, .Place = OnPage(TPage::Shortcuts), .HandCursor = true},

    // The language page. The combo box's height is its dropped-down list's; the field is 21 pixels.
    {.Id = TControlId::PreconfigurationLabel,
     .Window = &C::PreconfigurationLabel, .ClassName = WC_STATICA, .Caption = "System pre-configuration", .Left = 6, .Top = 10,
     .Style = Label | SS_LEFT, .Place = OnPage(TPage::Language), .Sizing = TSizing::FitText},
    {.Id = TControlId::LanguagePrompt,
     .Window = &C::LanguagePrompt, .ClassName = WC_STATICA, .Caption = "Select your language", .Left = 130, .Top = 55,
     .Style = Label | SS_RIGHT, .Place = OnPage(TPage::Language), .Sizing = TSizing::FitTextRightAligned},
    {.Id = TControlId::LangCombo,
     .Window = &C::LangCombo, .ClassName = WC_COMBOBOXA, .Left = 139, .Top = 51, .Width = 125, .Height = 120,
     .Style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, .Place = OnPage(TPage::Language), .HandCursor = true},

    // The ready page.
    {.Id = TControlId::StatusLabel,
     .Window = &C::StatusLabel, .ClassName = WC_STATICA, .Caption = "Press Continue to install the program", .Left = 3,
     .Top = 55, .Width = 300, .Height = 15, .Style = Label | SS_CENTER, .Place = OnPage(TPage::Ready), .Font = TFontRole::Notice},

    // The finish page.
    {.Id = TControlId::FinalLabel,
     .Window = &C::FinalLabel, .ClassName = WC_STATICA, .Caption = "Program installed successfully", .Left = 3,
     .Top = 55, .Width = 300, .Height = 15, .Style = Label | SS_CENTER, .Place = OnPage(TPage::Finish), .Font = TFontRole::Notice},
    {.Id = TControlId::ThanksLabel,
     .Window = &C::ThanksLabel, .ClassName = WC_STATICA, .Left = 283, .Top = 89, .Style = Label | SS_RIGHT,
     .Place = OnPage(TPage::Finish), .Sizing = TSizing::FitTextRightAligned},
};
// clang-format on
const std::size_t FormLayoutSize = std::size(FormLayout);
