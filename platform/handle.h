// The owners of the Windows handles whose types need <windows.h>: registry
// keys, modules, GDI objects, icons, image lists and device contexts. The
// kernel's own handles are in unique_handle.h; COM pointers in com_object.h.
#pragma once

#include "platform/unique_handle.h"

#include <windows.h>

struct _IMAGELIST;
typedef struct _IMAGELIST* HIMAGELIST; // as commctrl.h declares it

namespace handle_detail {
void CloseKey(HKEY key) noexcept;
void CloseLibrary(HMODULE module) noexcept;
void DeleteGdiObject(HGDIOBJ object) noexcept;
void DestroyIco(HICON icon) noexcept;
void DeleteMemDC(HDC dc) noexcept;
void DestroyImages(HIMAGELIST list) noexcept;
void FreeLocal(HLOCAL memory) noexcept;
inline void DeleteFont(HFONT font) noexcept { DeleteGdiObject(font); }
inline void DeleteBitmap(HBITMAP bitmap) noexcept { DeleteGdiObject(bitmap); }
inline void DeleteBrush(HBRUSH brush) noexcept { DeleteGdiObject(brush); }
} // namespace handle_detail

using TRegKey = TUniqueHandle<TNullTraits<HKEY, handle_detail::CloseKey>>;
using TModuleHandle = TUniqueHandle<TNullTraits<HMODULE, handle_detail::CloseLibrary>>;
using TFontHandle = TUniqueHandle<TNullTraits<HFONT, handle_detail::DeleteFont>>;
using TBitmapHandle = TUniqueHandle<TNullTraits<HBITMAP, handle_detail::DeleteBitmap>>;
using TBrushHandle = TUniqueHandle<TNullTraits<HBRUSH, handle_detail::DeleteBrush>>;
using TIconHandle = TUniqueHandle<TNullTraits<HICON, handle_detail::DestroyIco>>;
// A device context of our own, from CreateCompatibleDC.
using TMemoryDC = TUniqueHandle<TNullTraits<HDC, handle_detail::DeleteMemDC>>;
using TImageListHandle = TUniqueHandle<TNullTraits<HIMAGELIST, handle_detail::DestroyImages>>;
// Memory the system allocated for the caller with LocalAlloc.
using TLocalMemory = TUniqueHandle<TNullTraits<HLOCAL, handle_detail::FreeLocal>>;

// A window's device context from GetDC, given back with ReleaseDC, which
// needs the window too; a null window is the whole screen.
class TWindowDC {
public:
    explicit TWindowDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    ~TWindowDC()
    {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A GDI object selected into a device context for the owner's life; the
// one it replaced is selected again afterwards. The object is not owned.
class TSelectedObject {
public:
    TSelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    TSelectedObject(const TSelectedObject&) = delete;
    TSelectedObject& operator=(const TSelectedObject&) = delete;
    ~TSelectedObject()
    {
        if (old_)
            ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};
