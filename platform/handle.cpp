#include "platform/handle.h"

#include "platform/common_controls.h"

namespace handle_detail {

void CloseKernelObject(void* handle) noexcept
{
    ::CloseHandle(handle);
}

void CloseFind(void* handle) noexcept
{
    ::FindClose(handle);
}

void ReleaseResource(void* handle) noexcept
{
    ::FreeResource(handle);
}

void CloseKey(HKEY key) noexcept
{
    ::RegCloseKey(key);
}

void CloseLibrary(HMODULE module) noexcept
{
    ::FreeLibrary(module);
}

void DeleteGdiObject(HGDIOBJ object) noexcept
{
    ::DeleteObject(object);
}

void DestroyIco(HICON icon) noexcept
{
    ::DestroyIcon(icon);
}

void DeleteMemDC(HDC dc) noexcept
{
    ::DeleteDC(dc);
}

void DestroyImages(HIMAGELIST list) noexcept
{
    CommonControls::ImageList_Destroy(list);
}

void FreeLocal(HLOCAL memory) noexcept
{
    ::LocalFree(memory);
}

} // namespace handle_detail
