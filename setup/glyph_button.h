// A graphic push button: a standard owner-drawn Button showing a glyph and
// its caption in the system's visual style. It acts on mouse clicks only:
// it never keeps the keyboard focus and has no accelerator.
#pragma once

#include "platform/handle.h"

#include <string>

class TGlyphButton {
public:
    struct TOptions {
        const char* GlyphResource; // bitmap, images side by side, bottom-left pixel transparent;
                                   // with "_125", "_150" or "_200" added, drawn for that scale
        int ImageCount;            // 1, or 2 when the second image is the disabled state
        bool Flat;                 // no frame unless the mouse is over it
    };

    TGlyphButton() = default;
    ~TGlyphButton();
    TGlyphButton(const TGlyphButton&) = delete;
    TGlyphButton& operator=(const TGlyphButton&) = delete;

    // artScale is the scale the glyph was drawn for: 100, 125, 150 or 200.
    void Create(HWND parent, int id, const std::string& caption, const RECT& bounds, HFONT font,
                const TOptions& options, int artScale);

    // The glyph drawn for another display scale.
    void LoadGlyph(int artScale);

    HWND Handle() const { return handle_; }
    SIZE GlyphSize() const { return glyphSize_; }
    // Shows *cursor over the button while it is not null (else the arrow).
    void UseCursor(const HCURSOR* cursor) { cursor_ = cursor; }

    // WM_DRAWITEM of the button. What lies behind it comes from the
    // parent's answer to WM_CTLCOLORBTN.
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void DrawFrame(HDC dc, const RECT& bounds, bool pressed, bool disabled, RECT& content, POINT& shift) const;

    HWND handle_ = nullptr;
    const char* resource_ = nullptr;
    TImageListHandle glyphs_;
    SIZE glyphSize_{};
    int imageCount_ = 1;
    bool flat_ = false;
    bool hot_ = false;
    const HCURSOR* cursor_ = nullptr;
};
