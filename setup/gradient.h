// The grey gradient behind the wizard's upper part. Portable: no Windows headers.
#pragma once

#include <cstdint>

// Grey level of column x in a picture `width` pixels wide: 245 at the left
// edge down to 145 at the right, 245 - round(x * 100 / (width - 1)) with
// halves rounded to even.
uint8_t GradientLevel(int x, int width);
