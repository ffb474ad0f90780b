// The wizard window's controls as the layout table makes them: each by
// name, its fonts at the window's DPI, and its drawing, colour and cursor as
// its row says. The form holds them.
#pragma once

#include "platform/handle.h"
#include "setup/form_layout.h"
#include "setup/glyph_button.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

// The language the combo box selects until the start's choices arrive.
inline constexpr int32_t StartLanguage = 0;

// The form holds one; tests see it through the form's Controls().
class TFormControls {
public:
    TFormControls() = default;
    ~TFormControls() = default;
    TFormControls(const TFormControls&) = delete;
    TFormControls& operator=(const TFormControls&) = delete;

    // The DPI the window is laid out for; 96 is the design's.
    int Dpi() const { return dpi_; }
    HWND Sheet(TPage page) const { return Sheets[static_cast<std::size_t>(page)]; }

    // Controls, back to front on the window, then page by page.
    HWND BakImage = nullptr;
    HWND IconImage = nullptr;
    TGlyphButton ContinueBt;
    TGlyphButton ExitBt;
    HWND ProductNameLabel = nullptr;
    TGlyphButton BackBt;
    HWND SimulatorImage = nullptr;
    HWND BottomPanel = nullptr;
    HWND CopyLabel = nullptr;
    HWND Link = nullptr;
    HWND PageFrame = nullptr;
    HWND PageControl = nullptr;
    std::array<HWND, PageCount> Sheets{}; // each page's window, in TPage order
    HWND HeadLabel = nullptr, FullNameLabel = nullptr, VersionLabel = nullptr, CommentLabel = nullptr,
         DeveloperLabel = nullptr;
    HWND FolderPrompt = nullptr, FolderEdit = nullptr, SpaceLabel = nullptr;
    TGlyphButton SelectFolderBt;
    HWND DeskIconCheck = nullptr, StartIconCheck = nullptr;
    HWND PreconfigurationLabel = nullptr, LanguagePrompt = nullptr, LangCombo = nullptr;
    HWND StatusLabel = nullptr;
    HWND FinalLabel = nullptr, ThanksLabel = nullptr;

    // Takes the DPI and makes the fonts for it; the old fonts are handed
    // back, to be kept until every control has its new one (ApplyLayout).
    std::array<TFontHandle, static_cast<std::size_t>(TFontRole::Count)> SetDpi(int dpi);
    // The controls of the table on window that the first page shows, in the
    // table's order, with what they hold at start; their notifications all
    // reach window. The later pages' controls follow in CreateLaterControls,
    // which the window runs once it is on the screen.
    void CreateControls(HWND window);
    void CreateLaterControls(HWND window);
    bool LaterControlsMade() const { return laterMade_; }
    // Places and sizes every control, fonts and artwork included, for dpi_.
    void ApplyLayout(HWND window);

    HFONT Font(TFontRole role) const;
    const TControlSpec* SpecOf(HWND window) const;
    // New text for a label; one sized to its text takes the new size, and
    // what the old text covered is drawn again.
    void SetLabelText(HWND label, const std::string& text);
    // The controls' colours and owner drawing; gradient is BakImage's brush.
    LRESULT OnCtlColor(HDC dc, HWND control, HBRUSH gradient) const;
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item, HBRUSH gradient) const;

    // The hand, from now on, on every control whose row asks for it.
    void LoadHandCursor();
    // The link in its visited colour from now on.
    void MarkLinkVisited();

private:
    int dpi_ = 96;
    std::array<TFontHandle, static_cast<std::size_t>(TFontRole::Count)> fonts_;
    HCURSOR handCursor_ = nullptr; // shown by every control whose row asks, once loaded
    bool linkVisited_ = false;     // the link in its visited colour

    void CreatePages(HWND window);
    void StackControls(const std::vector<TPlace>& places);
    void CreateControl(HWND window, const TControlSpec& spec);
    RECT ControlBounds(const TControlSpec& spec, const std::string& text) const;
    HWND ParentWindow(HWND window, TPlace place) const;
    // Sizes the tabs for dpi_; the page area they leave.
    RECT SizeTabs();
    // The images' icons and the combo box's item height for dpi_.
    void LoadScaledContent();

    TIconHandle programIcon_, simulatorIcon_;                 // IconImage's and SimulatorImage's
    std::vector<std::pair<HWND, const TControlSpec*>> specs_; // every control's row
    HWND toolTip_ = nullptr;
    bool laterMade_ = false;
};
