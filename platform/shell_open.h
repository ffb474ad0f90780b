// Opening a document or web address with the program the user has for it.
#pragma once

#include <windows.h>

#include <string>

enum class TOpenRoute {
    Desktop, // started by the shell's own desktop process, with the user's ordinary rights
    Direct,  // ShellExecuteA from this process
    Shown,   // nothing started: the address shown for the user to copy
};

// Opens the file with the "open" verb. An elevated installer must not hand
// its rights to the browser, whose file dialogs would give them to whoever
// sits at the screen, so the shell's desktop process starts it when one
// answers. Without one, an elevated process starts nothing and shows the
// address in a dialog of its own, as text to copy; one that is not elevated
// calls ShellExecuteA, with no parameters or folder and SW_SHOWDEFAULT. The
// result is not examined (no browser: nothing opens).
TOpenRoute ShellOpen(HWND parent, const std::string& file);

// Tests take the desktop away for the object's life, as on a system whose
// shell has none, so that ShellOpen goes the direct way.
class TNoShellDesktop {
public:
    TNoShellDesktop();
    ~TNoShellDesktop();
    TNoShellDesktop(const TNoShellDesktop&) = delete;
    TNoShellDesktop& operator=(const TNoShellDesktop&) = delete;
};
