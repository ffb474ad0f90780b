// The uninstall entry: every value in an isolated registry, reinstallation,
// a machine key that refuses the entry, and Wine's own list of programs.
#include "shell/uninstall_entry.h"

#include "platform/errors.h"
#include "platform/handle.h"
#include "platform/registry.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

const char* const EntryKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QOVA";

std::vector<unsigned char> Sz(const std::string& text)
{
    std::vector<unsigned char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

std::vector<unsigned char> Dword(DWORD value)
{
    const auto* p = reinterpret_cast<const unsigned char*>(&value);
    return {p, p + 4};
}

std::string Today()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[16];
    snprintf(text, sizeof text, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

void ExpectValue(const std::string& name, DWORD expectedType, const std::vector<unsigned char>& expected)
{
    DWORD type = REG_NONE;
    std::vector<unsigned char> data;
    ASSERT_TRUE(QueryRegValue(HKEY_LOCAL_MACHINE, EntryKey, name, type, data)) << name;
    EXPECT_EQ(expectedType, type) << name;
    EXPECT_EQ(std::string(expected.begin(), expected.end()), std::string(data.begin(), data.end())) << name;
}

std::string AsText(const std::vector<unsigned char>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

// The date is read on both sides of the write, so midnight cannot fail it.
void ExpectInstallDateToday(const std::string& before)
{
    DWORD type = REG_NONE;
    std::vector<unsigned char> data;
    ASSERT_TRUE(QueryRegValue(HKEY_LOCAL_MACHINE, EntryKey, "InstallDate", type, data));
    EXPECT_EQ(DWORD(REG_SZ), type);
    const std::string after = Today();
    EXPECT_TRUE(AsText(data) == AsText(Sz(before)) || AsText(data) == AsText(Sz(after))) << AsText(data);
}

DWORD ValueCount()
{
    const TRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, EntryKey, KEY_READ);
    DWORD count = 0;
    if (key)
        RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                         nullptr, nullptr);
    return count;
}

class UninstallEntryTest : public testing::Test {
protected:
    TScratchRegistry registry;
};

TEST_F(UninstallEntryTest, EveryValueWithItsTypeAndData)
{
    const std::string before = Today();
    RegisterUninstall("C:\\Program Files\\QOVA\\");

    EXPECT_EQ(16u, ValueCount());
    ExpectValue("DisplayName", REG_SZ, Sz("Qovarium"));
    ExpectValue("DisplayIcon", REG_SZ, Sz("C:\\Program Files\\QOVA\\QOVA.exe,0"));
    ExpectValue("UninstallPath", REG_SZ, Sz("C:\\Program Files\\QOVA\\"));
    // Quoted: the folder has a space and the system runs this elevated.
    ExpectValue("UninstallString", REG_SZ, Sz("\"C:\\Program Files\\QOVA\\Uninstall.exe\""));
    ExpectValue("InstallLocation", REG_SZ, Sz("C:\\Program Files\\QOVA\\"));
    ExpectValue("DisplayVersion", REG_SZ, Sz("1.5"));
    ExpectValue("Comments", REG_SZ, Sz("Thank you for using QOVA!"));
    ExpectValue("Contact", REG_SZ, Sz("support@norvane-brelkon.com"));
    ExpectValue("Publisher", REG_SZ, Sz("Norvane Brelkon"));
    ExpectValue("URLInfoAbout", REG_SZ, Sz("https://www.norvane-brelkon.com/qovarium/"));
    ExpectValue("URLUpdateInfo", REG_SZ, Sz("https://www.norvane-brelkon.com/qovarium/"));
    ExpectValue("NoModify", REG_DWORD, Dword(1));
    ExpectValue("NoRepair", REG_DWORD, Dword(1));
    ExpectValue("VersionMajor", REG_DWORD, Dword(1));
    ExpectValue("VersionMinor", REG_DWORD, Dword(5));
    ExpectInstallDateToday(before);

    EXPECT_EQ("20261207", InstallDateText({2026, 12, 7}));
    EXPECT_EQ("00990101", InstallDateText({99, 1, 1}));
    EXPECT_EQ("308271231", InstallDateText({30827, 12, 31}));
}

TEST_F(UninstallEntryTest, ReinstallReplacesFolderValuesAndDateAndKeepsOtherValues)
{
    RegisterUninstall("C:\\Program Files\\QOVA\\");
    SetRegString(HKEY_LOCAL_MACHINE, EntryKey, "InstallDate", "19990101");
    SetRegString(HKEY_LOCAL_MACHINE, EntryKey, "HelpLink", "added by another tool");

    const std::string before = Today();
    RegisterUninstall("D:\\Apps\\Q\\");

    ExpectValue("DisplayIcon", REG_SZ, Sz("D:\\Apps\\Q\\QOVA.exe,0"));
    ExpectValue("UninstallPath", REG_SZ, Sz("D:\\Apps\\Q\\"));
    ExpectValue("UninstallString", REG_SZ, Sz("\"D:\\Apps\\Q\\Uninstall.exe\""));
    ExpectValue("InstallLocation", REG_SZ, Sz("D:\\Apps\\Q\\"));
    ExpectInstallDateToday(before);
    ExpectValue("HelpLink", REG_SZ, Sz("added by another tool"));
    EXPECT_EQ(17u, ValueCount());
}

// A machine key under which no lasting key can be made: a volatile key
// takes only volatile children, so creating the entry fails as it does for a
// user without rights (Wine does not check a parent handle's access).
TEST_F(UninstallEntryTest, MachineKeyThatRefusesTheEntryLeavesNothingAndRaisesNothing)
{
    TRegKey volatileKey;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "VolatileMachine", 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, volatileKey.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, volatileKey.get()));
    EXPECT_NO_THROW(RegisterUninstall("C:\\Program Files\\QOVA\\"));
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);

    TRegKey software;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(volatileKey.get(), "SOFTWARE", 0, KEY_READ, software.put()));
    DWORD subKeys = 1;
    DWORD values = 1;
    RegQueryInfoKeyA(volatileKey.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    EXPECT_EQ(0u, subKeys);
    EXPECT_EQ(0u, values);
}

// The text a refused value write raises names the value.
TEST_F(UninstallEntryTest, RefusedValueWriteNamesTheValue)
{
    SetRegString(HKEY_LOCAL_MACHINE, EntryKey, "DisplayName", "old");
    TRegKey readOnly;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryKey, 0, KEY_READ, readOnly.put()));
    EXPECT_RAISES("Failed to set data for 'DisplayName'", WriteRegString(readOnly.get(), "DisplayName", "x"));
    EXPECT_RAISES("Failed to set data for 'NoModify'", WriteRegDword(readOnly.get(), "NoModify", 1));
    ExpectValue("DisplayName", REG_SZ, Sz("old"));
}

// Standard output and error of a command line, once it has ended.
std::string RunAndCapture(std::string commandLine)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    TFileHandle readEnd;
    TFileHandle writeEnd;
    HANDLE r = nullptr;
    HANDLE w = nullptr;
    if (!CreatePipe(&r, &w, &inherit, 0))
        return "<no pipe>";
    readEnd.reset(r);
    writeEnd.reset(w);
    SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = w;
    startup.hStdError = w;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return "<not started: " + std::to_string(GetLastError()) + ">";
    const TKernelHandle processHandle(process.hProcess);
    const TKernelHandle threadHandle(process.hThread);
    // Only the child holds the write end now: reading ends when it exits.
    writeEnd.reset();
    std::string output;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(r, buffer, sizeof buffer, &n, nullptr) && n > 0)
        output.append(buffer, n);
    WaitForSingleObject(process.hProcess, INFINITE);
    return output;
}

// Wine's own list of installed programs reads the machine's real key; the
// override above does not reach another process, so this one test writes
// the real entry and removes it again.
TEST(UninstallEntryListTest, WineListsTheRegisteredProduct)
{
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    const std::string uninstaller = std::string(system) + "\\uninstaller.exe";
    if (!PathExists(uninstaller))
        GTEST_SKIP() << "Wine's uninstaller is not here";
    {
        TRegKey existing;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryKey, 0, KEY_READ, existing.put()) == ERROR_SUCCESS)
            GTEST_SKIP() << "an entry of that name exists already";
    }
    struct TRemoveEntry {
        ~TRemoveEntry() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, EntryKey); }
    } removeEntry;

    RegisterUninstall("C:\\Program Files\\QOVA\\");
    const std::string listed = RunAndCapture("\"" + uninstaller + "\" --list");
    EXPECT_NE(std::string::npos, listed.find("QOVA|||Qovarium")) << listed;
}

} // namespace
