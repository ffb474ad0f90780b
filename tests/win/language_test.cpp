// Language preselection and hand-off on real settings files.
#include "shell/language.h"

#include "test_support.h"

#include <gtest/gtest.h>

using testing_support::Env;
using testing_support::FolderEntries;
using testing_support::PathExists;
using testing_support::ReadText;
using testing_support::TTempDir;
using testing_support::WriteBytes;

namespace {

class LanguageTest : public testing::Test {
protected:
    LanguageTest()
    {
        state.ProgramIniPath = dir / "qova.ini";
        state.SimulatorIniPath = dir / "qovasim.ini";
    }

    void WriteProgramIni(const std::string& text) { WriteBytes(state.ProgramIniPath, text); }
    void WriteSimulatorIni(const std::string& text) { WriteBytes(state.SimulatorIniPath, text); }
    int32_t Preselect(int32_t selected)
    {
        return PreselectLanguage(state.ProgramIniPath, state.CurrentLangLibrary, selected);
    }
    void HandOff(int32_t lang)
    {
        HandOffLanguage(state.ProgramIniPath, state.SimulatorIniPath, state.CurrentLangLibrary, lang, scratch.Path());
    }

    TTempDir dir, scratch;
    struct {
        std::string ProgramIniPath, SimulatorIniPath, CurrentLangLibrary;
    } state; // as the form holds them
};

TEST_F(LanguageTest, NoFileKeepsSelectionAndEmptySetting)
{
    EXPECT_EQ(0, Preselect(0));
    EXPECT_EQ("", state.CurrentLangLibrary);
    WriteProgramIni("[Other]\r\nLangLibrary=qovaspa.dll\r\n");
    EXPECT_EQ(0, Preselect(0)) << "key in another section";
    EXPECT_EQ("", state.CurrentLangLibrary);
}

TEST_F(LanguageTest, PreselectsOnlyOnExactLibraryNames)
{
    WriteProgramIni("[QOVA]\r\nLangLibrary=qovaspa.dll\r\n");
    EXPECT_EQ(1, Preselect(0));
    EXPECT_EQ("qovaspa.dll", state.CurrentLangLibrary);

    WriteProgramIni("[QOVA]\r\nLangLibrary=qovaeng.dll\r\n");
    EXPECT_EQ(0, Preselect(1));
    EXPECT_EQ("qovaeng.dll", state.CurrentLangLibrary);

    WriteProgramIni("[QOVA]\r\nLangLibrary=QOVASPA.DLL\r\n");
    EXPECT_EQ(0, Preselect(0));
    EXPECT_EQ("QOVASPA.DLL", state.CurrentLangLibrary);

    WriteProgramIni("[QOVA]\r\nLangLibrary=qovafra.dll\r\n");
    EXPECT_EQ(1, Preselect(1)) << "an unknown name leaves the selection as it was";
    EXPECT_EQ("qovafra.dll", state.CurrentLangLibrary);

    // Key names are found whatever their case.
    WriteProgramIni("[QOVA]\r\nlanglibrary=qovaspa.dll\r\n");
    EXPECT_EQ(1, Preselect(0));
}

TEST_F(LanguageTest, SimulatorFileIsNeverConsulted)
{
    WriteSimulatorIni("[QOVASim]\r\nLangLibrary=qsimspa.dll\r\n[QOVA]\r\nLangLibrary=qovaspa.dll\r\n");
    EXPECT_EQ(0, Preselect(0));
    EXPECT_EQ("", state.CurrentLangLibrary);
    WriteProgramIni("[QOVA]\r\nLangLibrary=qovaeng.dll\r\n");
    EXPECT_EQ(0, Preselect(0));
}

TEST_F(LanguageTest, SpanishCreatesBothFilesWithOneSectionAndKey)
{
    HandOff(1);
    EXPECT_EQ("[QOVA]\r\nLangLibrary=qovaspa.dll\r\n", ReadText(state.ProgramIniPath));
    EXPECT_EQ("[QOVASim]\r\nLangLibrary=qsimspa.dll\r\n", ReadText(state.SimulatorIniPath));
}

TEST_F(LanguageTest, SpanishKeepsOtherSectionsAndKeys)
{
    WriteProgramIni("[Window]\r\nLeft=10\r\n[QOVA]\r\nRecent=show1\r\nLangLibrary=qovaeng.dll\r\n");
    WriteSimulatorIni("[QOVASim]\r\nSpeed=2\r\n");
    state.CurrentLangLibrary = "qovaeng.dll";
    HandOff(1);
    EXPECT_EQ("[Window]\r\nLeft=10\r\n[QOVA]\r\nRecent=show1\r\nLangLibrary=qovaspa.dll\r\n",
              ReadText(state.ProgramIniPath));
    EXPECT_EQ("[QOVASim]\r\nSpeed=2\r\nLangLibrary=qsimspa.dll\r\n", ReadText(state.SimulatorIniPath));
}

TEST_F(LanguageTest, SpanishReinstallStillWritesTheSimulatorsFile)
{
    // The main application already names Spanish; the simulator is brought in line.
    WriteProgramIni("[QOVA]\r\nLangLibrary=qovaspa.dll\r\n");
    WriteSimulatorIni("[QOVASim]\r\nLangLibrary=qsimeng.dll\r\n");
    HandOff(Preselect(0));
    EXPECT_EQ("[QOVA]\r\nLangLibrary=qovaspa.dll\r\n", ReadText(state.ProgramIniPath));
    EXPECT_EQ("[QOVASim]\r\nLangLibrary=qsimspa.dll\r\n", ReadText(state.SimulatorIniPath));
}

TEST_F(LanguageTest, EnglishWritesNothingWithoutAnOtherSetting)
{
    HandOff(Preselect(0));
    EXPECT_FALSE(PathExists(state.ProgramIniPath));
    EXPECT_FALSE(PathExists(state.SimulatorIniPath));

    WriteProgramIni("[QOVA]\r\nLangLibrary=qovaeng.dll\r\n");
    HandOff(Preselect(0));
    EXPECT_EQ("[QOVA]\r\nLangLibrary=qovaeng.dll\r\n", ReadText(state.ProgramIniPath));
    EXPECT_FALSE(PathExists(state.SimulatorIniPath));
}

TEST_F(LanguageTest, EnglishOverPreselectedSpanishWritesEnglishLibraries)
{
    WriteProgramIni("[QOVA]\r\nLangLibrary=qovaspa.dll\r\n");
    WriteSimulatorIni("[QOVASim]\r\nLangLibrary=qsimspa.dll\r\n");
    ASSERT_EQ(1, Preselect(0));
    HandOff(0); // the user switched back to English
    EXPECT_EQ("[QOVA]\r\nLangLibrary=qovaeng.dll\r\n", ReadText(state.ProgramIniPath));
    EXPECT_EQ("[QOVASim]\r\nLangLibrary=qsimeng.dll\r\n", ReadText(state.SimulatorIniPath));
}

TEST_F(LanguageTest, EnglishReplacesAnUnknownSetting)
{
    WriteProgramIni("[QOVA]\r\nLangLibrary=QOVASPA.DLL\r\n");
    HandOff(Preselect(0));
    EXPECT_EQ("[QOVA]\r\nLangLibrary=qovaeng.dll\r\n", ReadText(state.ProgramIniPath));
    EXPECT_EQ("[QOVASim]\r\nLangLibrary=qsimeng.dll\r\n", ReadText(state.SimulatorIniPath));
}

// The settings are the user's files, in folders the user may have linked
// anywhere: never written through a link, nor into another name of a file;
// the profile functions' own bytes, worked out where no one else can write.
TEST_F(LanguageTest, SettingsAreNeverWrittenThroughALinkOrIntoAnotherName)
{
    const std::string links = Env("QOVA_TEST_LINKS");
    ASSERT_FALSE(links.empty()) << "no links to test with";
    for (const std::string& path : {links + "\\junction\\qova.ini", links + "\\planted\\install.log"}) {
        state.ProgramIniPath = path;
        EXPECT_RAISES("Unable to write to " + path, HandOff(1));
    }
    EXPECT_EQ(std::vector<std::string>{"victim.txt"}, FolderEntries(links + "\\target"));

    state.ProgramIniPath = dir / "qova.ini";
    const std::string otherName = dir / "elsewhere.ini";
    WriteBytes(otherName, "[Keep]\r\nThis=1\r\n");
    ASSERT_TRUE(CreateHardLinkA(state.ProgramIniPath.c_str(), otherName.c_str(), nullptr));
    HandOff(1);
    EXPECT_EQ("[Keep]\r\nThis=1\r\n[QOVA]\r\nLangLibrary=qovaspa.dll\r\n", ReadText(state.ProgramIniPath));
    EXPECT_EQ("[Keep]\r\nThis=1\r\n", ReadText(otherName));
    EXPECT_TRUE(FolderEntries(scratch.Path()).empty()) << "no copy left";
}

TEST_F(LanguageTest, RefusedWriteRaisesAndStopsTheHandOff)
{
    state.ProgramIniPath = dir / "missing\\qova.ini";
    for (int32_t lang : {1, 0}) {
        state.CurrentLangLibrary = "qovaspa.dll";
        EXPECT_RAISES("Unable to write to " + state.ProgramIniPath, HandOff(lang)) << "language " << lang;
        EXPECT_FALSE(PathExists(state.SimulatorIniPath)) << "language " << lang;
    }

    // The simulator's own refusal names its file.
    state.ProgramIniPath = dir / "qova.ini";
    state.SimulatorIniPath = dir / "missing\\qovasim.ini";
    EXPECT_RAISES("Unable to write to " + state.SimulatorIniPath, HandOff(1));
}

} // namespace
