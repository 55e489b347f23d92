#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "archive/Safefile.h"
#include "settings/Inifile.h"
#include "settings/Settings.h"

namespace fs = std::filesystem;
using settings::TIniFile;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zelko-settings-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string Slurp(const std::string& path) {
        std::string bytes, error;
        ReadWholeFile(path, bytes, error);
        return bytes;
    }
    fs::path dir_;
};

TEST(IniFile, ReadsValuesAsTheFileSpellsThem) {
    const TIniFile ini = TIniFile::Parse(
        "; made by hand\r\n"
        "[SurfaceTab]\r\n"
        "  width0 = 0.2 \r\n"
        "Name=a=b\r\n"
        "Count=+7\r\n"
        "Bad=12abc\r\n"
        "Huge=99999999999\r\n"
        "NotFinite=nan\r\n"
        "Infinite=1e999\r\n"
        "[Other]\n"
        "Width0=9\n");
    struct Row {
        const char* key;
        double asFloat;  // default -1
        int asInteger;   // default -1
        const char* asString;
    } rows[] = {
        {"Width0", 0.2, -1, "0.2"},  // case-insensitive key, blanks trimmed, CR dropped
        {"Name", -1, -1, "a=b"},     // the value runs from the first '='
        {"Count", 7, 7, "+7"},
        {"Bad", -1, -1, "12abc"},
        {"Huge", 99999999999.0, -1, "99999999999"},
        {"NotFinite", -1, -1, "nan"},
        {"Infinite", -1, -1, "1e999"},
        {"Missing", -1, -1, "dflt"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ini.ReadFloat("surfacetab", r.key, -1.0), r.asFloat) << r.key;
        EXPECT_EQ(ini.ReadInteger("SurfaceTab", r.key, -1), r.asInteger) << r.key;
        EXPECT_EQ(ini.ReadString("SurfaceTab", r.key, "dflt"), r.asString) << r.key;
    }
    EXPECT_EQ(ini.ReadInteger("Other", "Width0", 0), 9) << "sections keep their own keys";
}

TEST(IniFile, RewritesOnlyWhatChangedAndKeepsValuesOnOneLine) {
    TIniFile ini = TIniFile::Parse("; comment\n[A]\nx=1\n\n[B]\ny=2\n");
    ini.WriteInteger("a", "X", 5);  // replaces x, keeps its spelling
    ini.WriteFloat("B", "z", 0.1);
    ini.WriteString("C", "name", "two\nlines");
    EXPECT_EQ(ini.Text(), "; comment\n[A]\nx=5\n\n[B]\ny=2\nz=0.1\n[C]\nname=two lines\n");
    ini.EraseSection("b");
    ini.DeleteKey("A", "x");
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"A", "C"}));
    EXPECT_FALSE(ini.Find("A", "x"));
    EXPECT_EQ(TIniFile::Parse(ini.Text()).Text(), ini.Text());
}

TEST(IniFile, NumberedListEndsAtTheFirstMissingOrNegativeValue) {
    const TIniFile ini = TIniFile::Parse(
        "[SurfaceTab]\nWidth0=0.2\nWidth1=0.5\nWidth2=-1\nWidth3=1.0\n"
        "[StatusTab]\nGrid0=1.27\nGrid1=2.54\nGrid3=5\n"
        "[Junk]\nW0=1\nW1=mm\nW2=3\n");
    EXPECT_EQ(settings::ReadNumberList(ini, "SurfaceTab", "Width"), (std::vector<double>{0.2, 0.5}));
    EXPECT_EQ(settings::ReadNumberList(ini, "StatusTab", "Grid"), (std::vector<double>{1.27, 2.54}));
    EXPECT_EQ(settings::ReadNumberList(ini, "Junk", "W"), (std::vector<double>{1}));
    EXPECT_TRUE(settings::ReadNumberList(ini, "Absent", "Width").empty());
}

TEST_F(SettingsFile, MissingFileReadsAsDefaultsAndTheFirstWriteCreatesIt) {
    const std::string path = Path("config/zelko/zelko.ini");  // not even its folder exists
    const settings::TFormPlacement placement =
        settings::ReadFormPlacement(settings::ReadSettingsFile(path), "VemoForm");
    EXPECT_EQ(placement.left, 100);
    EXPECT_EQ(placement.top, 100);
    EXPECT_EQ(placement.width, 240);
    EXPECT_EQ(placement.height, 320);
    EXPECT_EQ(placement.windowState, 0);

    std::string error;
    ASSERT_TRUE(settings::UpdateSettingsFile(
        path, [&](TIniFile& ini) { settings::WriteFormPlacement(ini, "VemoForm", placement); }, error))
        << error;
    EXPECT_EQ(Slurp(path), "[VemoForm]\nTop=100\nLeft=100\nWindowState=0\nWidth=240\nHeight=320\n");
}

TEST_F(SettingsFile, TwoWritersInARowKeepEachOthersKeys) {
    const std::string path = Path("zelko.ini");
    std::string error;
    ASSERT_TRUE(WriteFileSafely(path, "; hand-made list\n[SurfaceTab]\nWidth0=0.2\n", error));
    // Two parts of the program, each holding nothing between uses.
    ASSERT_TRUE(settings::UpdateSettingsFile(
        path, [](TIniFile& ini) { ini.WriteString("RecentFiles", "File0", "/boards/a.vbf"); }, error));
    ASSERT_TRUE(settings::UpdateSettingsFile(
        path, [](TIniFile& ini) { ini.WriteString("ImportLayer", "Target0", "CopperLayer"); }, error));
    const TIniFile back = settings::ReadSettingsFile(path);
    EXPECT_EQ(back.ReadString("RecentFiles", "File0", ""), "/boards/a.vbf");
    EXPECT_EQ(back.ReadString("ImportLayer", "Target0", ""), "CopperLayer");
    EXPECT_EQ(settings::ReadNumberList(back, "SurfaceTab", "Width"), std::vector<double>{0.2});
    EXPECT_EQ(Slurp(path).rfind("; hand-made list\n", 0), 0u) << "comments survive a rewrite";
}

TEST_F(SettingsFile, AMaximisedWindowKeepsItsLastNormalSize) {
    const std::string path = Path("zelko.ini");
    std::string error;
    const settings::TFormPlacement normal{10, 20, 640, 480, 0}, maximised{0, 0, 1920, 1080, 2};
    for (const settings::TFormPlacement& p : {normal, maximised})
        ASSERT_TRUE(settings::UpdateSettingsFile(
            path, [&](TIniFile& ini) { settings::WriteFormPlacement(ini, "LayerWindow", p); }, error));
    const settings::TFormPlacement back =
        settings::ReadFormPlacement(settings::ReadSettingsFile(path), "LayerWindow");
    EXPECT_EQ(back.windowState, 2);
    EXPECT_EQ(back.left, 0);
    EXPECT_EQ(back.width, 640);
    EXPECT_EQ(back.height, 480);
}

TEST_F(SettingsFile, AFileThatCannotBeReadIsNeverRewrittenFromNothing) {
    const std::string path = Path("zelko.ini");
    fs::create_directories(path);  // there, but not a file we can read
    std::string error;
    bool edited = false;
    EXPECT_FALSE(settings::UpdateSettingsFile(
        path, [&](TIniFile&) { edited = true; }, error));
    EXPECT_FALSE(edited);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(SettingsFile, PathIsBesideTheProgramUnlessItsFolderIsNotWritableOrInstalled) {
    const fs::path program = dir_ / "bin";
    fs::create_directories(program);
    const fs::path missing = dir_ / "no-such-folder";
    // An installed program: writable bin/ beside share/zelko/.
    const fs::path installed = dir_ / "prefix" / "bin";
    fs::create_directories(installed);
    fs::create_directories(dir_ / "prefix" / "share" / "zelko");
    struct Row {
        const char* name;
        fs::path folder;
        const char* xdg;
        const char* home;
        fs::path expected;
    } rows[] = {
        {"writable program folder", program, "/xdg", "/home/u", program / "zelko.ini"},
        {"installed program, writable bin", installed, "/xdg", "/home/u", "/xdg/zelko/zelko.ini"},
        {"no program folder: XDG", missing, "/xdg", "/home/u", "/xdg/zelko/zelko.ini"},
        {"relative XDG is ignored", missing, "rel/xdg", "/home/u", "/home/u/.config/zelko/zelko.ini"},
        {"no XDG", missing, nullptr, "/home/u", "/home/u/.config/zelko/zelko.ini"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(settings::ProgramSettingsPath("zelko.ini", r.folder, r.xdg, r.home), r.expected.string())
            << r.name;
    EXPECT_EQ(fs::path(settings::SettingsFilePath()).filename(), "zelko.ini");
}

}  // namespace
