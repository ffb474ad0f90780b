#include "platform/common_controls.h"

namespace CommonControls {

namespace {

// Found once; the library stays loaded for the process's life, as a static
// import would.
struct TLibrary {
    decltype(&::InitCommonControlsEx) initCommonControlsEx = nullptr;
    decltype(&::SetWindowSubclass) setWindowSubclass = nullptr;
    decltype(&::RemoveWindowSubclass) removeWindowSubclass = nullptr;
    decltype(&::DefSubclassProc) defSubclassProc = nullptr;
    decltype(&::ImageList_Create) imageListCreate = nullptr;
    decltype(&::ImageList_AddMasked) imageListAddMasked = nullptr;
    decltype(&::ImageList_Draw) imageListDraw = nullptr;
    decltype(&::ImageList_GetIcon) imageListGetIcon = nullptr;
    decltype(&::ImageList_Destroy) imageListDestroy = nullptr;

    TLibrary()
    {
        HMODULE module = LoadLibraryA("comctl32.dll");
        if (!module)
            return;
        Find(module, "InitCommonControlsEx", initCommonControlsEx);
        Find(module, "SetWindowSubclass", setWindowSubclass);
        Find(module, "RemoveWindowSubclass", removeWindowSubclass);
        Find(module, "DefSubclassProc", defSubclassProc);
        Find(module, "ImageList_Create", imageListCreate);
        Find(module, "ImageList_AddMasked", imageListAddMasked);
        Find(module, "ImageList_Draw", imageListDraw);
        Find(module, "ImageList_GetIcon", imageListGetIcon);
        Find(module, "ImageList_Destroy", imageListDestroy);
    }

    template <typename F>
    static void Find(HMODULE module, const char* name, F& function)
    {
        function = reinterpret_cast<F>(GetProcAddress(module, name));
    }
};

const TLibrary& Library()
{
    static const TLibrary library;
    return library;
}

} // namespace

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes)
{
    const auto f = Library().initCommonControlsEx;
    return f && f(classes);
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data)
{
    const auto f = Library().setWindowSubclass;
    return f && f(window, procedure, id, data);
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id)
{
    const auto f = Library().removeWindowSubclass;
    return f && f(window, procedure, id);
}

LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Only a subclass the library set calls this, so the library is there.
    const auto f = Library().defSubclassProc;
    return f ? f(window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

HIMAGELIST ImageList_Create(int width, int height, UINT flags, int initial, int grow)
{
    const auto f = Library().imageListCreate;
    return f ? f(width, height, flags, initial, grow) : nullptr;
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP bitmap, COLORREF mask)
{
    const auto f = Library().imageListAddMasked;
    return f ? f(list, bitmap, mask) : -1;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style)
{
    const auto f = Library().imageListDraw;
    return f && f(list, index, dc, x, y, style);
}

HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags)
{
    const auto f = Library().imageListGetIcon;
    return f ? f(list, index, flags) : nullptr;
}

BOOL ImageList_Destroy(HIMAGELIST list)
{
    const auto f = Library().imageListDestroy;
    return f && f(list);
}

} // namespace CommonControls
