#include "platform/folder_browser.h"

#include "platform/com_object.h"
#include "platform/dll_search.h"
#include "platform/modal_support.h"

#include <shlobj.h>

namespace {

// Critical-error boxes ("no disk in drive A:") suppressed for the object's life.
class TQuietErrorMode {
public:
    TQuietErrorMode() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~TQuietErrorMode() { SetErrorMode(previous_); }
    TQuietErrorMode(const TQuietErrorMode&) = delete;
    TQuietErrorMode& operator=(const TQuietErrorMode&) = delete;

private:
    UINT previous_;
};

// Memory from the shell's allocator, given back to it.
class TShellMemory {
public:
    TShellMemory(IMalloc* allocator, void* block) : allocator_(allocator), block_(block) {}
    ~TShellMemory()
    {
        if (block_)
            allocator_->Free(block_);
    }
    TShellMemory(const TShellMemory&) = delete;
    TShellMemory& operator=(const TShellMemory&) = delete;
    void* get() const { return block_; }

private:
    IMalloc* allocator_;
    void* block_;
};

// Centres the browser on the monitor nearest the main window, measured from
// that monitor's own origin, so a window on a second screen gets it there.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) noexcept
{
    if (message == BFFM_INITIALIZED) {
        RECT frame{};
        if (GetWindowRect(browser, &frame)) {
            const POINT origin = CentredIn(NearestMonitorRect(reinterpret_cast<HWND>(data)),
                                           frame.right - frame.left, frame.bottom - frame.top);
            SetWindowPos(browser, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return 0;
}

} // namespace

bool BrowseForFolder(HWND owner, HWND mainWindow, const std::string& title, std::string& path)
{
    static const auto getMalloc = SystemFunction<decltype(&::SHGetMalloc)>("shell32.dll", "SHGetMalloc");
    static const auto browse = SystemFunction<decltype(&::SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA");
    static const auto pathFromList =
        SystemFunction<decltype(&::SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA");
    TComPtr<IMalloc> allocator;
    if (FAILED(getMalloc(allocator.put())) || !allocator)
        return false;
    TShellMemory displayName(allocator.get(), allocator->Alloc(MAX_PATH));
    if (!displayName.get())
        return false;

    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pszDisplayName = static_cast<char*>(displayName.get());
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(mainWindow);

    PIDLIST_ABSOLUTE item = nullptr;
    {
        // The new-style dialog needs a single-threaded apartment.
        if (EnterComApartment() == RPC_E_CHANGED_MODE)
            info.ulFlags &= ~static_cast<UINT>(BIF_NEWDIALOGSTYLE);
        TDisabledThreadWindows others(owner);
        TQuietErrorMode errorMode;
        item = browse(&info);
    }
    if (!item)
        return false;
    TShellMemory itemMemory(allocator.get(), item);
    char buffer[MAX_PATH] = "";
    if (!pathFromList(item, buffer))
        return false;
    path = buffer;
    return true;
}
