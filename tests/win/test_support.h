// Helpers shared by the Windows tests: scratch folders, files, registry
// isolation and paths of build outputs.
#pragma once

#include "platform/dialog_types.h"
#include "platform/handle.h"
#include "platform/sha256.h"
#include "tests/portable/message_of.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// A fresh, empty folder under the temp folder, removed with everything in it.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    // The folder with a trailing backslash.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process pointed at two
// empty scratch keys for the object's life; the scratch keys are deleted.
class TScratchRegistry {
public:
    TScratchRegistry();
    ~TScratchRegistry();
    TScratchRegistry(const TScratchRegistry&) = delete;
    TScratchRegistry& operator=(const TScratchRegistry&) = delete;

private:
    std::string base_;
    TRegKey machine_;
    TRegKey user_;
};

std::vector<unsigned char> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
void RemoveTree(const std::string& path);
bool PathExists(const std::string& path);
// Gives everyone full control of a file or folder (under Wine: mode 777).
void MakeWritableByEveryone(const std::string& path);
// Gives the file or folder the DACL of an SDDL text (under Wine: its mode bits).
void SetDacl(const std::string& path, const char* sddl);
// The DACL of a file or folder as the system reads it back, as SDDL.
std::string DaclText(const std::string& path);

// Names in a folder, sorted, without "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder);

// "Cannot create file "<fullPath>". <system text for code>", as the
// installer reports a file it cannot create or replace.
std::string CreateFileMessage(const std::string& fullPath, DWORD code);

// Writes a string value (creating the key) under root.
void SetRegString(HKEY root, const std::string& key, const std::string& name, const std::string& value,
                  DWORD type = REG_SZ);
void SetRegDword(HKEY root, const std::string& key, const std::string& name, DWORD value);
// Reads a value as raw bytes; false when it is missing.
bool QueryRegValue(HKEY root, const std::string& key, const std::string& name, DWORD& type,
                   std::vector<unsigned char>& data);

struct TLinkData {
    std::string Path;
    std::string WorkingFolder;
    std::string Arguments;
    std::string Description;
    std::string IconFile;
    int IconIndex = -1;
};

// What the shell reads from a saved link (a failed load is a test failure).
TLinkData ReadLink(const std::string& linkFile);

// An environment variable, empty when unset.
std::string Env(const char* name);

struct TDialogCall {
    std::string Text;
    TMsgDlgType Type;
    unsigned Buttons;
};

// Answers message dialogs from a script and records them. A dialog with no
// answer left fails the test and is closed as its close box would.
class TScriptedDialogs {
public:
    int Answer(const std::string& text, TMsgDlgType type, unsigned buttons);

    std::deque<int> Answers;
    std::vector<TDialogCall> Asked;
};

// The text of a window of this process, up to 1,023 characters.
std::string LocalWindowText(HWND window);

// Acts on the first visible top-level window of this thread with the given
// caption, from a timer that runs inside the modal loop showing it.
class TWindowWatch {
public:
    TWindowWatch(const char* caption, std::function<void(HWND)> action)
        : caption_(caption), action_(std::move(action))
    {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~TWindowWatch()
    {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool Seen() const { return seen_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        TWindowWatch* self = current_;
        if (!self || self->seen_)
            return;
        EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(self));
    }

    // A window procedure's calling convention, which a lambda lacks on x86.
    static BOOL CALLBACK Visit(HWND window, LPARAM data)
    {
        auto* watch = reinterpret_cast<TWindowWatch*>(data);
        if (!watch->seen_ && IsWindowVisible(window) && LocalWindowText(window) == watch->caption_) {
            watch->seen_ = true;
            watch->action_(window);
        }
        return TRUE;
    }

    static inline TWindowWatch* current_ = nullptr;
    std::string caption_;
    std::function<void(HWND)> action_;
    UINT_PTR timer_ = 0;
    bool seen_ = false;
};

// Folder of the generated test data (the compressed test resources' sources).
std::string TestDataDir();

// The SHA-256 of a BINARY resource of the running program, as its image
// holds it: what the build would have recorded for it.
TSha256Digest ImageDigest(const std::string& name);

} // namespace testing_support
