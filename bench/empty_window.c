/* The floor of launching and of memory: one empty window of the wizard's
   size and style, built by the same toolchain with the same options as
   setup.exe, shown, then a message loop until it is closed. */
#include <windows.h>

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    (void)show;
    WNDCLASSEXA wc = {0};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "QovaEmptyWindow";
    if (!RegisterClassExA(&wc))
        return 1;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    RECT frame = {0, 0, 380, 226};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "Installation program", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
