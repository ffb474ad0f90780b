// The installer's figures against the peer installer and the floors,
// through the end-to-end driver: the real setup.exe started and clicked
// through like a person would, against the peer built around the same
// payload (its wizard started the same way, its installation run silently),
// an empty window program started the same way and the native
// inflate-and-write of the same payload. Measures and prints.
//
//   wizard_bench ROUNDS SETUP_EXE EMPTY_WINDOW_EXE FLOOR_FILE LABEL PEER_EXE
//
// FLOOR_FILE holds native_install's output. Each round: the empty window
// program started, shown and closed; setup.exe started, taken to the ready
// page, Continue pressed and the finish page awaited, and the program
// closed; the peer's wizard started, shown and closed, then the peer run
// silently into a folder of its own; then what they installed removed, so
// that every round installs afresh. One round first is not counted: the
// prefix's first starts are slow.
#include "engine/product_manifest.h"
#include "page_text.h"
#include "platform/data_module.h"
#include "platform/resource.h"
#include "test_support.h"
#include "tests/e2e/wizard_driver.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
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

const char* const PeerFolder = "C:\\QovaPeer";

// What an installation leaves, so that the next one starts from nothing.
void RemoveInstallation()
{
    testing_support::RemoveTree(PeerFolder);
    const std::string name = ProductManifest::ProductIdentity.ShortName;
    testing_support::RemoveTree(ShellFolder(CSIDL_PROGRAM_FILES) + "\\" + name);
    testing_support::RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\" + name);
    for (const char* link : {"QOVA.lnk", "QOVAsim.lnk"})
        DeleteFileA((ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + link).c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name).c_str());
}

struct TRound {
    double Launch = 0, ShownMemory = 0, RunMemory = 0, Install = 0;
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
    round.ShownMemory = PeakResidentMiB(process.Process());
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 0;
    if (!process.WaitForExit(15000, code))
        process.Kill();
    return true;
}

bool RunSetup(const std::string& exe, TRound& round)
{
    TSetupProcess process(exe);
    HWND main = nullptr;
    if (!process.Id() ||
        !WaitUntil([&] { return (main = process.FindMainWindow()) || !process.Running(); }, 60000) || !main)
        return false;
    round.Launch = SecondsSince(process.StartedAt()) * 1000;
    HWND continueBt = FindControl(main, TControlId::ContinueBt);
    HWND exitBt = FindControl(main, TControlId::ExitBt);
    HWND pages = FindControl(main, TControlId::PageControl);
    if (!continueBt || !exitBt || !pages) {
        process.Kill();
        return false;
    }
    Settle(main);
    round.ShownMemory = PeakResidentMiB(process.Process());
    for (TPage page : PagesFrom(TPage::Folder, TPage::Ready)) {
        ClickWithMouse(continueBt);
        if (!WaitUntil([&] { return ShownPage(pages) == page; }, 10000)) {
            process.Kill();
            return false;
        }
        Settle(main);
    }
    const LONGLONG start = Now();
    ClickWithMouse(continueBt);
    if (!WaitUntil([&] { return ShownPage(pages) == TPage::Finish && TextOf(exitBt) == "Close"; }, 60000)) {
        process.Kill();
        return false;
    }
    round.Install = SecondsSince(start) * 1000;
    round.RunMemory = PeakResidentMiB(process.Process());
    Settle(main);
    ClickWithMouse(exitBt);
    DWORD code = 0;
    if (!process.WaitForExit(15000, code))
        process.Kill();
    return true;
}

// The peer's wizard to its first page, shown, then closed; then the peer
// run silently, start to end, its peak memory sampled while it runs.
bool RunPeer(const std::string& exe, TRound& round)
{
    {
        TSetupProcess process(exe);
        HWND window = nullptr;
        if (!process.Id() ||
            !WaitUntil([&] { return (window = process.FindVisibleWindow("#32770")) || !process.Running(); }, 60000) ||
            !window)
            return false;
        round.Launch = SecondsSince(process.StartedAt()) * 1000;
        Settle(window);
        round.ShownMemory = PeakResidentMiB(process.Process());
        process.Kill();
        DWORD code = 0;
        process.WaitForExit(15000, code);
    }
    std::string command = "\"" + exe + "\" /S /D=" + PeerFolder;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const LONGLONG start = Now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    const TKernelHandle process(info.hProcess), thread(info.hThread);
    double peak = 0;
    while (WaitForSingleObject(process.get(), 1) == WAIT_TIMEOUT)
        peak = std::max(peak, PeakResidentMiB(process.get()));
    round.Install = SecondsSince(start) * 1000;
    round.RunMemory = std::max(peak, PeakResidentMiB(process.get()));
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    return code == 0 && testing_support::PathExists(std::string(PeerFolder) + "\\QOVA.exe");
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

std::string Ratio(const TSamples& own, const TSamples& other)
{
    if (other.Values.empty() || other.Median() <= 0)
        return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%.2f x", own.Median() / other.Median());
    return text;
}

std::string Column(const TSamples& s, const char* format, const char* unit)
{
    if (s.Values.empty())
        return "-";
    return Value(s.Median(), format, unit) + (s.Values.size() > 1 ? " (" + Range(s, format) + ")" : "");
}

// One figure: ours, the peer's and the floor's, each a median and its
// range, ours against each, and the target.
void Row(const char* figure, const TSamples& own, const TSamples& peer, const TSamples& floor, const char* format,
         const char* unit, const char* target)
{
    std::printf("%-36s %-26s %-26s %-26s %8s %8s  %s\n", figure, Column(own, format, unit).c_str(),
                Column(peer, format, unit).c_str(), Column(floor, format, unit).c_str(), Ratio(own, peer).c_str(),
                Ratio(own, floor).c_str(), target);
}

int Run(int argc, char** argv)
{
    if (argc != 7) {
        std::printf("usage: wizard_bench ROUNDS SETUP_EXE EMPTY_WINDOW_EXE FLOOR_FILE LABEL PEER_EXE\n");
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    const std::string setupExe = argv[2], emptyExe = argv[3], peerExe = argv[6];

    // The own cost: the file less the payload resources' bytes.
    const auto fileSize = [](const std::string& path) {
        WIN32_FILE_ATTRIBUTE_DATA attributes{};
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes);
        return static_cast<double>(attributes.nFileSizeLow);
    };
    const double exeSize = fileSize(setupExe), peerSize = fileSize(peerExe);
    double compressed = 0;
    {
        TModuleHandle setup = LoadModuleAsData(setupExe);
        for (const auto& table : {std::span<const ProductManifest::TPayloadRow>(ProductManifest::PayloadTable),
                                  std::span<const ProductManifest::TPayloadRow>(ProductManifest::DeviceTable)})
            for (const auto& row : table)
                compressed += TResourceData(setup.get(), "BINARY", row.ResourceName).Length();
    }

    TSamples ourLaunch, peerLaunch, emptyLaunch, ourShown, peerShown, emptyShown, ourRun, peerRun, ourInstall,
        peerInstall;
    int failed = 0;
    RemoveInstallation();
    for (int round = -1; round < rounds; ++round) {
        TRound empty, ours, peer;
        const bool ok = RunEmptyWindow(emptyExe, empty) && RunSetup(setupExe, ours) && RunPeer(peerExe, peer);
        RemoveInstallation();
        if (!ok) {
            ++failed;
            continue;
        }
        if (round < 0)
            continue;
        for (auto [samples, value] : {std::pair{&emptyLaunch, empty.Launch}, std::pair{&emptyShown, empty.ShownMemory},
                                      std::pair{&ourLaunch, ours.Launch}, std::pair{&ourShown, ours.ShownMemory},
                                      std::pair{&ourRun, ours.RunMemory}, std::pair{&ourInstall, ours.Install},
                                      std::pair{&peerLaunch, peer.Launch}, std::pair{&peerShown, peer.ShownMemory},
                                      std::pair{&peerRun, peer.RunMemory}, std::pair{&peerInstall, peer.Install}})
            samples->Values.push_back(value);
    }

    const TSamples plain = FloorLine(argv[4], "plain"), synced = FloorLine(argv[4], "synced");
    std::printf("== %s payload: setup.exe %.0f bytes, payload resources %.0f bytes; %zu rounds%s\n", argv[5], exeSize,
                compressed, ourInstall.Values.size(), failed ? " (some rounds failed)" : "");
    std::printf("%-36s %-26s %-26s %-26s %8s %8s  %s\n", "figure: median (min - max)", "ours", "peer", "floor",
                "/peer", "/floor", "target");
    const TSamples none;
    Row("file size", TSamples{{exeSize}}, TSamples{{peerSize}}, none, "%.0f", "B", "< peer");
    Row("own cost (setup.exe less payload)", TSamples{{exeSize - compressed}}, none, TSamples{{236000}}, "%.0f", "B",
        "<= 236000 B (the floor column)");
    Row("launch to window visible", ourLaunch, peerLaunch, emptyLaunch, "%.1f", "ms",
        "<= 0.9 x peer, <= 1.5 x empty window");
    Row("peak memory, window shown", ourShown, peerShown, emptyShown, "%.1f", "MiB", "<= peer");
    Row("peak memory, whole run", ourRun, peerRun, none, "%.1f", "MiB", "<= peer's silent install + 1 MiB");
    Row("install phase", ourInstall, peerInstall, plain, "%.1f", "ms",
        "<= 0.5 x peer's silent install (floor: native inflate + write)");
    Row("  the same, floor with fsync", ourInstall, none, synced, "%.1f", "ms", "<= 2.5 x native with a sync per file");
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
