// zelko installed as a desktop program: `cmake --install` into a fresh prefix,
// then the installed files are checked with the desktop's own validators, and
// the installed program is run from there the way the desktop runs it.

#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs program with args; env entries replace or (with an empty value) remove variables.
Outcome Execute(const std::string& program, const QStringList& args,
                const std::vector<std::pair<QString, QString>>& env = {}, int timeoutMs = 300000) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : env) {
        if (value.isEmpty())
            environment.remove(name);
        else
            environment.insert(name, value);
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(program), args);
    Outcome run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = program + " did not finish";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Installed : public testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/zelko-install-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        root_ = new fs::path(made);
        const Outcome install =
            Execute(ZELKO_CMAKE, {"--install", ZELKO_BUILD_DIR, "--prefix", Prefix().c_str()});
        installed_ = install.exitCode == 0;
        installLog_ = new std::string(install.out + install.err);
        fs::create_directories(Home());
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(*root_, ec);
        delete root_;
        delete installLog_;
    }
    void SetUp() override { ASSERT_TRUE(installed_) << *installLog_; }

    static fs::path Prefix() { return *root_ / "prefix"; }
    static fs::path Home() { return *root_ / "home"; }
    // A user's session: their own home and nothing set by the test runner.
    static std::vector<std::pair<QString, QString>> UserSession() {
        return {{"HOME", QString::fromStdString(Home().string())},
                {"XDG_CONFIG_HOME", ""},
                {"XDG_DATA_HOME", ""},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"ASAN_OPTIONS", "detect_leaks=0"}};
    }

    static inline fs::path* root_ = nullptr;
    static inline std::string* installLog_ = nullptr;
    static inline bool installed_ = false;
};

TEST_F(Installed, PutsProgramDataAndDesktopFilesInTheUsualPlaces) {
    const fs::path share = Prefix() / "share";
    for (const fs::path& file :
         {Prefix() / "bin/zelko", share / "zelko/default.vbf", share / "zelko/examples/demo.vbf",
          share / "zelko/Bitmap/Arrow00.bmp", share / "zelko/Bitmap/Arrow00@2x.bmp",
          share / "zelko/lib/dip8.vbf", share / "zelko/pad/round-1.6.vbf",
          share / "zelko/rules/home-etching.ini", share / "applications/org.zelko.Zelko.desktop",
          share / "metainfo/org.zelko.Zelko.metainfo.xml", share / "mime/packages/org.zelko.Zelko.xml",
          share / "icons/hicolor/scalable/apps/org.zelko.Zelko.svg",
          share / "icons/hicolor/48x48/apps/org.zelko.Zelko.png",
          share / "icons/hicolor/256x256/apps/org.zelko.Zelko.png", share / "man/man1/zelko.1"})
        EXPECT_TRUE(fs::is_regular_file(file)) << file;
    const QImage icon(
        QString::fromStdString((share / "icons/hicolor/48x48/apps/org.zelko.Zelko.png").string()));
    EXPECT_EQ(icon.size(), QSize(48, 48));

    // The desktop's own checkers accept what we install.
    const Outcome desktop =
        Execute("desktop-file-validate", {(share / "applications/org.zelko.Zelko.desktop").c_str()});
    EXPECT_EQ(desktop.exitCode, 0) << desktop.out << desktop.err;
    const Outcome meta = Execute(
        "appstreamcli", {"validate", "--no-net", (share / "metainfo/org.zelko.Zelko.metainfo.xml").c_str()});
    EXPECT_EQ(meta.exitCode, 0) << meta.out << meta.err;
}

TEST_F(Installed, FindsItsDataBesideBinAndKeepsSettingsInTheUsersConfigFolder) {
    const Outcome paths = Execute((Prefix() / "bin/zelko").string(), {"paths"}, UserSession());
    ASSERT_EQ(paths.exitCode, 0) << paths.err;
    const fs::path config = Home() / ".config/zelko/zelko.ini";
    EXPECT_NE(paths.out.find("settings  " + config.string() + "\n"), std::string::npos) << paths.out;
    EXPECT_NE(
        paths.out.find("data      " + (Prefix() / "share/zelko").string() + "  (Bitmap pad lib default.vbf)"),
        std::string::npos)
        << paths.out;
    // Where the editor reads pads and parts, with what is there: the starter
    // set's 9 pads and 14 parts (3 of them in lib/smd/).
    EXPECT_NE(paths.out.find("pads      " + (Prefix() / "share/zelko/pad").string() + "  (9 pads)\n"),
              std::string::npos)
        << paths.out;
    EXPECT_NE(paths.out.find("parts     " + (Prefix() / "share/zelko/lib").string() + "  (14 parts)\n"),
              std::string::npos)
        << paths.out;
    EXPECT_NE(paths.out.find("rules     " + (Prefix() / "share/zelko/rules").string() +
                             "  (presets: board-house-standard, home-etching)\n"),
              std::string::npos)
        << paths.out;
    // Never the tree it was built in.
    EXPECT_EQ(paths.out.find(ZELKO_BUILD_DIR), std::string::npos) << paths.out;
}

TEST_F(Installed, OpensABoardPassedByTheDesktopFile) {
    // The desktop file says how the desktop starts the program for a board.
    const std::string desktop = ReadText(Prefix() / "share/applications/org.zelko.Zelko.desktop");
    const std::size_t exec = desktop.find("\nExec=");
    ASSERT_NE(exec, std::string::npos);
    const std::string line = desktop.substr(exec + 6, desktop.find('\n', exec + 1) - exec - 6);
    ASSERT_EQ(line, "zelko %f");  // one local file, as one argument

    // A board with spaces in its folder and name, as users name them.
    const fs::path folder = *root_ / "My Boards";
    fs::create_directories(folder);
    const fs::path board = folder / "first board.vbf";
    fs::copy_file(Prefix() / "share/zelko/examples/demo.vbf", board);
    const fs::path shot = *root_ / "shot.png";
    const Outcome run = Execute((Prefix() / "bin/zelko").string(),
                                {"--screenshot", shot.c_str(), board.c_str()}, UserSession(), 120000);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    // The window showed the board: a picture with the board's many colours.
    const QImage picture(QString::fromStdString(shot.string()));
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 400);
    std::vector<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 7)
        for (int x = 0; x < picture.width(); x += 7)
            if (colours.size() < 50 &&
                std::find(colours.begin(), colours.end(), picture.pixel(x, y)) == colours.end())
                colours.push_back(picture.pixel(x, y));
    EXPECT_GE(colours.size(), 8u);

    // Closing wrote the window's placement to the user's config folder, not beside the program.
    const std::string ini = ReadText(Home() / ".config/zelko/zelko.ini");
    EXPECT_NE(ini.find("[VemoForm]"), std::string::npos) << ini;
    EXPECT_FALSE(fs::exists(Prefix() / "bin/zelko.ini"));
}

TEST_F(Installed, TheDesktopKnowsABoardByItsFirstBytes) {
    const fs::path mime = Prefix() / "share/mime";
    const Outcome update = Execute("update-mime-database", {mime.c_str()});
    ASSERT_EQ(update.exitCode, 0) << update.err;
    // Only the installed definitions: this process has not asked for a type before.
    setenv("XDG_DATA_DIRS", (Prefix() / "share").c_str(), 1);
    setenv("XDG_DATA_HOME", (*root_ / "no-user-data").c_str(), 1);

    const fs::path renamed = *root_ / "board-without-extension";
    fs::copy_file(Prefix() / "share/zelko/default.vbf", renamed);
    const QMimeDatabase db;
    EXPECT_EQ(
        db.mimeTypeForFile(QString::fromStdString(renamed.string()), QMimeDatabase::MatchContent).name(),
        "application/x-zelko-board");
    EXPECT_EQ(db.mimeTypeForFile("anything.vbf", QMimeDatabase::MatchExtension).name(),
              "application/x-zelko-board");
}

}  // namespace
