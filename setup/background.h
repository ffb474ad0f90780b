// The picture behind the wizard's upper part: the grey gradient drawn
// transparently over the button face, kept only as the brush that paints
// it and whatever lies over it.
#pragma once

#include "platform/handle.h"

class TBackground {
public:
    // The brush for a picture of that size; raises when it cannot be made.
    void Paint(int width, int height);

    // The brush again, for a new button-face colour. Pixels of the
    // picture's bottom-left colour show the button face.
    void Compose();

    // Null until painted, or when the brush could not be made again.
    HBRUSH Brush() const { return brush_.get(); }

private:
    int width_ = 0, height_ = 0;
    TBrushHandle brush_;
};
