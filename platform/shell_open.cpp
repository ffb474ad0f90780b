#include "platform/shell_open.h"

#include "platform/com_object.h"
#include "platform/dll_search.h"
#include "platform/message_dialog.h"
#include "platform/system_info.h"
#include "platform/text_encoding.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

namespace {

bool& DesktopTakenAway()
{
    static bool away = false;
    return away;
}

template <typename F>
F OleAut32(const char* name)
{
    return SystemFunction<F>("oleaut32.dll", name);
}

// A BSTR owned for the object's life.
class TBstr {
public:
    explicit TBstr(const std::string& text)
    {
        static const auto allocate = OleAut32<decltype(&::SysAllocString)>("SysAllocString");
        value_ = allocate(AnsiToWide(text).c_str());
    }
    ~TBstr()
    {
        static const auto release = OleAut32<decltype(&::SysFreeString)>("SysFreeString");
        release(value_);
    }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;
    BSTR get() const { return value_; }

private:
    BSTR value_;
};

void EmptyVariant(VARIANT* v)
{
    static const auto init = OleAut32<decltype(&::VariantInit)>("VariantInit");
    init(v);
}

VARIANT TextVariant(BSTR text)
{
    VARIANT v;
    EmptyVariant(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = text;
    return v;
}

// The shell dispatch object of the desktop's own view: its ShellExecute
// runs in the desktop's process, not in this one. Empty when no shell
// desktop answers along the way.
TComPtr<IShellDispatch2> DesktopShell()
{
    TComPtr<IShellWindows> windows;
    if (FAILED(CreateComInstance(CLSID_ShellWindows, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IShellWindows,
                                 windows.put_void())) ||
        !windows)
        return {};
    VARIANT desktop;
    EmptyVariant(&desktop);
    V_VT(&desktop) = VT_I4;
    V_I4(&desktop) = CSIDL_DESKTOP;
    VARIANT root;
    EmptyVariant(&root);
    long window = 0;
    TComPtr<IDispatch> browserWindow;
    if (windows->FindWindowSW(&desktop, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, browserWindow.put()) !=
            S_OK ||
        !browserWindow)
        return {};
    TComPtr<IServiceProvider> services;
    TComPtr<IShellBrowser> browser;
    TComPtr<IShellView> view;
    TComPtr<IDispatch> background;
    TComPtr<IShellFolderViewDual> folderView;
    TComPtr<IDispatch> application;
    TComPtr<IShellDispatch2> shell;
    if (FAILED(browserWindow->QueryInterface(IID_IServiceProvider, services.put_void())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())) ||
        FAILED(browser->QueryActiveShellView(view.put())) || !view ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void())) || !background ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.put_void())) ||
        FAILED(folderView->get_Application(application.put())) || !application ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.put_void())))
        return {};
    return shell;
}

bool OpenThroughDesktop(const std::string& file)
{
    const TComPtr<IShellDispatch2> shell = DesktopShell();
    if (!shell)
        return false;
    const TBstr name(file), verb("open"), none("");
    VARIANT arguments = TextVariant(none.get()), folder = TextVariant(none.get()), operation = TextVariant(verb.get());
    VARIANT show;
    EmptyVariant(&show);
    V_VT(&show) = VT_I4;
    V_I4(&show) = SW_SHOWNORMAL;
    return SUCCEEDED(shell->ShellExecute(name.get(), arguments, folder, operation, show));
}

} // namespace

TOpenRoute ShellOpen(HWND parent, const std::string& file)
{
    if (!DesktopTakenAway() && OpenThroughDesktop(file))
        return TOpenRoute::Desktop;
    if (IsElevated()) {
        // Anything started from here would run with administrator rights.
        AddressDlg("The web page could not be opened for you. To visit it, copy this address into your web "
                   "browser:",
                   file);
        return TOpenRoute::Shown;
    }
    static const auto execute = SystemFunction<decltype(&::ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    execute(parent, "open", file.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
    return TOpenRoute::Direct;
}

TNoShellDesktop::TNoShellDesktop()
{
    DesktopTakenAway() = true;
}

TNoShellDesktop::~TNoShellDesktop()
{
    DesktopTakenAway() = false;
}
