// The program around the one form: its title, the message loop, letting
// pending messages run from inside a handler, and the default error report.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace Application {

// The application title: the main window's caption, its task-bar text and
// the caption of the error report.
inline constexpr const char* Title = "Installation program";

// The window whose dialog keys (Tab between controls) the loops handle.
void SetMainWindow(HWND window);
HWND MainWindow();

// Dispatches messages until WM_QUIT; returns its exit code.
int Run();

// One pass over the pending messages. A WM_QUIT met on the way is posted
// again so that the outer loop still ends.
void ProcessMessages();

// The text of the error report for an exception's message: "." appended
// when the message is not empty and its last byte sorts after ".".
std::string ErrorReportText(const std::string& message);

// The error report's text for an exception: its message (the C++
// library's own text for its failures, "Out of memory" for a failed
// allocation) as ErrorReportText makes it.
std::string ReportText(std::exception_ptr error);

// The default error report: a message dialog with the application title,
// the error icon and OK (the system's message box when the dialog cannot be
// made). Never throws.
void ShowErrorReport(const std::string& text) noexcept;

// ShowErrorReport(ReportText(error)): where an exception would leave a
// window procedure or the program. Never throws.
void HandleException(std::exception_ptr error) noexcept;

} // namespace Application
