// Measures what the installer costs and how fast it unpacks; prints only.
//
//   payload_bench [rounds] [setup.exe]
//
// Sizes: setup.exe, its 21 compressed resources and the difference. Speed:
// the whole payload through ExtractResource into a temp folder against one
// plain zlib inflate of the same resources into memory, and the complete
// installation procedure (empty target, no questions) against the
// extraction alone. Memory: the peak commit added by one extraction of the
// largest resource.
#include "engine/extract_resource.h"
#include "engine/product_manifest.h"
#include "install/install_files.h"
#include "platform/data_module.h"
#include "platform/resource.h"
#include "test_support.h"

#include <windows.h>

#include <psapi.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <exception>
#include <string>
#include <vector>

namespace {

struct TRow {
    const char* ResourceName;
    const char* FileName;
};

std::vector<TRow> AllRows()
{
    std::vector<TRow> rows;
    for (const auto& row : ProductManifest::PayloadTable)
        rows.push_back({row.ResourceName, row.FileName});
    for (const auto& row : ProductManifest::DeviceTable)
        rows.push_back({row.ResourceName, row.FileName});
    return rows;
}

double Seconds()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string MakeTempFolder(const char* stem)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string path = std::string(temp) + stem + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

uint64_t FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

size_t PeakCommit()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakPagefileUsage;
}

// HKLM and HKCU of this process pointed at scratch keys, with the shell
// folders inside the given folder, so that the procedure touches nothing
// of the machine's own.
class TBenchRegistry {
public:
    explicit TBenchRegistry(const std::string& folder)
    {
        for (const char* name : {"Desktop", "Programs"}) {
            const std::string path = folder + name;
            CreateDirectoryA(path.c_str(), nullptr);
            testing_support::SetRegString(HKEY_CURRENT_USER,
                                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                          name, path);
        }
    }

private:
    testing_support::TScratchRegistry scratch_;
};

class TSilentUser : public IInstallUser {
public:
    int MessageDlg(const std::string& text, TMsgDlgType, unsigned) override
    {
        std::printf("unexpected question: %s\n", text.c_str());
        return mrNo;
    }
    void ProcessMessages() override {}
};

int Run(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::vector<TRow> rows = AllRows();

    // Peak memory first, while the process's high-water mark is still low.
    const std::string work = MakeTempFolder("qova-bench-");
    size_t largest = 0;
    const TRow* largestRow = &rows[0];
    for (const TRow& row : rows) {
        TResourceData resource(nullptr, "BINARY", row.ResourceName);
        if (resource.Length() > largest) {
            largest = resource.Length();
            largestRow = &row;
        }
    }
    const size_t peakBefore = PeakCommit();
    ExtractResource(work + largestRow->FileName, largestRow->ResourceName);
    const size_t peakAdded = PeakCommit() - peakBefore;

    if (argc > 2) {
        const uint64_t exeSize = FileSize(argv[2]);
        TModuleHandle setup = LoadModuleAsData(argv[2]);
        uint64_t compressed = 0;
        for (const TRow& row : rows)
            compressed += TResourceData(setup.get(), "BINARY", row.ResourceName).Length();
        std::printf("setup.exe                     %10llu bytes\n", static_cast<unsigned long long>(exeSize));
        std::printf("21 compressed resources       %10llu bytes\n", static_cast<unsigned long long>(compressed));
        std::printf("installer's own cost          %10llu bytes (target < 409600)\n",
                    static_cast<unsigned long long>(exeSize - compressed));
    }

    // What the payload inflates to, for the plain inflate's buffers.
    std::vector<std::vector<unsigned char>> inflated(rows.size());
    uint64_t inflatedTotal = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        ExtractResource(work + rows[i].FileName, rows[i].ResourceName);
        inflated[i].resize(static_cast<size_t>(FileSize(work + rows[i].FileName)));
        inflatedTotal += inflated[i].size();
    }

    std::vector<double> extractTimes, inflateTimes, writeTimes, logTimes, installTimes;
    bool inflateOk = true, installOk = true;
    for (int round = 0; round < rounds; ++round) {
        double start = Seconds();
        for (const TRow& row : rows)
            ExtractResource(work + row.FileName, row.ResourceName);
        extractTimes.push_back(Seconds() - start);

        start = Seconds();
        for (size_t i = 0; i < rows.size(); ++i) {
            TResourceData resource(nullptr, "BINARY", rows[i].ResourceName);
            uLongf length = static_cast<uLongf>(inflated[i].size());
            inflateOk &= uncompress(inflated[i].data(), &length, static_cast<const Bytef*>(resource.Data()),
                                    resource.Length()) == Z_OK &&
                         length == inflated[i].size();
        }
        inflateTimes.push_back(Seconds() - start);

        // The file system's share: the same bytes written with no inflating.
        start = Seconds();
        for (size_t i = 0; i < rows.size(); ++i) {
            const std::string path = work + "plain-" + rows[i].FileName;
            const TFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD written = 0;
            if (file)
                WriteFile(file.get(), inflated[i].data(), static_cast<DWORD>(inflated[i].size()), &written, nullptr);
        }
        writeTimes.push_back(Seconds() - start);

        // A complete installation's log alone: 38 immediate profile writes.
        start = Seconds();
        {
            TLogState logOnly;
            logOnly.InstallLog = std::make_unique<TInstallLog>(work + "bench.log");
            for (int entry = 0; entry < 38; ++entry)
                logOnly.LogPath(entry < 24 ? lkFile : lkFolder, work + "entry" + std::to_string(entry));
        }
        logTimes.push_back(Seconds() - start);
        DeleteFileA((work + "bench.log").c_str());

        const std::string target = MakeTempFolder(("qova-bench-install-" + std::to_string(round) + "-").c_str());
        {
            TBenchRegistry registry(target);
            TSetupState state;
            state.ProgramIniPath = target + "qova.ini";
            state.SimulatorIniPath = target + "qovasim.ini";
            TInstallChoices choices;
            choices.FolderText = target + "QOVA";
            TSilentUser user;
            start = Seconds();
            installOk &= InstallFiles(state, choices, user);
            installTimes.push_back(Seconds() - start);
        }
        testing_support::RemoveTree(target);
    }
    testing_support::RemoveTree(work);

    const double mb = static_cast<double>(inflatedTotal) / (1024.0 * 1024.0);
    const double extract = Median(extractTimes), inflate = Median(inflateTimes), install = Median(installTimes);
    std::printf("payload inflated              %10llu bytes in %zu files, %d rounds\n",
                static_cast<unsigned long long>(inflatedTotal), rows.size(), rounds);
    std::printf("ExtractResource, all files    %8.2f ms  %8.1f MB/s\n", extract * 1000, mb / extract);
    std::printf("plain inflate into memory     %8.2f ms  %8.1f MB/s%s\n", inflate * 1000, mb / inflate,
                inflateOk ? "" : "  (INFLATE FAILED)");
    std::printf("plain file writes, same bytes %8.2f ms  %8.1f MB/s\n", Median(writeTimes) * 1000,
                mb / Median(writeTimes));
    std::printf("install log alone, 38 entries %8.2f ms\n", Median(logTimes) * 1000);
    std::printf("extraction / plain throughput %8.0f %%   (target >= 40 %%, ceiling 50 %%)\n",
                100.0 * inflate / extract);
    std::printf("InstallFiles, empty target    %8.2f ms  %8.2f x the extraction (target <= 1.5)%s\n",
                install * 1000, install / extract, installOk ? "" : "  (INSTALL FAILED)");
    std::printf("peak commit added by one extraction of %s: %zu bytes (target <= %zu)\n", largestRow->FileName,
                peakAdded, largest + 1024 * 1024);
    return inflateOk && installOk ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // The installation makes shell links, which need an apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        const int result = Run(argc, argv);
        if (SUCCEEDED(com))
            CoUninitialize();
        return result;
    } catch (const std::exception& error) {
        std::printf("failed: %s\n", error.what());
        return 1;
    }
}
