// Opening a web address from the elevated installer: through the shell's
// desktop process where one answers, else directly, and the page opens
// either way. The "browser" is a recorder registered for a scheme of the
// test's own, in the real registry, which the desktop process reads.
#include "platform/shell_open.h"
#include "platform/message_dialog.h"
#include "platform/system_info.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>

using namespace testing_support;

namespace {

const char* const Scheme = "qovatest";

class ShellOpenTest : public testing::Test {
protected:
    void SetUp() override
    {
        recorder = Env("QOVA_OPEN_RECORDER");
        ASSERT_FALSE(recorder.empty());
        SetRegString(HKEY_CLASSES_ROOT, Scheme, "URL Protocol", "");
        SetRegString(HKEY_CLASSES_ROOT, std::string(Scheme) + "\\shell\\open\\command", "",
                     "\"" + recorder + "\" \"%1\" \"" + opened + "\"");
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, Scheme);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, Scheme);
    }

    // What the recorder was asked to open, once it has run (UTF-16 text).
    std::wstring Opened()
    {
        for (int i = 0; i < 200 && !PathExists(opened); ++i)
            Sleep(50);
        Sleep(100);
        const std::string bytes = ReadText(opened);
        DeleteFileA(opened.c_str());
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }

    TTempDir dir;
    std::string recorder;
    const std::string opened = dir / "opened.txt";
};

TEST_F(ShellOpenTest, PageOpensThroughTheDesktopAndWithoutIt)
{
    const std::string page = std::string(Scheme) + ":page?x=1";
    EXPECT_EQ(TOpenRoute::Desktop, ShellOpen(nullptr, page));
    EXPECT_EQ(L"qovatest:page?x=1", Opened());
    const TNoShellDesktop noDesktop;
    {
        const TAssumedElevation notElevated(false);
        EXPECT_EQ(TOpenRoute::Direct, ShellOpen(nullptr, page));
        EXPECT_EQ(L"qovatest:page?x=1", Opened());
    }
    {
        // Elevated, nothing may start with its rights: the address is shown.
        const TAssumedElevation elevated(true);
        // The address dialog, real, read and closed from inside its loop.
        std::vector<std::string> shown;
        {
            TWindowWatch watch("Information", [&](HWND dialog) {
                std::string texts;
                for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                    texts += LocalWindowText(child) + "\n";
                shown.push_back(texts);
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(mrOk, BN_CLICKED), 0);
            });
            EXPECT_EQ(TOpenRoute::Shown, ShellOpen(nullptr, page));
            EXPECT_TRUE(watch.Seen());
        }
        ASSERT_EQ(1u, shown.size());
        EXPECT_NE(std::string::npos, shown[0].find("copy this address into your web browser:\n"));
        EXPECT_NE(std::string::npos, shown[0].find("\nqovatest:page?x=1\n"));
        Sleep(1000);
        EXPECT_FALSE(PathExists(opened)) << "a program was started";
    }
}

} // namespace
