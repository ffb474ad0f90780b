// Program start and end of the installer.
#include "platform/dll_search.h"
#include "platform/com_object.h"
#include "setup/application.h"
#include "setup/setup_form.h"

#include <windows.h>

#include <cstdlib>

// Replaces the library's default std::terminate handler, which prints the
// exception's demangled type to stderr before it aborts. A GUI program has no
// stderr, and the demangler alone is some 45 KB of setup.exe. Being defined
// here, in an object the linker always takes, keeps the library's version out.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
} // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // First of all: a DLL planted beside the installer must not load.
    RestrictDllSearch();
    // Loaded by name later from inside the system's drawing code.
    for (const char* library : {"uxtheme.dll", "msimg32.dll"})
        PinSystemLibrary(library);
    // The shell links rely on a single-threaded apartment.
    TComApartment apartment;
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
