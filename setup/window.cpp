#include "setup/window.h"

#include "platform/errors.h"
#include "platform/win_error.h"
#include "setup/application.h"

#include <utility>

TWindow::~TWindow()
{
    DestroyHandle();
}

void TWindow::DestroyHandle()
{
    if (handle_) {
        // The object is going: the procedure must not reach it any more.
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        DestroyWindow(std::exchange(handle_, nullptr));
    }
}

void TWindow::RegisterWindowClass(const char* className, HICON icon, HICON smallIcon)
{
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(GetModuleHandleA(nullptr), className, &existing))
        return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    if (!RegisterClassExA(&wc))
        throw Exception("Cannot register the window class. " + SystemErrorText(GetLastError()));
}

void TWindow::CreateHandle(const char* className, DWORD exStyle, DWORD style, const char* caption, int x, int y,
                           int width, int height)
{
    if (!CreateWindowExA(exStyle, className, caption, style, x, y, width, height, nullptr, nullptr,
                         GetModuleHandleA(nullptr), this))
        throw Exception("Cannot create the window. " + SystemErrorText(GetLastError()));
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return Default(message, wParam, lParam);
}

LRESULT TWindow::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(handle_, message, wParam, lParam);
}

void TWindow::ReportException(std::exception_ptr error) noexcept
{
    Application::HandleException(error);
}

LRESULT CALLBACK TWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->handle_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        self->ReportException(std::current_exception());
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
    }
    return result;
}
