#include "platform/dll_search.h"

#include "platform/errors.h"
#include "platform/win_error.h"

#include <windows.h>

#include <string>

namespace {

// The library by its full path in the system folder; null on failure.
HMODULE LoadSystemLibrary(const char* name)
{
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return nullptr;
    return LoadLibraryA((std::string(folder) + "\\" + name).c_str());
}

// Found at run time: a static import of a call the system lacks would stop
// the program from starting at all.
template <typename F>
F KernelFunction(const char* name)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<F>(GetProcAddress(kernel, name)) : nullptr;
}

} // namespace

void RestrictDllSearch()
{
    using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    using TSetDllDirectoryA = BOOL(WINAPI*)(LPCSTR);
    using TSetSearchPathMode = BOOL(WINAPI*)(DWORD);

    if (auto setDefault = KernelFunction<TSetDefaultDllDirectories>("SetDefaultDllDirectories"))
        if (setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
            return;
    // Without the default-directory call: drop the current folder from the
    // search and make SearchPath look in it last.
    if (auto setDirectory = KernelFunction<TSetDllDirectoryA>("SetDllDirectoryA"))
        setDirectory("");
    if (auto setMode = KernelFunction<TSetSearchPathMode>("SetSearchPathMode"))
        setMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}

void PinSystemLibrary(const char* name)
{
    // Never freed: the point is that it stays.
    LoadSystemLibrary(name);
}

void* SystemLibraryFunction(const char* library, const char* name)
{
    // Callers keep the address; a load of one already loaded only counts
    // up, and it is never freed either.
    HMODULE module = LoadSystemLibrary(library);
    FARPROC function = module ? GetProcAddress(module, name) : nullptr;
    if (!function)
        throw Exception(SystemErrorText(GetLastError()));
    return reinterpret_cast<void*>(function);
}
