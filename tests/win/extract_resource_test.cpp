// ExtractResource on compressed resources of this test program.
#include "engine/extract_resource.h"
#include "platform/errors.h"
#include "platform/file_system.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

std::string Plain(const std::string& name)
{
    return ReadText(TestDataDir() + "\\" + name + ".plain");
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
    EXPECT_TRUE(ExtractResource(target, "testsmall"));
    EXPECT_EQ(Plain("small"), ReadText(target));

    // More than the 65,536-byte input buffer and several 61,440-byte pieces.
    EXPECT_TRUE(ExtractResource(target, "TestBig"));
    EXPECT_EQ(Plain("big"), ReadText(target));
}

TEST_F(ExtractResourceTest, EmptyContentGivesAnEmptyFile)
{
    const std::string target = dir / "empty.bin";
    WriteBytes(target, "old contents");
    EXPECT_TRUE(ExtractResource(target, "testempty"));
    EXPECT_TRUE(PathExists(target));
    EXPECT_EQ("", ReadText(target));
}

TEST_F(ExtractResourceTest, BytesAfterTheStreamAreIgnored)
{
    const std::string target = dir / "trailing.bin";
    EXPECT_TRUE(ExtractResource(target, "testtrailing"));
    EXPECT_EQ(Plain("trailing"), ReadText(target));
}

TEST_F(ExtractResourceTest, MissingResourceTouchesNothing)
{
    const std::string target = dir / "missing.bin";
    EXPECT_EQ("Resource nosuchthing not found", MessageOf([&] { ExtractResource(target, "nosuchthing"); }));
    EXPECT_FALSE(PathExists(target));
    WriteBytes(target, "keep me");
    EXPECT_EQ("Resource nosuchthing not found", MessageOf([&] { ExtractResource(target, "nosuchthing"); }));
    EXPECT_EQ("keep me", ReadText(target));
}

TEST_F(ExtractResourceTest, DamagedDataLeavesAnExistingTargetAndCreatesNoNewOne)
{
    for (const char* name : {"testbadsum", "testtruncated", "testbadheader"}) {
        const std::string existing = dir / (std::string(name) + ".old");
        WriteBytes(existing, "the user's file");
        EXPECT_EQ("data error", MessageOf([&] { ExtractResource(existing, name); })) << name;
        EXPECT_EQ("the user's file", ReadText(existing)) << name;

        const std::string fresh = dir / (std::string(name) + ".new");
        EXPECT_EQ("data error", MessageOf([&] { ExtractResource(fresh, name); })) << name;
        EXPECT_FALSE(PathExists(fresh)) << name;
    }
}

TEST_F(ExtractResourceTest, UncreatableTargetsRaiseTheCreateFileMessage)
{
    const auto expected = [](const std::string& fullPath, DWORD code) {
        char text[256];
        DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                 sizeof text, nullptr);
        std::string s(text, n);
        while (!s.empty() && (static_cast<unsigned char>(s.back()) <= 32 || s.back() == '.'))
            s.pop_back();
        return "Cannot create file \"" + fullPath + "\". " + s;
    };

    // Held open without sharing by another handle: contents kept.
    const std::string held = dir / "held.bin";
    WriteBytes(held, "in use");
    HANDLE h = CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(expected(held, ERROR_SHARING_VIOLATION), MessageOf([&] { ExtractResource(held, "testsmall"); }));
    CloseHandle(h);
    EXPECT_EQ("in use", ReadText(held));

    // Read-only file. Wine run as root on Linux does not enforce the
    // attribute (root may write any file), so this case needs a real refusal.
    const std::string readOnly = dir / "readonly.bin";
    WriteBytes(readOnly, "read only");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE probe = CreateFileA(readOnly.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool enforced = probe == INVALID_HANDLE_VALUE;
    if (!enforced)
        CloseHandle(probe);
    else
        EXPECT_EQ(expected(readOnly, ERROR_ACCESS_DENIED),
                  MessageOf([&] { ExtractResource(readOnly, "testsmall"); }));
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ("read only", ReadText(readOnly));

    // Missing folder; the message names the full path of a relative target.
    const std::string missing = dir / "no such folder\\file.bin";
    EXPECT_EQ(expected(missing, ERROR_PATH_NOT_FOUND), MessageOf([&] { ExtractResource(missing, "testsmall"); }));

    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    SetCurrentDirectoryA(dir.Path().c_str());
    const std::string relative = "nofolder\\x.bin";
    EXPECT_EQ(expected(dir / relative, ERROR_PATH_NOT_FOUND),
              MessageOf([&] { ExtractResource(relative, "testsmall"); }));
    SetCurrentDirectoryA(cwd);

    // A path that names a folder.
    EXPECT_EQ(expected(dir.Path().substr(0, dir.Path().size() - 1), ERROR_ACCESS_DENIED),
              MessageOf([&] { ExtractResource(dir.Path().substr(0, dir.Path().size() - 1), "testsmall"); }));
}

TEST_F(ExtractResourceTest, FileExistsCountsFilesOfAnyDateButNeverFolders)
{
    const std::string target = dir / "old.qdev";
    ASSERT_TRUE(ExtractResource(target, "testsmall"));
    HANDLE h = CreateFileA(target.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SYSTEMTIME st{};
    st.wYear = 1975;
    st.wMonth = 3;
    st.wDay = 1;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    EXPECT_TRUE(FileExists(target));
    EXPECT_FALSE(FileExists(dir.Path().substr(0, dir.Path().size() - 1)));
    EXPECT_FALSE(FileExists(dir / "nothing.here"));
}

} // namespace
