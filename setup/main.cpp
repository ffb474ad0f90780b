// Program start and end of the installer.
#include "platform/dll_search.h"
#include "platform/resource.h"
#include "setup/application.h"
#include "setup/setup_form.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // First of all: a DLL planted beside the installer must not load.
    RestrictDllSearch();
    // Before anyone could move it away and put another file at its name.
    HoldProgramFile();
    // Loaded by name later from inside the system's drawing code.
    for (const char* library : {"uxtheme.dll", "msimg32.dll"})
        PinSystemLibrary(library);
    int exitCode = 0;
    try {
        TSetupForm SetupForm;
        SetupForm.Show();
        exitCode = Application::Run();
    } catch (...) {
        Application::HandleException(std::current_exception());
        exitCode = 1;
    }
    return exitCode;
}
