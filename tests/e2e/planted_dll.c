/* Stands for a DLL planted in a downloads folder: when anything loads it,
   it leaves a file named planted-dll-loaded beside itself. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH + 32];
        DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
        while (length > 0 && path[length - 1] != '\\')
            --length;
        lstrcpyA(path + length, "planted-dll-loaded");
        HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (marker != INVALID_HANDLE_VALUE)
            CloseHandle(marker);
    }
    return TRUE;
}
