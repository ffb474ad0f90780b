// Stand-in uninstaller: removes what install.log beside it lists.
//
//   Uninstall.exe [/quiet]
//
// A program cannot delete its own file while it runs, so it copies itself to
// the temp folder and lets that copy do the work once the original has
// exited. The copy removes the listed files and the log, then the listed
// folders that are empty (deepest first, as often as that frees another),
// then the uninstall entry.
#include <windows.h>

#include <string>
#include <vector>

namespace {

const char* const UninstallRoot = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string ReadLogValue(const std::string& log, const char* section, const std::string& key)
{
    char buffer[2048];
    GetPrivateProfileStringA(section, key.c_str(), "", buffer, sizeof buffer, log.c_str());
    return buffer;
}

std::vector<std::string> ReadLogList(const std::string& log, const char* section)
{
    std::vector<std::string> list;
    for (int i = 1;; ++i) {
        std::string value = ReadLogValue(log, section, std::to_string(i));
        if (value.empty())
            break;
        list.push_back(std::move(value));
    }
    return list;
}

void DeleteWithRetry(const std::string& path)
{
    // The original program may still be closing.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (DeleteFileA(path.c_str()))
            return;
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)
            return;
        Sleep(100);
    }
}

int Remove(const std::string& folder, bool quiet)
{
    const std::string log = folder + "install.log";
    if (GetFileAttributesA(log.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (!quiet)
            MessageBoxA(nullptr, ("No installation log found in " + folder).c_str(), "Uninstall", MB_ICONERROR);
        return 1;
    }
    const std::string shortName = ReadLogValue(log, "Application", "ShortName");
    const std::vector<std::string> files = ReadLogList(log, "Files");
    const std::vector<std::string> folders = ReadLogList(log, "Folders");

    for (const auto& file : files)
        DeleteWithRetry(file);
    DeleteWithRetry(log);

    std::vector<bool> removed(folders.size(), false);
    for (bool progress = true; progress;) {
        progress = false;
        for (size_t i = folders.size(); i-- > 0;) {
            if (!removed[i] && RemoveDirectoryA(folders[i].c_str()))
                removed[i] = progress = true;
        }
    }

    if (!shortName.empty())
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (UninstallRoot + shortName).c_str());

    if (!quiet)
        MessageBoxA(nullptr, "The program was removed from your computer.", "Uninstall", MB_ICONINFORMATION);
    return 0;
}

std::string Quote(const std::string& s)
{
    return "\"" + s + "\"";
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int argc = 0;
    LPWSTR* argvW = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        char buffer[MAX_PATH * 2];
        WideCharToMultiByte(CP_ACP, 0, argvW[i], -1, buffer, sizeof buffer, nullptr, nullptr);
        args.emplace_back(buffer);
    }
    LocalFree(argvW);

    bool quiet = false;
    std::string stageFolder;
    DWORD parent = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (lstrcmpiA(args[i].c_str(), "/quiet") == 0)
            quiet = true;
        else if (lstrcmpiA(args[i].c_str(), "/stage2") == 0 && i + 2 < args.size()) {
            parent = static_cast<DWORD>(std::stoul(args[i + 1]));
            stageFolder = args[i + 2];
            i += 2;
        }
    }

    if (!stageFolder.empty()) {
        if (HANDLE original = OpenProcess(SYNCHRONIZE, FALSE, parent)) {
            WaitForSingleObject(original, 10000);
            CloseHandle(original);
        }
        if (stageFolder.back() != '\\')
            stageFolder += '\\';
        const int rc = Remove(stageFolder, quiet);
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, sizeof self);
        MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return rc;
    }

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder(self);
    folder.erase(folder.find_last_of('\\') + 1);

    if (!quiet && MessageBoxA(nullptr, "Remove the program and all of its components?", "Uninstall",
                              MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;

    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string copy = std::string(temp) + "QOVA-uninstall-" + std::to_string(GetCurrentProcessId()) + ".exe";
    if (!CopyFileA(self, copy.c_str(), FALSE))
        return Remove(folder, quiet);

    // No trailing backslash inside the quotes: \" would escape the quote.
    const std::string bare = folder.substr(0, folder.size() - 1);
    std::string command = Quote(copy) + " /stage2 " + std::to_string(GetCurrentProcessId()) + " " +
                          Quote(bare) + (quiet ? " /quiet" : "");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, temp, &si, &pi))
        return Remove(folder, quiet);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}
