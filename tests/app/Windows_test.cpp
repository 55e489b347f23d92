// The text window, the pad preview and the library window as real widgets
// (offscreen platform), over small pad and part files written here.

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <QComboBox>
#include <QRadioButton>
#include <QDialogButtonBox>
#include <QLabel>
#include <QStatusBar>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>

#include "Guifixture.h"
#include "app/Exportforms.h"
#include "app/Gerberform.h"
#include "app/Graphtoolform.h"
#include "app/Libraryform.h"
#include "app/Previewframe.h"
#include "app/Styleform.h"
#include "app/Textform.h"
#include "archive/Vemodocumentfile.h"
#include "boardgen/Shapes.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "states/Vemoeventcontext.h"

namespace {

namespace fs = std::filesystem;

// A document holding filled w x h rectangles without outline on the solder layer centred on the origin.
void WritePart(const fs::path& path, std::initializer_list<std::pair<float, float>> sizes) {
    fs::create_directories(path.parent_path());
    TVemoDocument doc;
    const TVemoLayerPtr solder = doc.GetLayerList().Find("solder");
    for (auto [w, h] : sizes) {
        auto pad = boardgen::SquarePad({0, 0}, w, h, 0, solder);
        pad->SetSurface(TVemoSurface(0, true, false));  // no outline: the bounds are w x h
        doc.GetRoot().AddChild(std::move(pad));
    }
    doc.GetRoot().Rebuild();
    std::string error;
    ASSERT_TRUE(WriteDocumentFile(doc, path.string(), error)) << error;
}

void WriteJunk(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "not a board";
}

class WindowsTest : public GuiTest {};

// ---- graph tool window

// The main window's graph tool keeps its settings in graph_tool.ini beside
// zelko.ini (the file `zelko graph` reads), and takes the ones earlier
// versions left in zelko.ini over once.
TEST_F(WindowsTest, GraphToolKeepsItsSettingsInGraphToolIniAndTakesOldOnesOverOnce) {
    std::ofstream(settingsPath)
        << "[Layer]\nColour=1\n[GraphProperty]\nWidth=400\nHeight=300\nLayer=outline\n"
           "[Item0]\nLayer=trace_a\nXmax=3\n";
    const std::string data = Path("data.csv");
    std::ofstream(data) << "0,1\n1,2\n2,4\n3,8\n";
    const std::string graphIni = Path("graph_tool.ini");
    auto form = Start();
    app::TLineGraphFrame* frame = form->GraphToolForm().Frame();
    frame->SetDocument(&form->Context()->Document());
    std::string told;
    frame->tell = [&](const std::string& text) { told = text; };
    frame->askDataFile = [&](const std::string&) { return data; };
    const auto shown = [&](const std::string& key) {
        for (int r = 0; r < frame->Property()->rowCount(); ++r)
            if (frame->Property()->item(r, 0)->text().toStdString() == key)
                return frame->Property()->item(r, 1)->text().toStdString();
        return std::string();
    };
    const auto slurp = [](const std::string& file) {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string zelkoIni = slurp(settingsPath);

    ASSERT_TRUE(frame->ReadFile(data)) << told;
    EXPECT_EQ(shown("Width"), "400") << "the old settings are shown";
    EXPECT_EQ(shown("Layer"), "trace_a");
    const std::string moved = slurp(graphIni);
    EXPECT_NE(moved.find("Width=400"), std::string::npos) << moved;
    EXPECT_NE(moved.find("[Item0]"), std::string::npos) << moved;
    EXPECT_EQ(moved.find("[Layer]"), std::string::npos) << "only the graph's sections move";

    ASSERT_TRUE(frame->SetValue("Width", "500"));
    ASSERT_TRUE(frame->Apply()) << told;
    EXPECT_NE(slurp(graphIni).find("Width=500"), std::string::npos);
    EXPECT_EQ(slurp(settingsPath), zelkoIni) << "zelko.ini is left as it was";

    // Once moved, zelko.ini's old section is no longer read.
    std::ofstream(settingsPath) << "[GraphProperty]\nWidth=123\nHeight=45\n";
    ASSERT_TRUE(frame->ReadFile(data)) << told;
    EXPECT_EQ(shown("Width"), "500");
}

// ---- text window

TEST_F(WindowsTest, TextWindowFillsFromTheTextAndAppliesOnOkOnly) {
    app::TTextForm form(settingsPath);
    const auto& families = form.Families();
    ASSERT_GE(families.size(), 2u) << "the test needs two installed font families";
    // A new text starts with the first family at 4 mm, regular.
    EXPECT_EQ(form.CurrentFont().FamilyName(), families[0]);
    EXPECT_EQ(form.CurrentFont().GetSize(), 40.0f);
    EXPECT_EQ(form.CurrentFont().GetStyle(), 0);

    TVemoString text;
    text.SetFont(TVemoFont(families[1], 25.0f, TVemoFont::Bold | TVemoFont::Underline));
    text.SetText(u"R1");
    form.EditText(text);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.FontListBox->currentIndex(), 1);
    EXPECT_TRUE(form.BoldButton->isChecked());
    EXPECT_FALSE(form.ItalicButton->isChecked());
    EXPECT_TRUE(form.UnderButton->isChecked());
    EXPECT_EQ(form.SizeEdit->text(), "2.5");
    EXPECT_EQ(form.TextBox->toPlainText(), "R1");
    EXPECT_EQ(QApplication::focusWidget(), form.TextBox);

    struct Case {
        const char* name;
        QString size;
        bool ok;
        float wantSize;
    };
    const Case cases[] = {
        {"cancel leaves the text", "3", false, 25.0f},
        {"ok applies the size", "3", true, 30.0f},
        {"an empty size keeps the old one", "", true, 30.0f},
        {"a size that is not a number too", "abc", true, 30.0f},
    };
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form.EditText(text);
        if (!form.isVisible()) form.show();
        form.FontListBox->setCurrentIndex(0);
        form.ItalicButton->click();  // toggled from what the text had
        form.SizeEdit->setText(c.size);
        const QString typed = QStringLiteral("U%1\nNE555").arg(++round);
        form.TextBox->setPlainText(typed);
        const TVemoFont before = text.GetFont();
        const std::u16string beforeText = text.GetText();
        QTest::mouseClick(c.ok ? form.OkButton : form.CancelButton, Qt::LeftButton);
        EXPECT_FALSE(form.isVisible());
        if (!c.ok) {
            EXPECT_EQ(text.GetFont(), before);
            EXPECT_EQ(text.GetText(), beforeText);
            continue;
        }
        EXPECT_EQ(text.GetFont().GetSize(), c.wantSize);
        EXPECT_EQ(text.GetFont().FamilyName(), families[0]);
        EXPECT_EQ(text.GetFont().GetStyle(), before.GetStyle() ^ TVemoFont::Italic);
        EXPECT_EQ(text.GetText(), typed.toStdU16String());
        // The next text starts with this font.
        EXPECT_EQ(form.CurrentFont(), text.GetFont());
    }
}

// ---- pad preview

class PadPreviewTest : public WindowsTest {
protected:
    fs::path Folder() const { return fs::path(dir.path().toStdString()) / "pad"; }
};

TEST_F(PadPreviewTest, SmallPadsAreDrawnUnscaledLargeOnesShrunkAndLabelled) {
    struct Case {
        const char* name;
        float w, h;
        bool labelled;
        QPoint inside, outside;  // cell pixels
    } const cases[] = {
        // 20 x 20 around the centre (18, 18): pixels 8 ... 27.
        {"20x20", 20, 20, false, {9, 18}, {6, 18}},
        // 72 x 36 at half size: 36 x 18, rows 9 ... 26; unscaled it would fill the cell.
        {"72x36", 72, 36, true, {2, 12}, {18, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = Folder() / (std::string(c.name) + ".vbf");
        WritePart(file, {{c.w, c.h}});
        std::string error;
        std::unique_ptr<TVemoDocument> doc = ReadDocumentFile(file.string(), error);
        ASSERT_NE(doc, nullptr) << error;
        doc->GetRoot().Rebuild();
        const QImage thumb = app::TPreviewFrame::MakeThumbnail(*doc, 36, 1.0);
        ASSERT_EQ(thumb.size(), QSize(36, 36));
        EXPECT_GT(qAlpha(thumb.pixel(c.inside)), 0);
        EXPECT_EQ(qAlpha(thumb.pixel(c.outside)), 0);
        // The label: black writing from (8, 23) on, where the 72 x 36 pad leaves the cell empty.
        EXPECT_EQ(app::TPreviewFrame::ThumbnailLabel(*doc, 36), c.labelled ? "72" : "");
        int dark = 0;
        for (int y = 28; y < 36; ++y)
            for (int x = 8; x < 24; ++x) {
                const QRgb p = thumb.pixel(x, y);
                dark += qAlpha(p) > 128 && qRed(p) < 80 && qGreen(p) < 80 && qBlue(p) < 80;
            }
        EXPECT_EQ(dark > 0, c.labelled);
    }
}

TEST_F(PadPreviewTest, FivePadsInFourColumnsMakeThreeRowsAndBadFilesAreSkipped) {
    for (const char* name : {"a.vbf", "b.vbf", "c.vbf", "d.vbf", "e.vbf"})
        WritePart(Folder() / name, {{16, 16}});
    WriteJunk(Folder() / "broken.vbf");
    WritePart(Folder() / "notes.txt", {{16, 16}});
    app::TPreviewFrame frame;
    frame.resize(16 + 4 * 36 + 10, 300);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.SetPadFolder(Folder().string());
    ASSERT_EQ(frame.PadCount(), 5);
    EXPECT_EQ(frame.Columns(), 4);
    EXPECT_EQ(frame.ObjectGrid->columnCount(), 4);
    EXPECT_EQ(frame.ObjectGrid->rowCount(), 3);
    EXPECT_EQ(frame.Pad(0).GetName(), "a.vbf");
    EXPECT_EQ(frame.Pad(4).GetName(), "e.vbf");
    EXPECT_EQ(frame.Pad(0).GetChildCount(), 1);
    // The first pad is chosen at the start and named under the grid.
    ASSERT_NE(frame.SelectedPad(), nullptr);
    EXPECT_EQ(frame.SelectedPad()->GetName(), "a.vbf");
    EXPECT_EQ(frame.ObjectLabel->text(), "a.vbf");
    // Hovering names the pad under the pointer; an empty cell names the chosen one.
    QWidget* cells = frame.ObjectGrid->viewport();
    QTest::mouseMove(cells, frame.ObjectGrid->visualItemRect(frame.ObjectGrid->item(1, 0)).center());
    EXPECT_EQ(frame.ObjectLabel->text(), "e.vbf");
    QTest::mouseMove(cells, frame.ObjectGrid->visualItemRect(frame.ObjectGrid->item(1, 2)).center());
    EXPECT_EQ(frame.ObjectLabel->text(), "a.vbf");
    // A click on an empty cell chooses nothing.
    QTest::mouseClick(cells, Qt::LeftButton, {},
                      frame.ObjectGrid->visualItemRect(frame.ObjectGrid->item(2, 1)).center());
    EXPECT_EQ(frame.ChosenIndex(), 0);
}

TEST_F(PadPreviewTest, ClickingAPadChoosesItAndTakesUpThePadTool) {
    auto form = Start();
    app::TPreviewFrame& frame = *form->StyleWindow()->PreviewFrame();
    form->StyleWindow()->StylePageControl->setCurrentWidget(form->StyleWindow()->PadTab);
    Settle();
    ASSERT_GE(frame.PadCount(), 2) << "the starter pads";
    EXPECT_EQ(form->SelectedPad(), frame.SelectedPad());
    ASSERT_NE(form->ToolButton("pad"), nullptr);
    EXPECT_FALSE(form->ToolButton("pad")->isChecked());
    const int row = 1 / frame.Columns(), column = 1 % frame.Columns();
    const QRect cell = frame.ObjectGrid->visualItemRect(frame.ObjectGrid->item(row, column));
    QTest::mouseClick(frame.ObjectGrid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(frame.ChosenIndex(), 1);
    EXPECT_EQ(form->SelectedPad(), &frame.Pad(1));
    EXPECT_TRUE(form->ToolButton("pad")->isChecked());
    EXPECT_TRUE(form->Context()->MenuControl().Find("pad")->IsDown());
    EXPECT_EQ(frame.ObjectLabel->text().toStdString(), frame.Pad(1).GetName());
}

// ---- library window

TEST_F(WindowsTest, LibraryTreeNamesFilesByPathAndAFolderKeepsThePreview) {
    const fs::path lib = fs::path(dir.path().toStdString()) / "lib";
    WritePart(lib / "smd" / "r1608.vbf", {{8, 9}, {30, 9}});
    WritePart(lib / "a.vbf", {{16, 16}});
    WritePart(lib / "a10.vbf", {{16, 16}});
    WritePart(lib / "a9.vbf", {{16, 16}});
    WriteJunk(lib / "broken.vbf");
    WritePart(lib / ".git" / "hidden.vbf", {{16, 16}});
    app::TLibraryForm form(settingsPath);
    form.SetLibraryFolder(lib.string());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    ASSERT_EQ(form.LibraryTree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = form.LibraryTree->topLevelItem(0);
    EXPECT_EQ(root->text(0), "lib");
    EXPECT_TRUE(root->isExpanded());
    // Folders first, then files, numbers in order; hidden folders left out.
    ASSERT_EQ(root->childCount(), 5);
    EXPECT_EQ(root->child(0)->text(0), "smd");
    EXPECT_EQ(root->child(1)->text(0), "a.vbf");
    EXPECT_EQ(root->child(2)->text(0), "a9.vbf");
    EXPECT_EQ(root->child(3)->text(0), "a10.vbf");
    EXPECT_EQ(root->child(4)->text(0), "broken.vbf");
    QTreeWidgetItem* chip = root->child(0)->child(0);
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->text(0), "r1608.vbf");
    EXPECT_EQ(form.FileOf(chip), (lib / "smd" / "r1608.vbf").string());
    EXPECT_EQ(form.FileOf(root->child(0)), "");
    EXPECT_EQ(form.FileOf(root), "");

    EXPECT_EQ(form.ChosenPart().GetChildCount(), 0);
    form.LibraryTree->setCurrentItem(chip);
    EXPECT_EQ(form.ChosenPart().GetChildCount(), 2);
    EXPECT_EQ(form.ChosenFile(), (lib / "smd" / "r1608.vbf").string());
    const QImage shown = form.Picture();
    ASSERT_FALSE(shown.isNull());
    // The part is drawn in the middle: not all paper.
    const QColor paper = shown.pixelColor(0, 0);
    EXPECT_NE(shown.pixelColor(shown.width() / 2, shown.height() / 2), paper);

    // A folder, and a file that is not a board, keep the part and the picture.
    for (QTreeWidgetItem* other : {root->child(0), root, root->child(4)}) {
        SCOPED_TRACE(other->text(0).toStdString());
        form.LibraryTree->setCurrentItem(other);
        EXPECT_EQ(form.ChosenPart().GetChildCount(), 2);
        EXPECT_EQ(form.ChosenFile(), (lib / "smd" / "r1608.vbf").string());
        EXPECT_EQ(form.Picture(), shown);
    }
    form.LibraryTree->setCurrentItem(root->child(1));
    EXPECT_EQ(form.ChosenPart().GetChildCount(), 1);
}

}  // namespace

namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Another window saved the board after this one opened it: File > Save asks
// before overwriting; Cancel keeps the other window's file, Overwrite replaces it.
TEST_F(GuiTest, SavingOverABoardSavedByAnotherWindowAsks) {
    const std::string board = Path("board.vbf");
    std::string error;
    TVemoDocument first;
    first.SetAreaSize(100, 100);
    ASSERT_TRUE(WriteDocumentFile(first, board, error)) << error;
    std::unique_ptr<TVemoDocument> doc = app::LoadInitialDocument(board, error);
    ASSERT_NE(doc, nullptr) << error;
    auto form = Start(std::move(doc));
    form->Context()->Document().SetAreaSize(200, 100);
    form->Context()->History().SaveRootMemento(form->Context()->Document());

    TVemoDocument other;
    other.SetAreaSize(300, 100);
    ASSERT_TRUE(WriteDocumentFile(other, board, error)) << error;
    const std::string theirs = FileBytes(board);

    QAction* write = form->findChild<QAction*>("write");
    ASSERT_NE(write, nullptr);
    for (const char* button : {"", "Overwrite"}) {
        TModalAnswers answers;
        std::string text;
        answers.Then([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr) << w->metaObject()->className();
            EXPECT_EQ(box->objectName(), "ChangedFileBox");
            text = box->text().toStdString();
            QAbstractButton* press =
                *button ? box->findChild<QPushButton*>(button) : box->button(QMessageBox::Cancel);
            ASSERT_NE(press, nullptr);
            press->click();
        });
        write->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return answers.Done(); }));
        Settle();
        EXPECT_NE(text.find(board), std::string::npos) << text;
        EXPECT_EQ(FileBytes(board) == theirs, *button == '\0') << button;
    }
    std::unique_ptr<TVemoDocument> back = ReadDocumentFile(board, error);
    ASSERT_NE(back, nullptr) << error;
    EXPECT_EQ(back->GetAreaWidth(), 200);
    EXPECT_FALSE(form->Context()->History().IsModified());
}

}  // namespace

namespace {

// The picture loaded behind the drawing reaches the bitmap and EMF exports
// when the view shows it, at its placed size, under the layers.
TEST_F(GuiTest, BackgroundPictureReachesTheBitmapAndEmfExports) {
    // Quarters of 10 x 10 pixels: readers that smooth a scaled picture keep
    // each quarter's middle pure.
    QImage quarters(20, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            quarters.setPixel(x, y,
                              y < 10 ? (x < 10 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                     : (x < 10 ? qRgb(0, 0, 255) : qRgb(255, 255, 0)));
    const std::string picture = Path("back.png");
    ASSERT_TRUE(quarters.save(QString::fromStdString(picture)));
    auto doc = std::make_unique<TVemoDocument>();
    doc->SetAreaSize(200, 100);
    auto form = Start(std::move(doc));
    const auto trigger = [&](const char* command, TModalAnswers& answers) {
        QAction* action = form->findChild<QAction*>(command);
        ASSERT_NE(action, nullptr) << command;
        action->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return answers.Done(); })) << command;
        Settle();
    };
    {
        TModalAnswers answers;
        answers.File(picture);
        trigger("import_back", answers);
    }
    ASSERT_EQ(form->Context()->Document().GetAreaHeight(), 200) << "the area takes the picture's shape";
    const auto pressOk = [](QWidget* w) {
        auto* buttons = w->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr) << w->metaObject()->className();
        if (auto* bitmap = qobject_cast<app::TExportBmpForm*>(w)) {
            bitmap->ColourButton()->setChecked(true);
            bitmap->ResolutionEdit()->setText("254");  // one pixel per 0.1 mm
        }
        buttons->button(QDialogButtonBox::Ok)->click();
    };
    {
        TModalAnswers answers;
        answers.Then(pressOk).File(Path("out.bmp"));
        trigger("export_bitmap", answers);
    }
    // The status bar says what was written until the pointer moves over the drawing.
    const std::string said = form->statusBar()->currentMessage().toStdString();
    EXPECT_NE(said.find(Path("out.bmp")), std::string::npos) << said;
    EXPECT_NE(said.find("200 x 200"), std::string::npos) << said;
    EXPECT_NE(said.find("254 ppi"), std::string::npos) << said;
    QTest::mouseMove(form->Design(), QPoint(30, 30));
    Settle();
    EXPECT_TRUE(form->statusBar()->currentMessage().isEmpty());
    EXPECT_FALSE(form->findChild<QLabel*>("status0")->text().isEmpty());
    const QImage out(QString::fromStdString(Path("out.bmp")));
    ASSERT_EQ(out.size(), QSize(200, 200));
    const struct {
        QPoint at;
        QRgb colour;
    } quarterCentres[] = {{{50, 50}, qRgb(255, 0, 0)},
                          {{150, 50}, qRgb(0, 255, 0)},
                          {{50, 150}, qRgb(0, 0, 255)},
                          {{150, 150}, qRgb(255, 255, 0)}};
    for (const auto& q : quarterCentres)
        EXPECT_EQ(out.pixel(q.at) & 0xFFFFFF, q.colour & 0xFFFFFF) << q.at.x() << "," << q.at.y();
    {
        TModalAnswers answers;
        answers.Then(pressOk).File(Path("out.emf"));
        trigger("export_emf", answers);
    }
    EXPECT_NE(form->statusBar()->currentMessage().toStdString().find(Path("out.emf")), std::string::npos);
    // An EMR_STRETCHDIBITS record carries the picture (Inkscape's view of it is
    // checked with the metafile writer).
    const std::string emf = FileBytes(Path("out.emf"));
    bool picture_recorded = false;
    for (std::size_t at = 0; at + 8 <= emf.size();) {
        std::uint32_t type = 0, size = 0;
        std::memcpy(&type, emf.data() + at, 4);
        std::memcpy(&size, emf.data() + at + 4, 4);
        if (type == 81) picture_recorded = true;
        if (size < 8) break;
        at += size;
    }
    EXPECT_TRUE(picture_recorded);
}

}  // namespace

namespace {

// The caption's mark of unsaved changes: on from the first change, off after
// a save and after undo back to the saved state, on again with redo.
TEST_F(GuiTest, TheCaptionMarksUnsavedChangesUntilSavedOrUndone) {
    const std::string board = Path("marked.vbf");
    std::string error;
    ASSERT_TRUE(WriteDocumentFile(TVemoDocument(), board, error)) << error;
    std::unique_ptr<TVemoDocument> doc = app::LoadInitialDocument(board, error);
    ASSERT_NE(doc, nullptr) << error;
    auto form = Start(std::move(doc));
    TVemoEventContext& context = *form->Context();
    EXPECT_FALSE(form->isWindowModified());
    const auto command = [&](const char* name) {
        form->findChild<QAction*>(name)->trigger();
        Settle();
    };
    const auto draw = [&](PointF at) {
        context.RootObject().AddChild(
            boardgen::RoundPad(at, 20, context.Document().GetLayerList().Current()));
        context.RecordStep(TStepKind::Root);
        context.Invalidate();
        Settle();
    };
    draw({100, 100});
    EXPECT_TRUE(form->isWindowModified());
    command("undo");
    EXPECT_FALSE(form->isWindowModified()) << "undone back to the board as opened";
    command("redo");
    EXPECT_TRUE(form->isWindowModified());
    command("write");
    EXPECT_FALSE(form->isWindowModified());
    draw({200, 100});
    draw({300, 100});
    command("undo");
    EXPECT_TRUE(form->isWindowModified()) << "one of two changes after the save is left";
    command("undo");
    EXPECT_FALSE(form->isWindowModified()) << "back to the saved board";
    // Back at the saved state, closing asks nothing.
    EXPECT_EQ(context.QuerySave(), TAnswer::Yes);
}

}  // namespace

namespace {

// The output folder of the Gerber export may be one the user types that does
// not exist yet: it is made (with its parents), and the files go there.
TEST_F(GuiTest, GerberExportMakesTheOutputFolderTheUserTypes) {
    auto doc = std::make_unique<TVemoDocument>();
    doc->SetAreaSize(200, 100);
    auto form = Start(std::move(doc));
    TVemoEventContext& context = *form->Context();
    context.RootObject().AddChild(
        boardgen::RoundPad({100, 50}, 20, context.Document().GetLayerList().Current()));
    const std::string folder = Path("fab/rev-a");
    ASSERT_FALSE(std::filesystem::exists(Path("fab")));
    auto* gerber = form->findChild<app::TGerberForm*>();
    ASSERT_NE(gerber, nullptr);
    std::string told;
    gerber->tell = [&](bool, const std::string& text) { told = text; };
    TModalAnswers answers;
    answers
        .Then([](QWidget* w) {
            auto* buttons = w->findChild<QDialogButtonBox*>();
            ASSERT_NE(buttons, nullptr) << w->metaObject()->className();
            buttons->button(QDialogButtonBox::Ok)->click();
        })
        .File(folder);
    form->findChild<QAction*>("export_gerber")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.Done(); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !gerber->isVisible(); })) << told;
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << told;
    bool written = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        written |= entry.path().extension() == ".gbr";
    EXPECT_TRUE(written) << "no Gerber file in the new folder: " << told;
}

}  // namespace
