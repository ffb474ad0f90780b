// The built setup.exe's version resource, read the way Properties -> Details
// reads it: the manifest's identity, agreeing with the uninstall entry.
#include "engine/product_manifest.h"
#include "shell/uninstall_entry.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

std::string EntryText(const char* name)
{
    DWORD type = REG_NONE;
    std::vector<unsigned char> data;
    if (!QueryRegValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QOVA", name,
                       type, data) ||
        type != REG_SZ)
        return "<missing>";
    return std::string(data.begin(), data.end()).c_str();
}

TEST(VersionResource, NamesTheProductAsTheManifestAndTheUninstallEntryDo)
{
    const std::string exe = Env("QOVA_SETUP_EXE");
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &handle);
    ASSERT_NE(0u, size) << exe << " has no version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(sizeof *fixed, length);
    EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
    const DWORD version = MAKELONG(ProductManifest::VersionMinor, ProductManifest::VersionMajor);
    EXPECT_EQ(version, fixed->dwFileVersionMS);
    EXPECT_EQ(version, fixed->dwProductVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(0u, fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileFlags & fixed->dwFileFlagsMask) << "no debug or pre-release flag";

    // One translation, U.S. English in code page 1252, whose block holds the strings.
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0409, translation[0]);
    EXPECT_EQ(1252, translation[1]);
    char block[64];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04X%04X\\", translation[0], translation[1]);
    const auto value = [&](const char* name) -> std::string {
        char* text = nullptr;
        UINT chars = 0;
        if (!VerQueryValueA(info.data(), (block + std::string(name)).c_str(), reinterpret_cast<void**>(&text),
                            &chars))
            return "<missing>";
        return text;
    };

    // What the installation writes into the list of installed programs.
    TScratchRegistry registry;
    RegisterUninstall("C:\\Program Files\\QOVA\\");
    EXPECT_EQ(EntryText("DisplayName"), value("ProductName"));
    EXPECT_EQ(EntryText("Publisher"), value("CompanyName"));
    EXPECT_EQ(EntryText("DisplayVersion"), value("ProductVersion"));
    EXPECT_EQ(EntryText("DisplayVersion"), value("FileVersion"));
    EXPECT_EQ("Qovarium", value("ProductName"));
    EXPECT_EQ("Norvane Brelkon", value("CompanyName"));
    EXPECT_EQ("1.5", value("ProductVersion"));
    EXPECT_EQ("Qovarium installation program", value("FileDescription"));
    EXPECT_EQ("setup.exe", value("OriginalFilename"));
    EXPECT_EQ(ProductManifest::CopyrightLine, value("LegalCopyright")) << "the line of the wizard's bottom bar";

    // The resource holds UTF-16: the copyright sign must have gone in as
    // U+00A9, not as the bytes of another encoding.
    wchar_t* wide = nullptr;
    const std::wstring wideBlock(block, block + std::char_traits<char>::length(block));
    ASSERT_TRUE(VerQueryValueW(info.data(), (wideBlock + L"LegalCopyright").c_str(), reinterpret_cast<void**>(&wide),
                               &length));
    EXPECT_EQ(std::wstring(L"\u00A9 2004-2026 Norvane Brelkon"), wide);
}

} // namespace
