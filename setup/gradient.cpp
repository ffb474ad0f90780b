#include "setup/gradient.h"

#include <cmath>

uint8_t GradientLevel(int x, int width)
{
    if (width <= 1)
        return 245;
    // nearbyint rounds in the default mode, to nearest with halves to even.
    const double step = std::nearbyint(static_cast<double>(x) * 100.0 / static_cast<double>(width - 1));
    return static_cast<uint8_t>(245 - static_cast<int>(step));
}
