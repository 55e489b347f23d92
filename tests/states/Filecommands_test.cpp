// The File menu's document commands against the fake windows and real files.

#include <filesystem>
#include <fstream>
#include <typeinfo>

#include <QImage>

#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "states/Filecommands.h"
#include "tests/states/Statefixture.h"

namespace {

namespace fs = std::filesystem;

class FileCommandsTest : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        dir = fs::temp_directory_path() / ("zelko-files-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        commands = std::make_unique<TFileCommands>(*context, [this] {
            // What "new" starts from, as default.vbf would give it: named on disk, untitled here.
            auto doc = std::make_unique<TVemoDocument>();
            doc->SetFileName(startingName);
            doc->SetAreaSize(1234, 567);
            return doc;
        });
    }
    void TearDown() override {
        commands.reset();
        StateTest::TearDown();
        fs::remove_all(dir);
    }
    std::string Path(const char* name) const { return (dir / name).string(); }
    // A board on disk whose area width tells it apart.
    std::string Board(const char* name, double width) const {
        TVemoDocument doc;
        doc.SetAreaSize(width, 100);
        std::string error;
        EXPECT_TRUE(WriteDocumentFile(doc, Path(name), error)) << error;
        return Path(name);
    }

    fs::path dir;
    std::string startingName = "/somewhere/default.vbf";
    std::unique_ptr<TFileCommands> commands;
};

TEST_F(FileCommandsTest, WriteOnAnUntitledDocumentAsksForANameAndCancelChangesNothing) {
    context->UpdateCaption();
    context->History().SaveRootMemento(context->Document());
    ui.saveName.reset();
    EXPECT_FALSE(commands->Write());
    EXPECT_EQ(ui.saveDialogs, 1);
    EXPECT_EQ(context->Document().GetFileName(), "");
    EXPECT_TRUE(context->History().IsModified());
    EXPECT_TRUE(ui.recent.empty());
    EXPECT_FALSE(commands->SaveAs());
    EXPECT_EQ(ui.caption, "zelko");

    ui.saveName = Path("first.vbf");
    EXPECT_TRUE(commands->Write());
    EXPECT_EQ(ui.saveDialogs, 3);
    EXPECT_EQ(context->Document().GetFileName(), Path("first.vbf"));
    EXPECT_EQ(ui.caption, Path("first.vbf"));
    EXPECT_EQ(ui.recent.back(), Path("first.vbf"));
    EXPECT_FALSE(context->History().IsModified());
    std::string error;
    EXPECT_NE(ReadDocumentFile(Path("first.vbf"), error), nullptr) << error;

    // Named now: write asks nothing more.
    context->History().SaveRootMemento(context->Document());
    EXPECT_TRUE(commands->Write());
    EXPECT_EQ(ui.saveDialogs, 3);
    EXPECT_FALSE(context->History().IsModified());
}

TEST_F(FileCommandsTest, AFailedSaveSaysWhyAndKeepsTheNameAndTheModifiedMark) {
    ui.saveName = Path("kept.vbf");
    ASSERT_TRUE(commands->SaveAs());
    context->History().SaveRootMemento(context->Document());
    // Save as into a folder that does not exist.
    ui.saveName = Path("missing/board.vbf");
    EXPECT_FALSE(commands->SaveAs());
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find(Path("missing/board.vbf")), std::string::npos) << ui.errors[0];
    EXPECT_GT(ui.errors[0].size(), Path("missing/board.vbf").size() + 30) << "no reason: " << ui.errors[0];
    EXPECT_EQ(context->Document().GetFileName(), Path("kept.vbf"));
    EXPECT_TRUE(context->History().IsModified());
    EXPECT_FALSE(fs::exists(Path("missing")));

    // Write over a file that has become a folder: refused the same way, nothing lost.
    fs::remove(Path("kept.vbf"));
    fs::create_directory(Path("kept.vbf"));
    EXPECT_FALSE(commands->Write());
    EXPECT_EQ(ui.errors.size(), 2u);
    EXPECT_TRUE(context->History().IsModified());
    EXPECT_TRUE(fs::is_directory(Path("kept.vbf")));
}

TEST_F(FileCommandsTest, NewOpensTheStartingDocumentUntitledWithTheSelectTool) {
    ui.saveName = Path("a.vbf");
    ASSERT_TRUE(commands->SaveAs());
    context->PressTool("rect");
    ASSERT_EQ(typeid(*context->CurrentState()), typeid(TVemoRectState));

    // A modified document asks first; Cancel keeps everything.
    context->History().SaveRootMemento(context->Document());
    ui.answer = TAnswer::Cancel;
    EXPECT_FALSE(commands->New());
    EXPECT_EQ(context->Document().GetFileName(), Path("a.vbf"));
    EXPECT_EQ(typeid(*context->CurrentState()), typeid(TVemoRectState));

    ui.answer = TAnswer::No;
    EXPECT_TRUE(commands->New());
    EXPECT_EQ(context->Document().GetAreaWidth(), 1234);
    EXPECT_EQ(context->Document().GetFileName(), "");
    EXPECT_EQ(ui.caption, "zelko");
    EXPECT_EQ(typeid(*context->CurrentState()), typeid(TVemoSelectState));
    EXPECT_TRUE(context->MenuControl().Find("select")->IsDown());
    EXPECT_FALSE(context->MenuControl().Find("rect")->IsDown());
    EXPECT_FALSE(context->History().IsModified());
}

TEST_F(FileCommandsTest, OpenReadsTheChosenFileAndRefusesABadOneByName) {
    const std::string board = Board("board.vbf", 777);
    ui.openName.reset();
    EXPECT_FALSE(commands->Open());
    ASSERT_EQ(ui.openKinds.size(), 1u);
    EXPECT_EQ(ui.openKinds[0], TFileKind::Document);

    ui.openName = board;
    EXPECT_TRUE(commands->Open());
    EXPECT_EQ(context->Document().GetAreaWidth(), 777);
    EXPECT_EQ(context->Document().GetFileName(), board);
    EXPECT_EQ(ui.caption, board);
    EXPECT_EQ(ui.recent.back(), board);

    // Not a board: said so, and the open document stays.
    std::ofstream(Path("garbage.vbf")) << "not a board at all";
    ui.openName = Path("garbage.vbf");
    EXPECT_FALSE(commands->Open());
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("garbage.vbf"), std::string::npos);
    EXPECT_EQ(context->Document().GetFileName(), board);
    // A recent entry whose file has gone: the same.
    EXPECT_FALSE(commands->OpenRecent(Path("gone.vbf")));
    EXPECT_EQ(ui.errors.size(), 2u);
    EXPECT_EQ(context->Document().GetAreaWidth(), 777);

    // A modified document asks before a recent file replaces it.
    context->History().SaveRootMemento(context->Document());
    ui.answer = TAnswer::Cancel;
    EXPECT_FALSE(commands->OpenRecent(Board("other.vbf", 555)));
    EXPECT_EQ(context->Document().GetAreaWidth(), 777);
    ui.answer = TAnswer::No;
    EXPECT_TRUE(commands->OpenRecent(Path("other.vbf")));
    EXPECT_EQ(context->Document().GetAreaWidth(), 555);
}

TEST_F(FileCommandsTest, BackgroundPictureGivesTheAreaItsAspectRatio) {
    TVemoDocument& doc = context->Document();
    doc.SetAreaSize(1000, 400);
    doc.ClearViewFlags(TVemoDocumentInfo::ViewShowBackground | TVemoDocumentInfo::ViewFixedAspect);
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(QString::fromStdString(Path("back.png"))));

    // Cancelled, or a file that is no picture: nothing changes.
    EXPECT_FALSE(commands->LoadBackground());
    std::ofstream(Path("fake.png")) << "no picture";
    ui.openName = Path("fake.png");
    EXPECT_FALSE(commands->LoadBackground());
    EXPECT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(doc.GetAreaHeight(), 400);
    EXPECT_EQ(doc.GetViewFlags() & 0x18, 0);
    EXPECT_TRUE(context->Background().isNull());

    ui.openName = Path("back.png");
    const int refreshes = ui.designRefreshes;
    EXPECT_TRUE(commands->LoadBackground());
    EXPECT_EQ(ui.openKinds.back(), TFileKind::Image);
    EXPECT_EQ(doc.GetAreaWidth(), 1000);
    EXPECT_EQ(doc.GetAreaHeight(), 750);
    EXPECT_EQ(doc.GetViewFlags() & 0x18, 0x18);
    EXPECT_EQ(context->Background().size(), QSize(400, 300));
    EXPECT_EQ(ui.designRefreshes, refreshes + 1);
    EXPECT_TRUE(context->RedrawPending());

    // The picture belongs to its document: a new one starts without.
    ui.answer = TAnswer::No;
    ASSERT_TRUE(commands->New());
    EXPECT_TRUE(context->Background().isNull());
}

}  // namespace

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Two windows on one file: the second save finds the file written by the
// first and asks; each answer does what it says, and the file keeps the
// other window's work unless the user chose to overwrite it.
TEST_F(FileCommandsTest, ASaveOverAFileWrittenElsewhereAsksFirst) {
    struct Row {
        const char* name;
        TChangedFileAnswer answer;
        bool written;     // this window's document replaced the file
        bool savedAside;  // it went to the other name instead
    };
    const Row rows[] = {
        {"cancel", TChangedFileAnswer::Cancel, false, false},
        {"overwrite", TChangedFileAnswer::Overwrite, true, false},
        {"save as", TChangedFileAnswer::SaveAs, false, true},
    };
    for (const Row& row : rows) {
        const std::string board = Board("shared.vbf", 100);
        ASSERT_TRUE(commands->OpenFile(board)) << row.name;
        context->Document().SetAreaSize(200, 100);  // this window's edit
        context->History().SaveRootMemento(context->Document());
        // Another window saves its own version of the board.
        Board("shared.vbf", 300);
        const std::string theirs = ReadAll(board);
        ui.changedFiles.clear();
        ui.changedAnswer = row.answer;
        ui.saveName = Path("aside.vbf");
        fs::remove(Path("aside.vbf"));
        EXPECT_EQ(commands->Write(), row.written || row.savedAside) << row.name;
        ASSERT_EQ(ui.changedFiles.size(), 1u) << row.name;
        EXPECT_EQ(ui.changedFiles[0], board);
        EXPECT_EQ(ReadAll(board) == theirs, !row.written) << row.name;
        EXPECT_EQ(fs::exists(Path("aside.vbf")), row.savedAside) << row.name;
        EXPECT_EQ(context->History().IsModified(), !row.written && !row.savedAside) << row.name;
    }
}

TEST_F(FileCommandsTest, ASaveAfterOwnSavesOrATouchAsksNothing) {
    const std::string board = Board("mine.vbf", 100);
    ASSERT_TRUE(commands->OpenFile(board));
    for (int i = 0; i < 2; ++i) {
        context->Document().SetAreaSize(200 + i, 100);
        context->History().SaveRootMemento(context->Document());
        EXPECT_TRUE(commands->Write());
    }
    // The same bytes with a new time (a copy back, a touch) are no change.
    const std::string bytes = ReadAll(board);
    fs::last_write_time(board, fs::last_write_time(board) + std::chrono::seconds(5));
    EXPECT_EQ(ReadAll(board), bytes);
    context->History().SaveRootMemento(context->Document());
    EXPECT_TRUE(commands->Write());
    // A file deleted meanwhile is simply written again.
    fs::remove(board);
    EXPECT_TRUE(commands->Write());
    EXPECT_TRUE(fs::exists(board));
    EXPECT_TRUE(ui.changedFiles.empty());
}

}  // namespace
