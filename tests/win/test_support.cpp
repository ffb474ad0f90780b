#include "test_support.h"

#include "platform/com_object.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/resource.h"
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>

namespace testing_support {

namespace {
std::atomic<int> counter{0};

std::string UniqueName(const char* stem)
{
    return std::string(stem) + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
}
} // namespace

TTempDir::TTempDir()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + UniqueName("qova-test-") + "\\";
    RemoveTree(path_);
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        ADD_FAILURE() << "cannot create " << path_;
}

TTempDir::~TTempDir()
{
    RemoveTree(path_);
}

TScratchRegistry::TScratchRegistry()
    : base_("Software\\QovaTests\\" + UniqueName("run-")),
      machine_(CreateRegKey(HKEY_CURRENT_USER, base_ + "\\HKLM", KEY_ALL_ACCESS)),
      user_(CreateRegKey(HKEY_CURRENT_USER, base_ + "\\HKCU", KEY_ALL_ACCESS))
{
    EXPECT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_.get()));
    EXPECT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, user_.get()));
}

TScratchRegistry::~TScratchRegistry()
{
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    machine_.reset();
    user_.reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, base_.c_str());
}

std::vector<unsigned char> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path)
{
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        ADD_FAILURE() << "cannot write " << path;
}

void RemoveTree(const std::string& path)
{
    std::string folder = path;
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(folder.c_str());
        return;
    }
    WIN32_FIND_DATAA data;
    if (const TFindHandle find(FindFirstFileA((folder + "\\*").c_str(), &data)); find) {
        do {
            const std::string name = data.cFileName;
            if (name != "." && name != "..")
                RemoveTree(folder + "\\" + name);
        } while (FindNextFileA(find.get(), &data));
    }
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    if (const TFindHandle find(FindFirstFileA((IncludeTrailingBackslash(folder) + "*").c_str(), &data)); find) {
        do {
            const std::string name = data.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(find.get(), &data));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string CreateFileMessage(const std::string& fullPath, DWORD code)
{
    char text[256];
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                   sizeof text, nullptr);
    std::string s(text, n);
    while (!s.empty() && (static_cast<unsigned char>(s.back()) <= 32 || s.back() == '.'))
        s.pop_back();
    return "Cannot create file \"" + fullPath + "\". " + s;
}

void SetRegString(HKEY root, const std::string& key, const std::string& name, const std::string& value, DWORD type)
{
    const TRegKey k = CreateRegKey(root, key, KEY_ALL_ACCESS);
    ASSERT_TRUE(k) << key;
    RegSetValueExA(k.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

void SetRegDword(HKEY root, const std::string& key, const std::string& name, DWORD value)
{
    const TRegKey k = CreateRegKey(root, key, KEY_ALL_ACCESS);
    ASSERT_TRUE(k) << key;
    RegSetValueExA(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

bool QueryRegValue(HKEY root, const std::string& key, const std::string& name, DWORD& type,
                   std::vector<unsigned char>& data)
{
    const TRegKey k = OpenRegKey(root, key, KEY_READ);
    if (!k)
        return false;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        data.resize(size);
        rc = RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, data.data(), &size);
        data.resize(size);
    }
    return rc == ERROR_SUCCESS;
}

std::string Env(const char* name)
{
    char buffer[4096];
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

int TScriptedDialogs::Answer(const std::string& text, TMsgDlgType type, unsigned buttons)
{
    Asked.push_back({text, type, buttons});
    if (Answers.empty()) {
        ADD_FAILURE() << "unexpected dialog: " << text;
        return mrCancel;
    }
    const int answer = Answers.front();
    Answers.pop_front();
    return answer;
}

std::string LocalWindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string TestDataDir()
{
    return Env("QOVA_TEST_DATA");
}

TSha256Digest ImageDigest(const std::string& name)
{
    const TResourceData resource(nullptr, "BINARY", name);
    TSha256 hash;
    hash.Update(resource.Data(), resource.Length());
    return hash.Finish();
}

TLinkData ReadLink(const std::string& linkFile)
{
    TLinkData data;
    TComPtr<IShellLinkA> link;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     link.put_void()));
    if (!link)
        return data;
    TComPtr<IPersistFile> file;
    EXPECT_EQ(S_OK, link->QueryInterface(IID_IPersistFile, file.put_void()));
    if (!file)
        return data;
    const HRESULT loaded = file->Load(AnsiToWide(linkFile).c_str(), STGM_READ);
    EXPECT_EQ(S_OK, loaded) << linkFile;
    if (loaded != S_OK)
        return data;
    char text[MAX_PATH * 2] = {};
    WIN32_FIND_DATAA find{};
    link->GetPath(text, sizeof text, &find, SLGP_RAWPATH);
    data.Path = text;
    text[0] = '\0';
    link->GetWorkingDirectory(text, sizeof text);
    data.WorkingFolder = text;
    text[0] = '\0';
    link->GetArguments(text, sizeof text);
    data.Arguments = text;
    text[0] = '\0';
    link->GetDescription(text, sizeof text);
    data.Description = text;
    text[0] = '\0';
    link->GetIconLocation(text, sizeof text, &data.IconIndex);
    data.IconFile = text;
    return data;
}

void MakeWritableByEveryone(const std::string& path)
{
    SetDacl(path, "D:(A;OICI;FA;;;WD)");
}

void SetDacl(const std::string& path, const char* sddl)
{
    TLocalMemory descriptor;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, descriptor.put(), nullptr));
    // The whole DACL replaced, the owner's rights with it (Wine: the owner's mode bits too).
    ASSERT_TRUE(SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.get())) << path;
}

std::string DaclText(const std::string& path)
{
    PACL dacl = nullptr;
    TLocalMemory descriptor;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, descriptor.put()) != ERROR_SUCCESS)
        return "<unreadable>";
    TLocalMemory text;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor.get(), SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION,
                                                              reinterpret_cast<char**>(text.put()), nullptr))
        return "<no text>";
    return static_cast<const char*>(text.get());
}

} // namespace testing_support
