// Well-known folders against a scratch registry and real folders.
#include "shell/known_folders.h"

#include "platform/registry.h"
#include "platform/system_info.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

using testing_support::PathExists;
using testing_support::SetRegDword;
using testing_support::SetRegString;
using testing_support::TScratchRegistry;
using testing_support::TTempDir;

namespace {

const char* const ShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const NtKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
const char* const WinKey = "Software\\Microsoft\\Windows\\CurrentVersion";

// A value of the given type with no data bytes at all.
void SetEmptyRegValue(HKEY root, const std::string& key, const std::string& name, DWORD type)
{
    const TRegKey k = CreateRegKey(root, key, KEY_ALL_ACCESS);
    ASSERT_TRUE(k);
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(k.get(), name.c_str(), 0, type, nullptr, 0));
}

std::string WithoutTrailingBackslash(std::string path)
{
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

class ProgramFilesTest : public testing::Test {
protected:
    TScratchRegistry registry;
};

TEST_F(ProgramFilesTest, NtKeyWinsOverWindowsKey)
{
    ASSERT_TRUE(IsWindowsNT());
    SetRegString(HKEY_LOCAL_MACHINE, NtKey, "ProgramFilesDir", "C:\\NT Programs");
    SetRegString(HKEY_LOCAL_MACHINE, WinKey, "ProgramFilesDir", "C:\\Win Programs");
    EXPECT_EQ("C:\\NT Programs", GetProgramFilesDir());
    EXPECT_EQ("C:\\NT Programs\\QOVA", DefaultInstallFolder());
}

TEST_F(ProgramFilesTest, WindowsKeyWhenNtKeyHasNoUsableValue)
{
    SetRegDword(HKEY_LOCAL_MACHINE, NtKey, "ProgramFilesDir", 7);
    SetRegString(HKEY_LOCAL_MACHINE, WinKey, "ProgramFilesPath", "D:\\Apps");
    EXPECT_EQ("D:\\Apps", GetProgramFilesDir());
}

TEST_F(ProgramFilesTest, DwordOrZeroSizeDirValueFallsThroughToPathValue)
{
    SetRegDword(HKEY_LOCAL_MACHINE, WinKey, "ProgramFilesDir", 1);
    SetRegString(HKEY_LOCAL_MACHINE, WinKey, "ProgramFilesPath", "E:\\From Path");
    std::string result;
    EXPECT_TRUE(ReadProgramFilesValue(WinKey, result));
    EXPECT_EQ("E:\\From Path", result);

    SetEmptyRegValue(HKEY_LOCAL_MACHINE, WinKey, "ProgramFilesDir", REG_SZ);
    result.clear();
    EXPECT_TRUE(ReadProgramFilesValue(WinKey, result));
    EXPECT_EQ("E:\\From Path", result);
}

TEST_F(ProgramFilesTest, NothingUsableLeavesResultUntouched)
{
    std::string result = "untouched";
    EXPECT_FALSE(ReadProgramFilesValue(NtKey, result)) << "key missing";
    EXPECT_EQ("untouched", result);

    SetRegDword(HKEY_LOCAL_MACHINE, NtKey, "ProgramFilesDir", 1);
    SetEmptyRegValue(HKEY_LOCAL_MACHINE, NtKey, "ProgramFilesPath", REG_EXPAND_SZ);
    EXPECT_FALSE(ReadProgramFilesValue(NtKey, result));
    EXPECT_EQ("untouched", result);
}

TEST_F(ProgramFilesTest, EmptyStringIsFoundAndEndsTheSearch)
{
    SetRegString(HKEY_LOCAL_MACHINE, NtKey, "ProgramFilesDir", "");
    SetRegString(HKEY_LOCAL_MACHINE, NtKey, "ProgramFilesPath", "C:\\Not This");
    SetRegString(HKEY_LOCAL_MACHINE, WinKey, "ProgramFilesDir", "C:\\Nor This");
    std::string result = "untouched";
    EXPECT_TRUE(ReadProgramFilesValue(NtKey, result));
    EXPECT_EQ("", result);
    EXPECT_EQ("", GetProgramFilesDir());
    EXPECT_EQ("\\QOVA", DefaultInstallFolder());
}

TEST_F(ProgramFilesTest, ExpandableValueIsExpandedAndUndefinedVariableKept)
{
    ASSERT_TRUE(SetEnvironmentVariableA("QOVA_TEST_DRIVE", "Q:"));
    SetRegString(HKEY_LOCAL_MACHINE, NtKey, "ProgramFilesPath", "%QOVA_TEST_DRIVE%\\Programs", REG_EXPAND_SZ);
    EXPECT_EQ("Q:\\Programs", GetProgramFilesDir());

    SetRegString(HKEY_LOCAL_MACHINE, NtKey, "ProgramFilesPath", "%QOVA_TEST_DRIVE%\\%QOVA_NOT_DEFINED%",
                 REG_EXPAND_SZ);
    EXPECT_EQ("Q:\\%QOVA_NOT_DEFINED%", GetProgramFilesDir());
    SetEnvironmentVariableA("QOVA_TEST_DRIVE", nullptr);
}

TEST_F(ProgramFilesTest, StoredTrailingBackslashIsKeptAndNotDoubled)
{
    SetRegString(HKEY_LOCAL_MACHINE, NtKey, "ProgramFilesDir", "C:\\Program Files\\");
    EXPECT_EQ("C:\\Program Files\\", GetProgramFilesDir());
    EXPECT_EQ("C:\\Program Files\\QOVA", DefaultInstallFolder());
}

TEST_F(ProgramFilesTest, NoValuesGiveExpandedFallback)
{
    const std::string drive = testing_support::Env("SystemDrive");
    ASSERT_FALSE(drive.empty());
    EXPECT_EQ(drive + "\\Program Files", GetProgramFilesDir());
    EXPECT_EQ(drive + "\\Program Files\\QOVA", DefaultInstallFolder());
}

class ShellFolderTest : public testing::Test {
protected:
    void SetAppData(const std::string& value) { SetRegString(HKEY_CURRENT_USER, ShellFolders, "AppData", value); }

    TScratchRegistry registry;
    TTempDir appData;
};

TEST_F(ShellFolderTest, GetShellFolderAppendsBackslashAndRejectsOtherTypes)
{
    EXPECT_EQ("", GetShellFolder("AppData")) << "Explorer key missing";
    SetAppData(WithoutTrailingBackslash(appData.Path()));
    EXPECT_EQ(appData.Path(), GetShellFolder("AppData"));
    EXPECT_EQ("", GetShellFolder("NoSuchValue"));

    // Stored text, not expanded.
    SetRegString(HKEY_CURRENT_USER, ShellFolders, "Expand", "%SystemDrive%\\x", REG_EXPAND_SZ);
    EXPECT_EQ("%SystemDrive%\\x\\", GetShellFolder("Expand"));

    SetRegDword(HKEY_CURRENT_USER, ShellFolders, "Number", 3);
    EXPECT_RAISES("Invalid data type for 'Number'", GetShellFolder("Number"));
}

TEST_F(ShellFolderTest, ConfigFolderCreatesCompanyAndProductLevels)
{
    SetAppData(WithoutTrailingBackslash(appData.Path()));
    const std::string expected = appData / "Norvane\\QOVA\\";
    EXPECT_EQ(expected, GetConfigFolder());
    EXPECT_TRUE(PathExists(appData / "Norvane\\QOVA"));

    // The second call finds both levels and keeps what is in them.
    testing_support::WriteBytes(expected + "qova.ini", "[QOVA]\r\n");
    EXPECT_EQ(expected, GetConfigFolder());
    EXPECT_EQ("[QOVA]\r\n", testing_support::ReadText(expected + "qova.ini"));
}

TEST_F(ShellFolderTest, ConfigFolderEmptyWithoutUsableAppData)
{
    EXPECT_EQ("", GetConfigFolder()) << "AppData missing";
    SetAppData("");
    EXPECT_EQ("", GetConfigFolder()) << "AppData empty";
    // AppData itself is never created.
    SetAppData(appData / "gone");
    EXPECT_EQ("", GetConfigFolder());
    EXPECT_FALSE(PathExists(appData / "gone"));
}

TEST_F(ShellFolderTest, ConfigFolderEmptyWhenALevelCannotBeCreated)
{
    SetAppData(appData.Path());
    testing_support::WriteBytes(appData / "Norvane", "a file in the way");
    EXPECT_EQ("", GetConfigFolder());

    // A company level made before the product level failed stays.
    DeleteFileA((appData / "Norvane").c_str());
    ASSERT_TRUE(CreateDirectoryA((appData / "Norvane").c_str(), nullptr));
    testing_support::WriteBytes(appData / "Norvane\\QOVA", "a file in the way");
    EXPECT_EQ("", GetConfigFolder());
    EXPECT_TRUE(PathExists(appData / "Norvane"));

    // Nor through a link the user put on the way.
    const std::string links = testing_support::Env("QOVA_TEST_LINKS");
    ASSERT_FALSE(links.empty()) << "no links to test with";
    SetAppData(links + "\\junction");
    EXPECT_EQ("", GetConfigFolder());
    EXPECT_EQ(std::vector<std::string>{"victim.txt"}, testing_support::FolderEntries(links + "\\target"));
}

TEST_F(ShellFolderTest, ReadShellFolderValueThroughTheExplorerKey)
{
    const TRegKey explorer = OpenExplorerKey();
    ASSERT_TRUE(explorer) << "the Explorer key is created when missing";
    EXPECT_EQ("", ReadShellFolderValue(explorer.get(), "Desktop")) << "no Shell Folders subkey";

    SetRegString(HKEY_CURRENT_USER, ShellFolders, "Desktop", "C:\\Users\\me\\Desktop");
    SetRegString(HKEY_CURRENT_USER, ShellFolders, "Programs", "C:\\Menu\\Programs\\");
    EXPECT_EQ("C:\\Users\\me\\Desktop", ReadShellFolderValue(explorer.get(), "Desktop"));
    EXPECT_EQ("C:\\Menu\\Programs\\", ReadShellFolderValue(explorer.get(), "Programs"));
    EXPECT_EQ("", ReadShellFolderValue(explorer.get(), "Favorites"));
    EXPECT_EQ("", ReadShellFolderValue(nullptr, "Desktop"));

    SetRegDword(HKEY_CURRENT_USER, ShellFolders, "Desktop", 0);
    EXPECT_RAISES("Invalid data type for 'Desktop'", ReadShellFolderValue(explorer.get(), "Desktop"));
}

} // namespace
