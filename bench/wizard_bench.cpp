// The installer's figures against their floors, through the end-to-end
// driver: the real setup.exe started and clicked through like a person
// would, against an empty window program started the same way and the
// native inflate-and-write of the same payload. Measures and prints.
//
//   wizard_bench ROUNDS SETUP_EXE EMPTY_WINDOW_EXE FLOOR_FILE LABEL
//
// FLOOR_FILE holds native_install's output. Each round: the empty window
// program started, shown and closed; then setup.exe started, taken to the
// ready page, Continue pressed and the finish page awaited, and the program
// closed; then what it installed removed, so that every round installs
// afresh. One round first is not counted: the prefix's first starts are slow.
#include "engine/product_manifest.h"
#include "platform/data_module.h"
#include "platform/resource.h"
#include "test_support.h"
#include "tests/e2e/wizard_driver.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

struct TSamples {
    std::vector<double> Values;
    double Median() const
    {
        std::vector<double> v = Values;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double Min() const { return Values.empty() ? 0 : *std::min_element(Values.begin(), Values.end()); }
    double Max() const { return Values.empty() ? 0 : *std::max_element(Values.begin(), Values.end()); }
};

double PeakResidentMiB(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(process, &memory, sizeof memory))
        return 0;
    return static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// What an installation leaves, so that the next one starts from nothing.
void RemoveInstallation()
{
    const std::string name = ProductManifest::ProductIdentity.ShortName;
    testing_support::RemoveTree(ShellFolder(CSIDL_PROGRAM_FILES) + "\\" + name);
    testing_support::RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\" + name);
    for (const char* link : {"QOVA.lnk", "QOVAsim.lnk"})
        DeleteFileA((ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + link).c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name).c_str());
}

struct TRound {
    double Launch = 0, Memory = 0, Install = 0;
};

bool RunEmptyWindow(const std::string& exe, TRound& round)
{
    TSetupProcess process(exe);
    HWND window = nullptr;
    if (!process.Id() ||
        !WaitUntil([&] { return (window = process.FindVisibleWindow("QovaEmptyWindow")) || !process.Running(); },
                   60000) ||
        !window)
        return false;
    round.Launch = SecondsSince(process.StartedAt()) * 1000;
    Settle(window);
    round.Memory = PeakResidentMiB(process.Process());
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 0;
    if (!process.WaitForExit(15000, code))
        process.Kill();
    return true;
}

int Page(HWND pages)
{
    DWORD_PTR page = static_cast<DWORD_PTR>(-1);
    SendMessageTimeoutA(pages, TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &page);
    return static_cast<int>(page);
}

bool RunSetup(const std::string& exe, TRound& round)
{
    TSetupProcess process(exe);
    HWND main = nullptr;
    if (!process.Id() ||
        !WaitUntil([&] { return (main = process.FindMainWindow()) || !process.Running(); }, 60000) || !main)
        return false;
    round.Launch = SecondsSince(process.StartedAt()) * 1000;
    HWND continueBt = FindControl(main, "Button", "Continue");
    HWND exitBt = FindControl(main, "Button", "Exit setup");
    HWND pages = FindControl(main, WC_TABCONTROLA);
    if (!continueBt || !exitBt || !pages) {
        process.Kill();
        return false;
    }
    Settle(main);
    for (int page = 1; page <= 4; ++page) {
        ClickWithMouse(continueBt);
        if (!WaitUntil([&] { return Page(pages) == page; }, 10000)) {
            process.Kill();
            return false;
        }
        Settle(main);
    }
    const LONGLONG start = Now();
    ClickWithMouse(continueBt);
    if (!WaitUntil([&] { return Page(pages) == 5 && TextOf(exitBt) == "Close"; }, 60000)) {
        process.Kill();
        return false;
    }
    round.Install = SecondsSince(start) * 1000;
    round.Memory = PeakResidentMiB(process.Process());
    Settle(main);
    ClickWithMouse(exitBt);
    DWORD code = 0;
    if (!process.WaitForExit(15000, code))
        process.Kill();
    return true;
}

// native_install's lines: a name, then milliseconds.
TSamples FloorLine(const std::string& file, const std::string& name)
{
    std::ifstream in(file);
    std::string line;
    TSamples samples;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        for (double value; first == name && words >> value;)
            samples.Values.push_back(value);
    }
    return samples;
}

std::string Range(const TSamples& s, const char* format)
{
    char low[32], high[32];
    std::snprintf(low, sizeof low, format, s.Min());
    std::snprintf(high, sizeof high, format, s.Max());
    return std::string(low) + " - " + high;
}

std::string Value(double value, const char* format, const char* unit)
{
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return std::string(text) + " " + unit;
}

// One figure: its median and range, its floor's (none for the own cost,
// which is set against its target), their ratio and the target.
void Row(const char* figure, const TSamples& own, const TSamples* floor, double basis, const char* format,
         const char* unit, const char* target)
{
    const double reference = floor ? floor->Median() : basis;
    std::printf("%-34s %12s %-19s %12s %-19s %6.2f x  %s\n", figure, Value(own.Median(), format, unit).c_str(),
                own.Values.size() > 1 ? Range(own, format).c_str() : "",
                floor ? Value(floor->Median(), format, unit).c_str() : "-",
                floor ? Range(*floor, format).c_str() : "", reference > 0 ? own.Median() / reference : 0.0, target);
}

int Run(int argc, char** argv)
{
    if (argc != 6) {
        std::printf("usage: wizard_bench ROUNDS SETUP_EXE EMPTY_WINDOW_EXE FLOOR_FILE LABEL\n");
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    const std::string setupExe = argv[2], emptyExe = argv[3];

    // The own cost: the file less the payload resources' bytes.
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    GetFileAttributesExA(setupExe.c_str(), GetFileExInfoStandard, &attributes);
    const double exeSize = attributes.nFileSizeLow;
    double compressed = 0;
    {
        TModuleHandle setup = LoadModuleAsData(setupExe);
        for (const auto& table : {std::span<const ProductManifest::TPayloadRow>(ProductManifest::PayloadTable),
                                  std::span<const ProductManifest::TPayloadRow>(ProductManifest::DeviceTable)})
            for (const auto& row : table)
                compressed += TResourceData(setup.get(), "BINARY", row.ResourceName).Length();
    }

    TSamples setupLaunch, emptyLaunch, setupMemory, emptyMemory, install;
    int failed = 0;
    RemoveInstallation();
    for (int round = -1; round < rounds; ++round) {
        TRound empty, setup;
        const bool ok = RunEmptyWindow(emptyExe, empty) && RunSetup(setupExe, setup);
        RemoveInstallation();
        if (!ok) {
            ++failed;
            continue;
        }
        if (round < 0)
            continue;
        emptyLaunch.Values.push_back(empty.Launch);
        emptyMemory.Values.push_back(empty.Memory);
        setupLaunch.Values.push_back(setup.Launch);
        setupMemory.Values.push_back(setup.Memory);
        install.Values.push_back(setup.Install);
    }

    const TSamples plain = FloorLine(argv[4], "plain"), synced = FloorLine(argv[4], "synced");
    std::printf("== %s payload: setup.exe %.0f bytes, payload resources %.0f bytes; %zu rounds%s\n", argv[5], exeSize,
                compressed, install.Values.size(), failed ? " (some rounds failed)" : "");
    std::printf("%-34s %12s %-19s %12s %-19s %8s  %s\n", "figure", "median", "min - max", "floor", "min - max",
                "ratio", "target");
    Row("own cost (setup.exe less payload)", TSamples{{exeSize - compressed}}, nullptr, 250000, "%.0f", "B",
        "<= 250000 B (ratio to it)");
    Row("install phase, Continue to finish", install, &plain, 0, "%.1f", "ms", "<= 3 x native inflate + write");
    Row("  the same, floor with fsync", install, &synced, 0, "%.1f", "ms", "(each file synced, as setup.exe does)");
    Row("launch to window visible", setupLaunch, &emptyLaunch, 0, "%.1f", "ms", "<= 1.3 x empty window");
    char memoryTarget[64];
    std::snprintf(memoryTarget, sizeof memoryTarget, "<= empty window + 4 MiB (now %+.1f MiB)",
                  setupMemory.Median() - emptyMemory.Median());
    Row("peak resident memory", setupMemory, &emptyMemory, 0, "%.1f", "MiB", memoryTarget);
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::printf("wizard_bench failed: %s\n", error.what());
        return 1;
    }
}
