// The picture behind the wizard's upper part: the grey gradient as painted,
// and the same drawn transparently over the button face, as a brush for
// whatever lies over the picture.
#pragma once

#include "platform/handle.h"

class TBackground {
public:
    // Paints the gradient at that size and composes its transparent form;
    // raises when the picture cannot be made.
    void Paint(int width, int height);

    // Composes the transparent form again, for a new button-face colour.
    // Pixels of the picture's bottom-left colour show the button face.
    void Compose();

    HBITMAP Picture() const { return picture_.get(); }
    // Null until painted, or when the transparent form could not be made.
    HBRUSH Brush() const { return brush_.get(); }

private:
    TBitmapHandle picture_;
    TBitmapHandle composite_;
    TBrushHandle brush_;
};
