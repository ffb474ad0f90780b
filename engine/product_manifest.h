// What the installer installs and how the product names itself. The same
// tables drive the installation and the build's payload packer, so a change
// of product is a change here and in the payload folder, nothing else.
// Portable: no Windows headers. Strings are in the system code page.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ProductManifest {

struct TPayloadRow {
    const char* ResourceName; // stored in upper case under type BINARY
    const char* FileName;     // name in the installation folder
};

struct TPreservedRow {
    const char* KeepName; // payload file never overwritten when present
    const char* LogName;  // logged near the end of the installation
};

// Row order is part of the contract: the named rows below point into it.
inline constexpr std::array<TPayloadRow, 13> PayloadTable{{
    {"qova", "QOVA.exe"},
    {"qovasim", "QOVAsim.exe"},
    {"uninstall", "Uninstall.exe"},
    {"copyright", "Copyright.txt"},
    {"qovaeng", "qovaeng.dll"},
    {"qovaspa", "qovaspa.dll"},
    {"qovasup", "qovasup.dll"},
    {"qsimeng", "qsimeng.dll"},
    {"qsimspa", "qsimspa.dll"},
    {"qsimsup", "qsimsup.dll"},
    {"background", "background.jpg"},
    {"bass", "bass.dll"},
    {"basscd", "basscd.dll"},
}};

// The rows other code reaches by name.
inline constexpr const TPayloadRow& MainProgram = PayloadTable[0];     // target and icons of the main shortcuts
inline constexpr const TPayloadRow& Simulator = PayloadTable[1];       // target and icon of the simulator's
inline constexpr const TPayloadRow& Uninstaller = PayloadTable[2];     // the uninstall command
inline constexpr const TPayloadRow& ProgramEnglish = PayloadTable[4];  // the language libraries
inline constexpr const TPayloadRow& ProgramSpanish = PayloadTable[5];
inline constexpr const TPayloadRow& SimulatorEnglish = PayloadTable[7];
inline constexpr const TPayloadRow& SimulatorSpanish = PayloadTable[8];

// Payload files never overwritten when present: none in this build.
inline constexpr std::array<TPreservedRow, 0> PreservedTable{};

// True when a payload file is never overwritten when present.
constexpr bool IsPreserved(std::string_view fileName)
{
    for (const TPreservedRow& row : PreservedTable)
        if (fileName == row.KeepName)
            return true;
    return false;
}

// Folders per language in DataFolderTable; the first of each language's
// rows is its devices folder.
inline constexpr std::size_t DataFoldersPerLanguage = 6;

// English in rows 0-5, Spanish in rows 6-11.
inline constexpr std::array<const char*, 2 * DataFoldersPerLanguage> DataFolderTable{{
    "Devices", "Sound", "Space", "Project", "Show", "Simulation",
    "Dispositivos", "Sonido", "Espacio", "Proyecto", "Espectaculo", "Simulacion",
}};

inline constexpr std::array<TPayloadRow, 8> DeviceTable{{
    {"dev20000", "20000.qdev"},
    {"dev20010", "20010.qdev"},
    {"dev20011", "20011.qsub"},
    {"dev20020", "20020.qdev"},
    {"dev20021", "20021.qsub"},
    {"dev20030", "20030.qdev"},
    {"dev20040", "20040.qdev"},
    {"dev20041", "20041.qsub"},
}};

struct TProductIdentity {
    const char* CompanyFolder;
    const char* ShortName;
    const char* SimShortName;
    const char* FullName;
    const char* SimFullName;
    const char* VersionText;
    const char* ContactAddress;
    const char* PublisherName;
    const char* AboutURL;
    const char* UpdateURL;
};

inline constexpr TProductIdentity ProductIdentity{
    "Norvane",
    "QOVA",
    "QOVAsim",
    "Qovarium",
    "QOVA Show Simulator",
    "1.5",
    "support@norvane-brelkon.com",
    "Norvane Brelkon",
    "https://www.norvane-brelkon.com/qovarium/",
    "https://www.norvane-brelkon.com/qovarium/",
};

inline constexpr int32_t VersionMajor = 1;
inline constexpr int32_t VersionMinor = 5;
inline constexpr const char* ProductLinkName = "Brelkon web page";
inline constexpr const char* MakerURL = "https://www.norvane-brelkon.com/";
inline constexpr const char* MakerLinkName = "Norvane web page";
inline constexpr const char* SpaceRequiredText = "7.60MB";

// Texts of the window's bottom bar.
inline constexpr const char* MakerDisplayAddress = "www.norvane-brelkon.com";
inline constexpr const char* CopyrightLine = "\xA9 2004-2026 Norvane Brelkon";

} // namespace ProductManifest
