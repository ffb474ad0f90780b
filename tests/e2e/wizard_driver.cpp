#include "tests/e2e/wizard_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace e2e {

namespace {

struct TSearch {
    DWORD ProcessId;
    const std::string* ClassName;
    const char* Text;
    HWND Found;
};

BOOL CALLBACK FindChildProc(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<TSearch*>(data);
    if (ClassOf(window) == *search.ClassName && (!search.Text || TextOf(window) == search.Text)) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindTopProc(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<TSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.ProcessId && IsWindowVisible(window) && ClassOf(window) == *search.ClassName) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopWindow(DWORD processId, const std::string& className)
{
    TSearch search{processId, &className, nullptr, nullptr};
    EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

BOOL CALLBACK CollectChildProc(HWND window, LPARAM data)
{
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    return TRUE;
}

void PostMouse(HWND control, UINT message, WPARAM keys)
{
    RECT client{};
    GetClientRect(control, &client);
    PostMessageA(control, message, keys, MAKELPARAM(client.right / 2, client.bottom / 2));
}

} // namespace

LONGLONG Now()
{
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double SecondsSince(LONGLONG start)
{
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(Now() - start) / static_cast<double>(frequency.QuadPart);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() > deadline)
            return false;
        Sleep(1);
    }
    return true;
}

std::string ClassOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return "<no answer>";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        5000, &copied);
    text.resize(std::min<size_t>(copied, length));
    return text;
}

HWND FindControl(HWND parent, const std::string& className, const char* text)
{
    TSearch search{0, &className, text, nullptr};
    EnumChildWindows(parent, FindChildProc, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

namespace {

struct TIdSearch {
    int Id;
    HWND Found;
};

BOOL CALLBACK FindIdProc(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<TIdSearch*>(data);
    if (GetDlgCtrlID(window) != search.Id)
        return TRUE;
    search.Found = window;
    return FALSE;
}

} // namespace

HWND FindControl(HWND wizard, TControlId id)
{
    TIdSearch search{static_cast<int>(id), nullptr};
    EnumChildWindows(wizard, FindIdProc, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

TPage ShownPage(HWND pageControl)
{
    DWORD_PTR page = static_cast<DWORD_PTR>(-1);
    if (!SendMessageTimeoutA(pageControl, TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &page) || page >= PageCount)
        return TPage::Count;
    return static_cast<TPage>(page);
}

TSetupProcess::TSetupProcess(const std::string& exePath)
{
    const std::string folder = exePath.substr(0, exePath.find_last_of('\\'));
    std::string commandLine = "\"" + exePath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    started_ = Now();
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
        startError_ = GetLastError();
        return;
    }
    TKernelHandle thread(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
}

bool TSetupProcess::Running() const
{
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool TSetupProcess::WaitForExit(DWORD timeoutMs, DWORD& exitCode) const
{
    if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(process_.get(), &exitCode) != 0;
}

void TSetupProcess::Kill() const
{
    if (Running())
        TerminateProcess(process_.get(), 99);
}

HWND TSetupProcess::FindVisibleWindow(const std::string& className) const
{
    return id_ ? FindTopWindow(id_, className) : nullptr;
}

bool TSetupProcess::FindDialog(TDialog& dialog) const
{
    HWND window = id_ ? FindTopWindow(id_, "#32770") : nullptr;
    if (!window)
        return false;
    dialog = TDialog{};
    dialog.Window = window;
    dialog.Caption = TextOf(window);
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChildProc, reinterpret_cast<LPARAM>(&children));
    std::vector<std::pair<LONG, HWND>> buttons;
    for (HWND child : children) {
        const std::string kind = ClassOf(child);
        if (kind == "Static") {
            const std::string text = TextOf(child);
            if (!text.empty())
                dialog.Text += (dialog.Text.empty() ? "" : "\n") + text;
        } else if (kind == "Button" && IsWindowVisible(child)) {
            RECT place{};
            GetWindowRect(child, &place);
            buttons.emplace_back(place.left, child);
        }
    }
    std::sort(buttons.begin(), buttons.end());
    for (const auto& button : buttons) {
        dialog.Buttons.push_back(button.second);
        dialog.ButtonTexts.push_back(TextOf(button.second));
    }
    return true;
}

bool TSetupProcess::WaitForDialog(TDialog& dialog, DWORD timeoutMs) const
{
    if (!WaitUntil([&] { return FindDialog(dialog) || !Running(); }, timeoutMs) || !dialog.Window)
        return false;
    // The dialog is visible once created; let it finish its first painting.
    Settle(dialog.Window);
    return FindDialog(dialog);
}

void ClickWithMouse(HWND control)
{
    RECT client{};
    GetClientRect(control, &client);
    POINT centre{client.right / 2, client.bottom / 2};
    ClientToScreen(control, &centre);
    SetCursorPos(centre.x, centre.y);
    PostMouse(control, WM_MOUSEMOVE, 0);
    PostMouse(control, WM_LBUTTONDOWN, MK_LBUTTON);
    PostMouse(control, WM_LBUTTONUP, 0);
}

void PressButton(HWND button)
{
    PostMessageA(button, BM_CLICK, 0, 0);
}

void CloseWithCloseBox(HWND dialog)
{
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void Settle(HWND window)
{
    DWORD_PTR ignored = 0;
    for (int round = 0; round < 3; ++round) {
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        Sleep(100);
    }
}

bool SaveScreenshot(HWND window, const std::string& bmpPath)
{
    RECT place{};
    if (!GetWindowRect(window, &place))
        return false;
    const int width = place.right - place.left, height = place.bottom - place.top;
    const TWindowDC screen(nullptr);
    const TMemoryDC memory(CreateCompatibleDC(screen.get()));
    const TBitmapHandle bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!screen || !memory || !bitmap)
        return false;
    {
        const TSelectedObject selected(memory.get(), bitmap.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), place.left, place.top, SRCCOPY))
            return false;
    }

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height; // bottom-up, as BMP files store it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<char> pixels(stride * static_cast<size_t>(height));
    if (GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(),
                  reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) != height)
        return false;
    // One colour throughout is no picture of a window (not drawn, or off screen).
    bool varied = false;
    for (size_t y = 0; y < static_cast<size_t>(height) && !varied; ++y)
        for (size_t x = 0; x < static_cast<size_t>(width) && !varied; ++x)
            varied = std::memcmp(&pixels[y * stride + x * 3], pixels.data(), 3) != 0;
    if (!varied)
        return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::ofstream out(bmpPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

} // namespace e2e
