// The modal message dialog the installer uses for all its questions and
// reports. Not a MessageBox: that has no "Yes to All".
#pragma once

#include "platform/dialog_types.h"

#include <string>

// Shows text with the type's icon and caption ("Warning" or "Error", unless
// another caption is given) and the given buttons ("&Yes" 6, "&No" 7, "OK"
// 1, "Yes to &All" 10, left to right), centred on the screen, the
// installer's other windows disabled. The dialog is at least as wide as its
// caption needs. Enter is "OK" when present, else "&Yes"; Escape is "&No"
// when present, else "OK"; the close box gives 2. Returns the result.
int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, const char* caption = nullptr);

// An information dialog ("Information") with text and, below it, address
// as read-only text, selected, that the user can copy; one "OK" button.
void AddressDlg(const std::string& text, const std::string& address);
