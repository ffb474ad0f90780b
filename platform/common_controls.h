// The common controls, loaded at first use instead of imported. They are
// the one library of the program's that is not a KnownDLL: loaded after the
// DLL search has been restricted, neither they nor what they load (uxtheme)
// can come from the folder the installer was started in, such as a
// downloads folder. The manifest's activation context still picks version 6.
#pragma once

#include <windows.h>
#include <commctrl.h>

// The functions the wizard uses, by the names the library gives them. Each
// reports failure as its own does when the library cannot be loaded.
namespace CommonControls {

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes);
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HIMAGELIST ImageList_Create(int width, int height, UINT flags, int initial, int grow);
int ImageList_AddMasked(HIMAGELIST list, HBITMAP bitmap, COLORREF mask);
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags);
BOOL ImageList_Destroy(HIMAGELIST list);

} // namespace CommonControls
