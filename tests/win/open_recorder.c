/* Stands for the browser: writes the address it was asked to open into the
   file named by its second argument. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    (void)instance, (void)previous, (void)commandLine, (void)show;
    if (!arguments || count < 3)
        return 2;
    HANDLE file = CreateFileW(arguments[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, arguments[1], (DWORD)(lstrlenW(arguments[1]) * sizeof(WCHAR)), &written, NULL);
    CloseHandle(file);
    return 0;
}
