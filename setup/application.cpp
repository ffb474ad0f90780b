#include "setup/application.h"

#include "platform/errors.h"
#include "platform/message_dialog.h"

namespace Application {

namespace {

HWND mainWindow = nullptr;

void Dispatch(MSG& msg)
{
    if (mainWindow && IsDialogMessageA(mainWindow, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

std::string MessageOf(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::bad_alloc&) {
        return "Out of memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unexpected failure";
    }
}

} // namespace

void SetMainWindow(HWND window)
{
    mainWindow = window;
}

HWND MainWindow()
{
    return mainWindow;
}

int Run()
{
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(msg.wParam);
        if (got == -1)
            return 1;
        Dispatch(msg);
    }
}

void ProcessMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

std::string ErrorReportText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

std::string ReportText(std::exception_ptr error)
{
    return ErrorReportText(MessageOf(error));
}

void ShowErrorReport(const std::string& text) noexcept
{
    try {
        // Our dialog rather than the system's message box: Wine's is no
        // wider than its text, which cuts the title off a short report.
        MessageDlg(text, TMsgDlgType::Error, mbOK, Title);
    } catch (...) {
        HWND owner = mainWindow && IsWindowVisible(mainWindow) ? mainWindow : nullptr;
        MessageBoxA(owner, text.c_str(), Title, MB_OK | MB_ICONERROR | (owner ? 0 : MB_TASKMODAL));
    }
}

void HandleException(std::exception_ptr error) noexcept
{
    try {
        ShowErrorReport(ReportText(error));
    } catch (...) {
        // Out of memory for the text itself: a fixed report is all that is left.
        MessageBoxA(nullptr, "Out of memory.", Title, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
}

} // namespace Application
