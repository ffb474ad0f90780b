/* Stands for a DLL planted in a downloads folder: when anything loads it,
   it leaves a file named after itself with "-loaded" added, beside itself,
   so that one copy can be planted under several names. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH + 16];
        DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return TRUE;
        lstrcpyA(path + length, "-loaded");
        HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (marker != INVALID_HANDLE_VALUE)
            CloseHandle(marker);
    }
    return TRUE;
}
