// Measures what the installer costs and how fast it unpacks; prints only.
//
//   payload_bench [rounds] [setup.exe]
//
// Sizes: setup.exe, its compressed resources and the difference. Speed:
// the whole payload through ExtractPayload, into an empty folder and over
// the files of the round before, against one plain zlib inflate of the same
// resources into memory; the file system's share, with and
// without FlushFileBuffers, on this payload and on files of the vendor's
// sizes; the complete installation procedure (empty target, no questions)
// against the extraction alone. Memory: the peak commit added by one
// extraction of the largest resource.
#include "engine/product_manifest.h"
#include "install/install_files.h"
#include "install/signed_payload.h"
#include "platform/data_module.h"
#include "platform/resource.h"
#include "platform/sha256.h"
#include "test_support.h"

#include <windows.h>

#include <psapi.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
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

// The vendor's 21 files' inflated sizes, for the file system's share at
// the size that ships.
constexpr uint32_t VendorSizes[] = {2321920, 1352192, 479232, 269, 66560, 75776, 1902592, 37888, 41984, 1518592,
                                    63294,   92216,   13880,  838, 845,   550,   810,     552,   823,   823,  550};

// Writes the files whole as new files, each with one call, optionally
// flushed before it is closed. New, because some file systems (ext4 under
// Wine) already push a file's data out when it is emptied and rewritten.
void WriteFiles(const std::string& folder, const std::vector<std::vector<unsigned char>>& contents, bool flush)
{
    for (size_t i = 0; i < contents.size(); ++i) {
        const std::string path = folder + "plain-" + std::to_string(i);
        DeleteFileA(path.c_str());
        const TFileHandle file(
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file) {
            WriteFile(file.get(), contents[i].data(), static_cast<DWORD>(contents[i].size()), &written, nullptr);
            if (flush)
                FlushFileBuffers(file.get());
        }
    }
}

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
    ExtractPayload(work + largestRow->FileName, largestRow->ResourceName).Commit();
    const size_t peakAdded = PeakCommit() - peakBefore;

    if (argc > 2) {
        const uint64_t exeSize = FileSize(argv[2]);
        TModuleHandle setup = LoadModuleAsData(argv[2]);
        uint64_t compressed = 0;
        for (const TRow& row : rows)
            compressed += TResourceData(setup.get(), "BINARY", row.ResourceName).Length();
        std::printf("setup.exe                     %10llu bytes\n", static_cast<unsigned long long>(exeSize));
        std::printf("%zu compressed resources       %10llu bytes\n", rows.size(),
                    static_cast<unsigned long long>(compressed));
        std::printf("installer's own cost          %10llu bytes (target <= 236000)\n",
                    static_cast<unsigned long long>(exeSize - compressed));
    }

    // What the payload inflates to, for the plain inflate's buffers.
    std::vector<std::vector<unsigned char>> inflated(rows.size());
    uint64_t inflatedTotal = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        ExtractPayload(work + rows[i].FileName, rows[i].ResourceName).Commit();
        inflated[i] = testing_support::ReadBytes(work + rows[i].FileName);
        inflatedTotal += inflated[i].size();
    }
    std::vector<std::vector<unsigned char>> vendorFiles;
    uint64_t vendorTotal = 0;
    for (uint32_t size : VendorSizes) {
        vendorFiles.emplace_back(size, static_cast<unsigned char>(size));
        vendorTotal += size;
    }

    // One timed step per round; its throughput is over the payload unless
    // it writes the vendor-sized files, and the extractions are also set
    // against the plain inflate.
    struct TFigure {
        const char* Label;
        std::function<void(int round)> Step;
        bool Vendor = false;
        bool Extraction = false;
        std::vector<double> Times = {};
    };
    bool inflateOk = true, installOk = true;
    std::vector<TFigure> figures;
    figures.push_back({"plain inflate into memory", [&](int) {
        for (size_t i = 0; i < rows.size(); ++i) {
            TResourceData resource(nullptr, "BINARY", rows[i].ResourceName);
            uLongf length = static_cast<uLongf>(inflated[i].size());
            inflateOk &= uncompress(inflated[i].data(), &length, static_cast<const Bytef*>(resource.Data()),
                                    resource.Length()) == Z_OK &&
                         length == inflated[i].size();
        }
    }});
    figures.push_back({"ExtractPayload, empty folder", [&](int round) {
        const std::string folder = MakeTempFolder(("qova-bench-fresh-" + std::to_string(round) + "-").c_str());
        for (const TRow& row : rows)
            ExtractPayload(folder + row.FileName, row.ResourceName).Commit();
    }, false, true});
    figures.push_back({"ExtractPayload, over the files", [&](int) {
        for (const TRow& row : rows)
            ExtractPayload(work + row.FileName, row.ResourceName).Commit();
    }, false, true});
    // What the check against the image's digests costs of the extraction.
    figures.push_back({"  of which SHA-256", [&](int) {
        for (const TRow& row : rows) {
            TResourceData resource(nullptr, "BINARY", row.ResourceName);
            TSha256 hash;
            hash.Update(resource.Data(), resource.Length());
            hash.Finish();
        }
    }});
    const size_t sameBytes = figures.size(), vendorSized = sameBytes + 2;
    figures.push_back({"new files, same bytes", [&](int) { WriteFiles(work, inflated, false); }});
    figures.push_back({"  the same, each flushed", [&](int) { WriteFiles(work, inflated, true); }});
    figures.push_back({"new files, vendor-sized", [&](int) { WriteFiles(work, vendorFiles, false); }, true});
    figures.push_back({"  the same, each flushed", [&](int) { WriteFiles(work, vendorFiles, true); }, true});
    // A complete installation's log alone: 38 immediate profile writes.
    figures.push_back({"install log alone, 38 entries", [&](int) {
        {
            TLogState logOnly;
            logOnly.InstallLog = std::make_unique<TInstallLog>(work + "bench.log");
            for (int entry = 0; entry < 38; ++entry)
                logOnly.LogPath(entry < 24 ? lkFile : lkFolder, work + "entry" + std::to_string(entry));
        }
        DeleteFileA((work + "bench.log").c_str());
    }});

    std::vector<double> installTimes;
    for (int round = 0; round < rounds; ++round) {
        // Interleaved, so that a busy moment of the machine touches every figure alike.
        for (TFigure& figure : figures) {
            const double start = Seconds();
            figure.Step(round);
            figure.Times.push_back(Seconds() - start);
        }
        const std::string target = MakeTempFolder(("qova-bench-install-" + std::to_string(round) + "-").c_str());
        {
            TBenchRegistry registry(target);
            TSetupState state;
            state.ProgramIniPath = target + "qova.ini";
            state.SimulatorIniPath = target + "qovasim.ini";
            TInstallChoices choices;
            choices.Folder = target + "QOVA";
            TSilentUser user;
            const double start = Seconds();
            installOk &= InstallFiles(state, choices, user);
            installTimes.push_back(Seconds() - start);
        }
        testing_support::RemoveTree(target);
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        testing_support::RemoveTree(std::string(temp) + "qova-bench-fresh-" + std::to_string(round) + "-" +
                                    std::to_string(GetCurrentProcessId()));
    }
    testing_support::RemoveTree(work);

    const double mb = static_cast<double>(inflatedTotal) / (1024.0 * 1024.0);
    const double inflate = Median(figures[0].Times);
    std::printf("payload inflated              %10llu bytes in %zu files, %d rounds\n",
                static_cast<unsigned long long>(inflatedTotal), rows.size(), rounds);
    std::printf("vendor-sized files            %10llu bytes in %zu files\n",
                static_cast<unsigned long long>(vendorTotal), vendorFiles.size());
    std::printf("%-31s %8s  %8s  %s\n", "median of the rounds", "ms", "MB/s", "of plain inflate's throughput");
    for (const TFigure& figure : figures) {
        const double t = Median(figure.Times);
        std::printf("%-31s %8.2f  %8.1f", figure.Label, t * 1000,
                    (figure.Vendor ? static_cast<double>(vendorTotal) / (1024.0 * 1024.0) : mb) / t);
        if (figure.Extraction)
            std::printf("  %5.0f %%", 100.0 * inflate / t);
        if (&figure == &figures[0] && !inflateOk)
            std::printf("  (INFLATE FAILED)");
        std::printf("\n");
    }
    std::printf("(target: an extraction at >= 40 %% of the plain inflate's throughput)\n");
    const double extract = Median(figures[1].Times), install = Median(installTimes);
    std::printf("FlushFileBuffers costs        %8.2f ms on this payload, %.2f ms on the vendor-sized files\n",
                (Median(figures[sameBytes + 1].Times) - Median(figures[sameBytes].Times)) * 1000,
                (Median(figures[vendorSized + 1].Times) - Median(figures[vendorSized].Times)) * 1000);
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
