// Stand-in for the two applications: a real window that greets the user in
// the language its settings file names.
#include <windows.h>
#include <shlobj.h>

#include <string>

#ifdef STANDIN_qova
static const char* const Title = "Qovarium";
static const char* const Section = "QOVA";
static const char* const IniName = "qova.ini";
static const char* const DefaultLibrary = "qovaeng.dll";
#else
static const char* const Title = "QOVA Show Simulator";
static const char* const Section = "QOVASim";
static const char* const IniName = "qovasim.ini";
static const char* const DefaultLibrary = "qsimeng.dll";
#endif

static std::string Greeting()
{
    char appData[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    const std::string ini = std::string(appData) + "\\Norvane\\QOVA\\" + IniName;
    char library[MAX_PATH];
    GetPrivateProfileStringA(Section, "LangLibrary", DefaultLibrary, library, sizeof library, ini.c_str());

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder(self);
    folder.erase(folder.find_last_of('\\') + 1);

    std::string text = Title;
    if (HMODULE lang = LoadLibraryExA((folder + library).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        char buffer[256];
        if (LoadStringA(lang, 1, buffer, sizeof buffer) > 0)
            text = buffer;
        FreeLibrary(lang);
    }
    return text;
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT r;
        GetClientRect(window, &r);
        const std::string text = Greeting();
        DrawTextA(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &ps);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "QovaStandIn";
    RegisterClassA(&wc);
    HWND window = CreateWindowA(wc.lpszClassName, Title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                480, 300, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
