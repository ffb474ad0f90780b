// The one window base: the object's pointer is stored at WM_NCCREATE and
// every message goes to a member. No exception leaves the window procedure:
// it goes to the default error report.
#pragma once

#include <windows.h>

#include <exception>

class TWindow {
public:
    TWindow() = default;
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    HWND Handle() const { return handle_; }

protected:
    // Registers the class once per process (same name, same procedure).
    static void RegisterWindowClass(const char* className, HICON icon, HICON smallIcon);
    void CreateHandle(const char* className, DWORD exStyle, DWORD style, const char* caption, int x, int y,
                      int width, int height);

    // The window's messages; Default passes one on to DefWindowProcA.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // An exception that would leave the window procedure: the default error
    // report unless the window has its own.
    virtual void ReportException(std::exception_ptr error) noexcept;
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    // Destroys the window without passing its last messages to the object
    // (a derived class calls it before its members go).
    void DestroyHandle();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HWND handle_ = nullptr;
};
