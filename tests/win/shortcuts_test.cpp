// Shell links read back through the shell's own link object, internet
// shortcuts byte for byte, what both log and what the shell is told.
#include "shell/shortcuts.h"

#include "engine/product_manifest.h"
#include "platform/file_system.h"
#include "platform/handle.h"
#include "platform/text_encoding.h"
#include "platform/win_error.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <utility>

using namespace testing_support;
namespace pm = ProductManifest;

namespace {

// Records the shell's folder-created notifications for everything under a
// folder, through a message-only window of this thread.
class TShellEvents {
public:
    explicit TShellEvents(const std::string& folder) : folder_(folder)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &TShellEvents::Proc;
        wc.lpszClassName = "QovaShellEvents";
        RegisterClassA(&wc);
        window_ = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SHChangeNotifyEntry entry{};
        entry.pidl = ILCreateFromPathA(folder.c_str());
        entry.fRecursive = TRUE;
        id_ = SHChangeNotifyRegister(window_, SHCNRF_InterruptLevel | SHCNRF_ShellLevel,
                                     SHCNE_MKDIR | SHCNE_UPDATEDIR, Message, 1, &entry);
        ILFree(const_cast<PIDLIST_ABSOLUTE>(entry.pidl));
        EXPECT_NE(0u, id_);
    }
    ~TShellEvents()
    {
        SHChangeNotifyDeregister(id_);
        DestroyWindow(window_);
    }
    TShellEvents(const TShellEvents&) = delete;
    TShellEvents& operator=(const TShellEvents&) = delete;

    // The folder-created events so far, as "path" lines. A flushed marker
    // event follows them; messages run until it has arrived.
    std::string Take()
    {
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA | SHCNF_FLUSH, folder_.c_str(), nullptr);
        MSG msg;
        for (int turn = 0; !marked_ && turn < 10000; ++turn) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            if (!marked_)
                Sleep(1);
        }
        EXPECT_TRUE(marked_) << "the shell delivered no notification at all";
        marked_ = false;
        return std::exchange(events_, {});
    }

private:
    static constexpr UINT Message = WM_APP + 17;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<TShellEvents*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != Message || !self)
            return DefWindowProcA(window, message, wParam, lParam);
        const auto* items = reinterpret_cast<PIDLIST_ABSOLUTE*>(wParam);
        char path[MAX_PATH] = {};
        if (items && items[0])
            SHGetPathFromIDListA(items[0], path);
        if (lParam == SHCNE_UPDATEDIR)
            self->marked_ = true;
        else if (lParam == SHCNE_MKDIR)
            self->events_ += std::string(path) + "\n";
        return 0;
    }

    std::string folder_;
    HWND window_ = nullptr;
    ULONG id_ = 0;
    std::string events_;
    bool marked_ = false;
};

std::string WithoutBlankLines(std::string text)
{
    for (auto at = text.find("\r\n\r\n"); at != std::string::npos; at = text.find("\r\n\r\n"))
        text.erase(at, 2);
    return text;
}

class ShortcutTest : public testing::Test {
protected:
    void SetUp() override
    {
        logPath = dir / "install.log";
        log.InstallLog = std::make_unique<TInstallLog>(logPath);
    }

    // The log as the uninstaller will find it.
    std::string LogText()
    {
        log.InstallLog.reset();
        return WithoutBlankLines(ReadText(logPath));
    }

    void Link(const std::string& linkFile, const std::string& target = "C:\\windows\\notepad.exe")
    {
        CreateShellLink(log, "C:\\windows\\", target, "", AnsiToWide(linkFile), "Editor", target, 0);
    }

    // A folder as the shell names it in a notification.
    static std::string Named(std::string folder)
    {
        if (folder.size() > 3 && folder.back() == '\\')
            folder.pop_back();
        return folder + "\n";
    }

    TTempDir dir;
    TShellEvents shell{dir.Path()};
    std::string logPath;
    TLogState log;
};

TEST(LinkFolderTest, DriveRootsAndALeadingBackslashKeepTheirBackslash)
{
    EXPECT_EQ(L"C:\\", LinkFolderOf(L"C:\\QOVA.lnk"));
    EXPECT_EQ(L"\\", LinkFolderOf(L"\\QOVA.lnk"));
    EXPECT_EQ(L"C:\\Users\\me\\Desktop", LinkFolderOf(L"C:\\Users\\me\\Desktop\\QOVA.lnk"));
    EXPECT_EQ(L"\\\\server\\share", LinkFolderOf(L"\\\\server\\share\\QOVA.lnk"));
    EXPECT_EQ(L"", LinkFolderOf(L"QOVA.lnk"));
}

// The four program links as the installation makes them, read back by the shell.
TEST_F(ShortcutTest, DesktopAndGroupLinksReadBackWithTheirSettings)
{
    const std::string installDir = dir / "Program Files\\QOVA\\";
    ASSERT_TRUE(CreateDirectoryA((dir / "Program Files").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(installDir.c_str(), nullptr));
    const std::string payload = Env("QOVA_PAYLOAD_DIR");
    ASSERT_FALSE(payload.empty()) << "QOVA_PAYLOAD_DIR is not set";
    const std::string mainExe = installDir + pm::PayloadTable[0].FileName;
    const std::string simExe = installDir + pm::PayloadTable[1].FileName;
    ASSERT_TRUE(CopyFileA((payload + "\\" + pm::PayloadTable[0].FileName).c_str(), mainExe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((payload + "\\" + pm::PayloadTable[1].FileName).c_str(), simExe.c_str(), FALSE));

    const std::string desktop = dir / "Desktop\\";
    const std::string group = dir / "Programs\\QOVA\\";
    ASSERT_TRUE(CreateDirectoryA(desktop.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((dir / "Programs").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(group.c_str(), nullptr));

    const pm::TProductIdentity& id = pm::ProductIdentity;
    struct TRow {
        std::string LinkFile, Target, Description;
    };
    const TRow rows[] = {
        {desktop + id.ShortName + ".lnk", mainExe, id.FullName},
        {desktop + id.SimShortName + ".lnk", simExe, id.SimFullName},
        {group + id.ShortName + ".lnk", mainExe, id.FullName},
        {group + id.SimShortName + ".lnk", simExe, id.SimFullName},
    };
    for (const TRow& row : rows)
        CreateShellLink(log, installDir, row.Target, "", AnsiToWide(row.LinkFile), row.Description, row.Target, 0);

    for (const TRow& row : rows) {
        SCOPED_TRACE(row.LinkFile);
        const TLinkData link = ReadLink(row.LinkFile);
        EXPECT_STRCASEEQ(row.Target.c_str(), link.Path.c_str());
        EXPECT_STRCASEEQ(installDir.c_str(), link.WorkingFolder.c_str());
        EXPECT_EQ("", link.Arguments);
        EXPECT_EQ(row.Description, link.Description);
        // The simulator's links take the simulator's own icon.
        EXPECT_STRCASEEQ(row.Target.c_str(), link.IconFile.c_str());
        EXPECT_EQ(0, link.IconIndex);
    }

    // The shell hears of the folder, not the file, once per link.
    EXPECT_EQ(Named(desktop) + Named(desktop) + Named(group) + Named(group), shell.Take());
    // All folders existed: only the files are logged, in the order made.
    EXPECT_EQ("[Files]\r\n"
              "1=" + rows[0].LinkFile + "\r\n"
              "2=" + rows[1].LinkFile + "\r\n"
              "3=" + rows[2].LinkFile + "\r\n"
              "4=" + rows[3].LinkFile + "\r\n",
              LogText());
}

TEST_F(ShortcutTest, MissingFolderIsCreatedAndLoggedBeforeTheLink)
{
    const std::string folder = dir / "Desktop";
    const std::string linkFile = folder + "\\QOVA.lnk";
    Link(linkFile);
    EXPECT_STRCASEEQ("C:\\windows\\notepad.exe", ReadLink(linkFile).Path.c_str());
    EXPECT_EQ(Named(folder), shell.Take());
    // The folder as worked out from the link file, without its backslash.
    EXPECT_EQ("[Folders]\r\n"
              "1=" + folder + "\r\n"
              "[Files]\r\n"
              "1=" + linkFile + "\r\n",
              LogText());
}

// Only one level is created; the save then fails unseen and both are logged.
TEST_F(ShortcutTest, FolderTwoLevelsDownIsNotCreatedButStillLogged)
{
    const std::string folder = dir / "Outer\\Inner";
    const std::string linkFile = folder + "\\QOVA.lnk";
    EXPECT_NO_THROW(Link(linkFile));
    EXPECT_FALSE(PathExists(dir / "Outer"));
    EXPECT_FALSE(PathExists(linkFile));
    EXPECT_EQ("[Folders]\r\n"
              "1=" + folder + "\r\n"
              "[Files]\r\n"
              "1=" + linkFile + "\r\n",
              LogText());
}

TEST_F(ShortcutTest, ExistingLinkFileIsReplacedAndOnlyTheFileLogged)
{
    const std::string linkFile = dir / "QOVA.lnk";
    WriteBytes(linkFile, std::string(5000, 'x'));
    Link(linkFile, "C:\\windows\\regedit.exe");
    EXPECT_STRCASEEQ("C:\\windows\\regedit.exe", ReadLink(linkFile).Path.c_str());
    EXPECT_LT(ReadBytes(linkFile).size(), 5000u);
    EXPECT_EQ(Named(dir.Path()), shell.Take());
    EXPECT_EQ("[Files]\r\n1=" + linkFile + "\r\n", LogText());
}

// The user's folders are the user's to link anywhere, even where only an
// administrator may write: nothing is written through such a link, and a
// file with a second name elsewhere is replaced by a new one, not rewritten.
TEST_F(ShortcutTest, NothingIsWrittenThroughALinkOnTheWayOrIntoAnotherName)
{
    const std::string links = Env("QOVA_TEST_LINKS");
    ASSERT_FALSE(links.empty()) << "no links to test with";
    const std::string desktop = links + "\\junction";
    Link(desktop + "\\QOVA.lnk");
    Link(desktop + "\\Group\\QOVA.lnk");
    EXPECT_RAISES(CreateFileMessage(desktop + "\\page.url", ERROR_CANT_RESOLVE_FILENAME),
                  CreateUrlShortcut(log, desktop, "page", "http://x/", "", 0));
    EXPECT_EQ(std::vector<std::string>{"victim.txt"}, FolderEntries(links + "\\target"));

    // Nor where the user, unelevated, could not write: a folder the user's
    // settings name that gives the user no right to add to it.
    const std::string closed = dir / "Closed";
    ASSERT_TRUE(CreateDirectoryA(closed.c_str(), nullptr));
    SetDacl(closed, "D:P(A;;0x1200a9;;;WD)");
    Link(closed + "\\QOVA.lnk");
    Link(closed + "\\Group\\QOVA.lnk");
    EXPECT_EQ(std::vector<std::string>{}, FolderEntries(closed)) << DaclText(closed);
    MakeWritableByEveryone(closed);

    const std::string linkFile = dir / "QOVA.lnk", otherName = dir / "elsewhere.txt";
    WriteBytes(otherName, "the user's file");
    ASSERT_TRUE(CreateHardLinkA(linkFile.c_str(), otherName.c_str(), nullptr));
    Link(linkFile);
    EXPECT_STRCASEEQ("C:\\windows\\notepad.exe", ReadLink(linkFile).Path.c_str());
    EXPECT_EQ("the user's file", ReadText(otherName));
}

DWORD WINAPI RunCall(void* call)
{
    (*static_cast<std::function<void()>*>(call))();
    return 0;
}

// Runs call on a new thread, which has not entered COM, and waits for it.
void OnNewThread(std::function<void()> call)
{
    const TKernelHandle thread(CreateThread(nullptr, 0, RunCall, &call, 0, nullptr));
    ASSERT_TRUE(thread);
    WaitForSingleObject(thread.get(), INFINITE);
}

// A thread without COM cannot create the link object: nothing is written.
TEST_F(ShortcutTest, LinkObjectThatCannotBeCreatedRaisesWithTheClassId)
{
    const std::string linkFile = dir / "Missing\\QOVA.lnk";
    std::string message;
    OnNewThread([&] { message = MessageOf([&] { Link(linkFile); }); });
    EXPECT_EQ(SystemErrorText(static_cast<DWORD>(CO_E_NOTINITIALIZED)) +
                  ", ClassID: {00021401-0000-0000-C000-000000000046}",
              message);
    EXPECT_FALSE(PathExists(dir / "Missing"));
    EXPECT_FALSE(PathExists(logPath));
    EXPECT_EQ(1, log.FileCounter);
    EXPECT_EQ(1, log.FolderCounter);
}

class UrlShortcutTest : public ShortcutTest {};

TEST_F(UrlShortcutTest, WithoutIconFileFourLines)
{
    // The folder gets its backslash.
    const std::string folder = dir.Path().substr(0, dir.Path().size() - 1);
    CreateUrlShortcut(log, folder, "Norvane web page", "https://a.example/x?y=1&z", "", 1);
    const std::string file = dir / "Norvane web page.url";
    EXPECT_EQ("[DEFAULT]\r\n"
              "BASEURL=https://a.example/x?y=1&z\r\n"
              "[InternetShortcut]\r\n"
              "URL=https://a.example/x?y=1&z\r\n",
              ReadText(file));
    EXPECT_EQ(Named(dir.Path()), shell.Take());
    EXPECT_EQ("[Files]\r\n1=" + file + "\r\n", LogText());
}

TEST_F(UrlShortcutTest, WithIconFileTheIndexComesFirst)
{
    CreateUrlShortcut(log, dir.Path(), "Brelkon web page", pm::ProductIdentity.AboutURL, "C:\\Program Files\\QOVA\\QOVA.exe",
                      1);
    CreateUrlShortcut(log, dir.Path(), "negative", "http://n/", "i.ico", -12);
    EXPECT_EQ(std::string("[DEFAULT]\r\n"
                          "BASEURL=") + pm::ProductIdentity.AboutURL + "\r\n"
                  "[InternetShortcut]\r\n"
                  "URL=" + pm::ProductIdentity.AboutURL + "\r\n"
                  "IconIndex=1\r\n"
                  "IconFile=C:\\Program Files\\QOVA\\QOVA.exe\r\n",
              ReadText(dir / "Brelkon web page.url"));
    EXPECT_EQ("[DEFAULT]\r\nBASEURL=http://n/\r\n[InternetShortcut]\r\nURL=http://n/\r\nIconIndex=-12\r\n"
              "IconFile=i.ico\r\n",
              ReadText(dir / "negative.url"));
    EXPECT_EQ("[Files]\r\n1=" + dir / "Brelkon web page.url" + "\r\n2=" + dir / "negative.url" + "\r\n",
              LogText());
}

TEST_F(UrlShortcutTest, SizeRuleAndAnExistingFileIsReplaced)
{
    const std::string url(20, 'u');
    const std::string icon = "C:\\" + std::string(27, 'i');
    ASSERT_EQ(30u, icon.size());
    const std::string file = dir / "sized.url";
    WriteBytes(file, std::string(1000, 'x'));
    CreateUrlShortcut(log, dir.Path(), "sized", url, icon, 1);
    const auto bytes = ReadBytes(file);
    ASSERT_EQ(141u, bytes.size());
    EXPECT_EQ('\r', bytes[139]);
    EXPECT_EQ('\n', bytes[140]);
}

TEST_F(UrlShortcutTest, UncreatableFileRaisesAndLogsNothing)
{
    const std::string file = dir / "Missing\\page.url";
    EXPECT_RAISES("Cannot create file \"" + file + "\". " + SystemErrorText(ERROR_PATH_NOT_FOUND),
                  CreateUrlShortcut(log, dir / "Missing", "page", "http://x/", "", 0));
    EXPECT_FALSE(PathExists(dir / "Missing"));

    // A link planted under the shortcut's name is refused, not written through.
    const std::string links = Env("QOVA_TEST_LINKS");
    ASSERT_FALSE(links.empty()) << "no links to test with";
    EXPECT_RAISES("Cannot create file \"" + links + "\\page.url\". " + SystemErrorText(ERROR_CANT_RESOLVE_FILENAME),
                  CreateUrlShortcut(log, links, "page", "http://x/", "", 0));
    EXPECT_TRUE(IsReparsePoint(links + "\\page.url")) << "the link itself is left";
    EXPECT_FALSE(PathExists(logPath));
    EXPECT_EQ(1, log.FileCounter);
    EXPECT_EQ("", shell.Take());
}

} // namespace
