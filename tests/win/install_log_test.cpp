// The install log as the uninstaller sees it: real profile files under Wine.
#include "engine/install_log.h"
#include "platform/unique_handle.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

using namespace testing_support;

namespace {

std::string ProfileString(const std::string& path, const char* section, const char* key)
{
    char buffer[2048];
    const DWORD n = GetPrivateProfileStringA(section, key, "<missing>", buffer, sizeof buffer, path.c_str());
    return std::string(buffer, n);
}

// Blank lines between sections carry no meaning to the readers.
std::string WithoutBlankLines(std::string text)
{
    for (auto at = text.find("\r\n\r\n"); at != std::string::npos; at = text.find("\r\n\r\n"))
        text.erase(at, 2);
    return text;
}

class InstallLogTest : public testing::Test {
protected:
    void Open(const std::string& path)
    {
        log.InstallLog = std::make_unique<TInstallLog>(path);
    }

    TTempDir dir;
    TLogState log;
};

TEST_F(InstallLogTest, WritesSectionsInFirstWriteOrderWithSeparateCounters)
{
    const std::string path = dir / "install.log";
    Open(path);
    EXPECT_FALSE(PathExists(path)) << "creating the writer must not touch the file";
    log.InstallLog->Write("Application", "ShortName", "QOVA");
    log.InstallLog->Write("Application", "FullName", "Qovarium");
    log.InstallLog->Write("Application", "Version", "1.5");
    log.LogPath(lkFile, "C:\\Program Files\\QOVA\\QOVA.exe");
    log.LogPath(lkFile, "C:\\Program Files\\QOVA\\QOVAsim.exe");
    // A folder logged between files opens its own section, numbered from 1.
    log.LogPath(lkFolder, "C:\\PROGRAMS\\QOVA\\");
    log.LogPath(lkFile, "C:\\PROGRAMS\\QOVA\\QOVA.lnk");
    log.LogPath(lkFile, "C:\\PROGRAMS\\QOVA\\QOVA.lnk");
    log.LogPath(lkFolder, "C:\\Program Files\\QOVA\\Devices");
    log.LogPath(2, "C:\\ignored");
    log.LogPath(-1, "C:\\ignored too");
    EXPECT_EQ(5, log.FileCounter);
    EXPECT_EQ(3, log.FolderCounter);
    log.InstallLog.reset();

    const std::string expected = "[Application]\r\n"
                                 "ShortName=QOVA\r\n"
                                 "FullName=Qovarium\r\n"
                                 "Version=1.5\r\n"
                                 "[Files]\r\n"
                                 "1=C:\\Program Files\\QOVA\\QOVA.exe\r\n"
                                 "2=C:\\Program Files\\QOVA\\QOVAsim.exe\r\n"
                                 "3=C:\\PROGRAMS\\QOVA\\QOVA.lnk\r\n"
                                 "4=C:\\PROGRAMS\\QOVA\\QOVA.lnk\r\n"
                                 "[Folders]\r\n"
                                 "1=C:\\PROGRAMS\\QOVA\\\r\n"
                                 "2=C:\\Program Files\\QOVA\\Devices\r\n";
    EXPECT_EQ(expected, WithoutBlankLines(ReadText(path)));

    EXPECT_EQ("Qovarium", ProfileString(path, "Application", "FullName"));
    EXPECT_EQ("C:\\Program Files\\QOVA\\QOVAsim.exe", ProfileString(path, "Files", "2"));
    EXPECT_EQ("C:\\PROGRAMS\\QOVA\\QOVA.lnk", ProfileString(path, "Files", "4"));
    EXPECT_EQ("<missing>", ProfileString(path, "Files", "5"));
    EXPECT_EQ("C:\\PROGRAMS\\QOVA\\", ProfileString(path, "Folders", "1"));
    EXPECT_EQ("C:\\Program Files\\QOVA\\Devices", ProfileString(path, "Folders", "2"));
}

// The writer writes a new log itself, in the bytes the system's profile
// functions give the same writes, each at once; what would change what is
// written rather than add to it, it hands over to them.
TEST_F(InstallLogTest, WritesTheBytesOfTheSystemsProfileFunctions)
{
    const std::vector<std::array<std::string, 3>> writes = {
        {"Application", "ShortName", "QOVA"},
        {"Files", "1", "C:\\Program Files\\QOVA\\QOVA.exe"},
        {"Folders", "1", "C:\\PROGRAMS\\QOVA\\"},
        {"files", "2", "C:\\PROGRAMS\\QOVA\\QOVA.lnk"}, // into the first section of that name
        {"Folders", "2", "C:\\Program Files\\QOVA\\Devices"},
        {"Application", "Version", "1.5"},
        {"Files", "1", "C:\\written again"},
        {"Folders", "3", "  C:\\with blanks before"},
        {"Files", "3", "C:\\QOVA\\Espa\xF1ol.url"},
    };
    const std::string ours = dir / "install.log", system = dir / "system.log";
    {
        TInstallLog log(ours);
        for (const auto& [section, key, value] : writes) {
            log.Write(section, key, value);
            ASSERT_TRUE(WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), system.c_str()));
            EXPECT_EQ(ReadText(system), ReadText(ours)) << section << " " << key;
        }
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, system.c_str());
    EXPECT_EQ(ReadText(system), ReadText(ours));
    EXPECT_EQ("C:\\written again", ProfileString(ours, "Files", "1"));
}

TEST_F(InstallLogTest, EveryEntryIsOnDiskAsSoonAsItIsLogged)
{
    const std::string path = dir / "install.log";
    Open(path);
    log.LogPath(lkFile, dir / "QOVA.exe");
    // Read while the writer is still open, as after an interrupted installation.
    EXPECT_NE(std::string::npos, ReadText(path).find("1=" + (dir / "QOVA.exe") + "\r\n"));
}

TEST_F(InstallLogTest, OtherKindsWriteNothing)
{
    const std::string path = dir / "install.log";
    Open(path);
    log.LogPath(2, dir / "QOVA.exe");
    log.InstallLog.reset();
    EXPECT_FALSE(PathExists(path));
    EXPECT_EQ(1, log.FileCounter);
    EXPECT_EQ(1, log.FolderCounter);
}

// The message names the log's full path and the counter stays where it was.
void ExpectRefusedWrite(TLogState& log, const std::string& path)
{
    EXPECT_RAISES("Unable to write to " + path, log.LogPath(lkFile, "C:\\x"));
    EXPECT_EQ(1, log.FileCounter);
    EXPECT_RAISES("Unable to write to " + path, log.LogPath(lkFolder, "C:\\y\\"));
    EXPECT_EQ(1, log.FolderCounter);
}

TEST_F(InstallLogTest, WriteIntoMissingFolderRaisesAndKeepsCounter)
{
    const std::string path = dir / "missing\\install.log";
    Open(path);
    ExpectRefusedWrite(log, path);
    EXPECT_FALSE(testing_support::PathExists(dir / "missing"));
}

TEST_F(InstallLogTest, WriteOverAFolderRaisesAndKeepsCounter)
{
    // A folder where the log file should be: the system refuses the file.
    const std::string path = dir / "install.log";
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    Open(path);
    ExpectRefusedWrite(log, path);
}

TEST_F(InstallLogTest, WriteIntoReadOnlyLogRaisesAndKeepsCounter)
{
    const std::string path = dir / "install.log";
    testing_support::WriteBytes(path, "[Files]\r\n");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    // Wine run as root writes read-only files all the same.
    if (TFileHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr))) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << "this system lets the process write read-only files";
    }
    Open(path);
    ExpectRefusedWrite(log, path);
    log.InstallLog.reset();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ("[Files]\r\n", ReadText(path));
}

// Nothing is written through a link at the log's name, nor into an old log:
// what that says would stay beside the new entries, for the uninstaller.
TEST_F(InstallLogTest, LinksAndOldFilesAtItsNameAreRefused)
{
    const std::string links = Env("QOVA_TEST_LINKS");
    ASSERT_FALSE(links.empty());
    const std::vector<std::string> target = FolderEntries(links + "\\target");
    const std::string junction = links + "\\planted\\install.log";
    EXPECT_RAISES(CreateFileMessage(junction, ERROR_CANT_RESOLVE_FILENAME),
                  TInstallLog(junction).Write("Application", "ShortName", "QOVA"));
    EXPECT_EQ(target, FolderEntries(links + "\\target"));

    // An old log, and one that is a second name of a file elsewhere.
    const std::string path = dir / "install.log", elsewhere = dir / "elsewhere.ini";
    const std::string old = "[Files]\r\n40=C:\\Windows\\System32\\kernel32.dll\r\n";
    WriteBytes(path, old);
    Open(path);
    EXPECT_RAISES(CreateFileMessage(path, ERROR_FILE_EXISTS), log.LogPath(lkFile, "C:\\QOVA\\QOVA.exe"));
    EXPECT_EQ(1, log.FileCounter);
    log.InstallLog.reset();
    EXPECT_EQ(old, ReadText(path));
    ASSERT_TRUE(DeleteFileA(path.c_str()));
    WriteBytes(elsewhere, old);
    ASSERT_TRUE(CreateHardLinkA(path.c_str(), elsewhere.c_str(), nullptr));
    EXPECT_RAISES(CreateFileMessage(path, ERROR_FILE_EXISTS),
                  TInstallLog(path).Write("Application", "ShortName", "QOVA"));
    EXPECT_EQ(old, ReadText(elsewhere));
}

} // namespace
