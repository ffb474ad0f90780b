// A control's text and what it measures.
#pragma once

#include <windows.h>

#include <string>

std::string WindowText(HWND window);

// Width and height of one line of text in the font, "&" taken literally.
SIZE TextSize(HFONT font, const std::string& text);
