// ExtractResource on compressed resources of this test program.
#include "engine/extract_resource.h"
#include "platform/file_system.h"
#include "platform/resource.h"
#include "platform/unique_handle.h"
#include "platform/worker_thread.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

using namespace testing_support;

namespace {

std::string Plain(const std::string& name)
{
    return ReadText(TestDataDir() + "\\" + name + ".plain");
}

// With the digest the build would have recorded for the resource.
bool Extract(const std::string& target, const std::string& name)
{
    return ExtractResource(target, name, ImageDigest(name));
}

class ExtractResourceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(TestDataDir().empty()) << "QOVA_TEST_DATA is not set"; }
    TTempDir dir;
};

TEST_F(ExtractResourceTest, LowerCaseNameFindsTheResourceAndReplacesALongerFile)
{
    const std::string target = dir / "small.txt";
    WriteBytes(target, std::string(200000, 'x'));
    EXPECT_TRUE(Extract(target, "testsmall"));
    EXPECT_EQ(Plain("small"), ReadText(target));

    // More than the 65,536-byte input buffer and several 61,440-byte pieces.
    EXPECT_TRUE(Extract(target, "TestBig"));
    EXPECT_EQ(Plain("big"), ReadText(target));
    EXPECT_EQ(std::vector<std::string>{"small.txt"}, FolderEntries(dir.Path())) << "no temporary file left";
}

TEST_F(ExtractResourceTest, TheTargetIsReplacedByANewFileNotRewritten)
{
    // A second name for the old file, as a hard link: rewriting the target
    // in place would change it too, replacing the target leaves it alone.
    const std::string target = dir / "20000.qdev";
    const std::string otherName = dir / "copy of 20000.qdev";
    WriteBytes(target, "the user's device");
    ASSERT_TRUE(CreateHardLinkA(otherName.c_str(), target.c_str(), nullptr));
    EXPECT_TRUE(Extract(target, "testsmall"));
    EXPECT_EQ(Plain("small"), ReadText(target));
    EXPECT_EQ("the user's device", ReadText(otherName));
}

TEST_F(ExtractResourceTest, EmptyContentGivesAnEmptyFile)
{
    const std::string target = dir / "empty.bin";
    WriteBytes(target, "old contents");
    EXPECT_TRUE(Extract(target, "testempty"));
    EXPECT_TRUE(PathExists(target));
    EXPECT_EQ("", ReadText(target));
}

TEST_F(ExtractResourceTest, BytesAfterTheStreamAreIgnored)
{
    const std::string target = dir / "trailing.bin";
    EXPECT_TRUE(Extract(target, "testtrailing"));
    EXPECT_EQ(Plain("trailing"), ReadText(target));
}

TEST_F(ExtractResourceTest, MissingResourceTouchesNothing)
{
    const std::string target = dir / "missing.bin";
    EXPECT_RAISES("Resource nosuchthing not found", ExtractResource(target, "nosuchthing", TSha256Digest{}));
    EXPECT_FALSE(PathExists(target));
    WriteBytes(target, "keep me");
    EXPECT_RAISES("Resource nosuchthing not found", ExtractResource(target, "nosuchthing", TSha256Digest{}));
    EXPECT_EQ("keep me", ReadText(target));
}

TEST_F(ExtractResourceTest, DamagedDataLeavesAnExistingTargetAndCreatesNoNewOne)
{
    std::vector<std::string> kept;
    for (const char* name : {"testbadsum", "testtruncated", "testbadheader"}) {
        const std::string existing = dir / (std::string(name) + ".old");
        WriteBytes(existing, "the user's file");
        kept.push_back(std::string(name) + ".old");
        EXPECT_RAISES("data error", Extract(existing, name)) << name;
        EXPECT_EQ("the user's file", ReadText(existing)) << name;

        const std::string fresh = dir / (std::string(name) + ".new");
        EXPECT_RAISES("data error", Extract(fresh, name)) << name;
        EXPECT_FALSE(PathExists(fresh)) << name;
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, FolderEntries(dir.Path())) << "no temporary file left";
}

// Bytes read from the program's file that are not those the image's digest
// names (another file at its name): refused before the rename, as false.
TEST_F(ExtractResourceTest, BytesOfAnotherDigestLeaveTheTargetAsItWas)
{
    TSha256Digest oneBitOff = ImageDigest("testsmall");
    oneBitOff[31] ^= 1;
    for (const TSha256Digest& wrong : {ImageDigest("testbig"), oneBitOff}) {
        const std::string existing = dir / "QOVA.exe", fresh = dir / "QOVAsim.exe";
        WriteBytes(existing, "the installed program");
        EXPECT_FALSE(ExtractResource(existing, "testsmall", wrong));
        EXPECT_EQ("the installed program", ReadText(existing));
        EXPECT_FALSE(ExtractResource(fresh, "testsmall", wrong));
        EXPECT_EQ(std::vector<std::string>{"QOVA.exe"}, FolderEntries(dir.Path())) << "nothing new, no temporary file";
    }
}

TEST_F(ExtractResourceTest, UncreatableTargetsRaiseTheCreateFileMessage)
{
    // Held open without sharing by another handle: contents kept.
    const std::string held = dir / "held.bin";
    WriteBytes(held, "in use");
    TFileHandle h(CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(h);
    EXPECT_RAISES(CreateFileMessage(held, ERROR_SHARING_VIOLATION), Extract(held, "testsmall"));
    h.reset();
    EXPECT_EQ("in use", ReadText(held));

    // Read-only file: refused by its attribute, also where the system would
    // let the write through (Wine run as root).
    const std::string readOnly = dir / "readonly.bin";
    WriteBytes(readOnly, "read only");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_RAISES(CreateFileMessage(readOnly, ERROR_ACCESS_DENIED), Extract(readOnly, "testsmall"));
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ("read only", ReadText(readOnly));

    // Missing folder; the message names the full path of a relative target.
    const std::string missing = dir / "no such folder\\file.bin";
    EXPECT_RAISES(CreateFileMessage(missing, ERROR_PATH_NOT_FOUND), Extract(missing, "testsmall"));

    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    SetCurrentDirectoryA(dir.Path().c_str());
    const std::string relative = "nofolder\\x.bin";
    EXPECT_RAISES(CreateFileMessage(dir / relative, ERROR_PATH_NOT_FOUND), Extract(relative, "testsmall"));
    SetCurrentDirectoryA(cwd);

    // A path that names a folder.
    const std::string folder = dir.Path().substr(0, dir.Path().size() - 1);
    EXPECT_RAISES(CreateFileMessage(folder, ERROR_ACCESS_DENIED), Extract(folder, "testsmall"));

    // A link in the target's place: refused, not followed.
    const std::string links = Env("QOVA_TEST_LINKS");
    ASSERT_FALSE(links.empty()) << "no links to test with";
    EXPECT_RAISES(CreateFileMessage(links + "\\junction", ERROR_CANT_RESOLVE_FILENAME),
                  Extract(links + "\\junction", "testsmall"));
    EXPECT_TRUE(IsReparsePoint(links + "\\junction")) << "the link itself is left";
}

TEST(ResourceStreamTest, TheProgramsOwnFileIsHeldFromTheStartAndGivesTheImagesBytes)
{
    // Held since the program started (as setup.exe holds its own), before
    // any stream: it cannot be moved away and another file put at its name.
    wchar_t own[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, own, MAX_PATH), 0u);
    const std::wstring moved = std::wstring(own) + L".moved";
    const BOOL wasMoved = MoveFileW(own, moved.c_str());
    const DWORD moveError = GetLastError();
    if (wasMoved)
        MoveFileW(moved.c_str(), own);
    EXPECT_FALSE(wasMoved);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), moveError);

    const TResourceData image(nullptr, "BINARY", "TestBig");
    const auto* bytes = static_cast<const char*>(image.Data());
    TResourceStream file("BINARY", "TestBig", TResourceRead::File);
    ASSERT_TRUE(file.FromFile()) << "the test program is its own image's file";
    EXPECT_FALSE(TResourceStream("BINARY", "TestBig", TResourceRead::Image).FromFile());
    ASSERT_EQ(static_cast<int32_t>(image.Length()), file.Size());

    // Pieces that do not line up with anything, then the tail after a seek.
    std::string read, piece(7001, '\0');
    while (const int32_t n = file.Read(&piece[0], static_cast<int32_t>(piece.size())))
        read.append(piece, 0, static_cast<size_t>(n));
    EXPECT_EQ(std::string(bytes, image.Length()), read);
    EXPECT_EQ(file.Size() - 10, file.Seek(-10, soEnd));
    EXPECT_EQ(10, file.Read(&piece[0], 100));
    EXPECT_EQ(std::string(bytes + image.Length() - 10, 10), piece.substr(0, 10));

    // Two streams share the file, not a place in it: read in turns, each
    // goes on where it stopped.
    TResourceStream other("BINARY", "TestBig", TResourceRead::File);
    ASSERT_GT(file.Size(), 3000);
    file.Seek(1000, soBeginning);
    std::string mine(1000, '\0'), theirs(1000, '\0');
    ASSERT_EQ(1000, file.Read(&mine[0], 1000));
    ASSERT_EQ(1000, other.Read(&theirs[0], 1000));
    ASSERT_EQ(1000, file.Read(&mine[0], 1000));
    EXPECT_EQ(std::string(bytes + 2000, 1000), mine);
    EXPECT_EQ(std::string(bytes, 1000), theirs);

    // And on two threads at once, as the installation reads.
    std::atomic<bool> go{false};
    const auto readAll = [&] {
        TResourceStream stream("BINARY", "TestBig", TResourceRead::File);
        std::string all;
        char buffer[97];
        while (!go) {
        }
        while (const int32_t n = stream.Read(buffer, sizeof buffer))
            all.append(buffer, static_cast<size_t>(n));
        return all;
    };
    std::string second;
    TWorkerThread thread([&] { second = readAll(); });
    go = true;
    ASSERT_TRUE(thread.Started());
    EXPECT_EQ(std::string(bytes, image.Length()), readAll());
    thread.Join();
    EXPECT_EQ(std::string(bytes, image.Length()), second);
}

TEST_F(ExtractResourceTest, FileExistsCountsFilesOfAnyDateButNeverFolders)
{
    const std::string target = dir / "old.qdev";
    ASSERT_TRUE(Extract(target, "testsmall"));
    const TFileHandle h(CreateFileA(target.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(h);
    SYSTEMTIME st{};
    st.wYear = 1975;
    st.wMonth = 3;
    st.wDay = 1;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    SetFileTime(h.get(), nullptr, nullptr, &ft);
    EXPECT_TRUE(FileExists(target));
    EXPECT_FALSE(FileExists(dir.Path().substr(0, dir.Path().size() - 1)));
    EXPECT_FALSE(FileExists(dir / "nothing.here"));
}

} // namespace
