// The output dialogs on the offscreen platform, driven with real clicks and
// keys, over the real engines and real files.

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "app/Exportforms.h"
#include "app/Gerberform.h"
#include "app/Graphtoolform.h"
#include "app/Importform.h"
#include "app/Printform.h"
#include "app/Vemoresource.h"
#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"

namespace {

namespace fs = std::filesystem;

const std::string kDemo = std::string(ZELKO_SOURCE_DIR) + "/examples/demo.vbf";

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class GerberFormTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        resources.Load(ZELKO_BITMAP_DIR);
        std::string error;
        doc = ReadDocumentFile(kDemo, error);
        ASSERT_TRUE(doc) << error;
        form = std::make_unique<app::TGerberForm>(&resources);
        form->SetDocument(doc.get());
        form->askFolder = [this](const std::string& start) {
            ++asked;
            lastStart = start;
            return answer;
        };
        form->tell = [this](bool ok, const std::string& text) {
            told = text;
            toldOk = ok;
        };
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    TVemoLayerPtr Layer(int row) { return doc->GetLayerList().At(row); }
    // Clicks the middle of a grid cell.
    void ClickCell(int row, int column) {
        QTableWidget* grid = form->Grid();
        const QRect cell = grid->visualItemRect(grid->item(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

    QTemporaryDir dir;
    TVemoResource resources;
    std::unique_ptr<TVemoDocument> doc;
    std::unique_ptr<app::TGerberForm> form;
    std::string answer;
    std::string lastStart;
    int asked = 0;
    std::string told;
    bool toldOk = false;
};

TEST_F(GerberFormTest, GridTogglesOutputAndHoleFlagsByClickAndSpaceButNotByArrows) {
    QTableWidget* grid = form->Grid();
    const TVemoLayerList& layers = doc->GetLayerList();
    ASSERT_EQ(grid->rowCount(), layers.Count());
    for (int i = 0; i < layers.Count(); ++i)
        EXPECT_EQ(grid->item(i, 0)->text().toStdString(), layers.At(i)->GetName());
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Output");

    const bool output = Layer(0)->IsOutput(), hole = Layer(1)->IsHole();
    ClickCell(0, 1);
    EXPECT_NE(Layer(0)->IsOutput(), output);
    EXPECT_EQ(grid->item(0, 1)->data(Qt::AccessibleTextRole).toString(), Layer(0)->IsOutput() ? "on" : "off");
    ClickCell(1, 2);
    EXPECT_NE(Layer(1)->IsHole(), hole);
    ClickCell(1, 3);  // the outline column does nothing
    ClickCell(1, 0);
    EXPECT_NE(Layer(1)->IsHole(), hole);

    // Arrows move without touching a flag; Space toggles the cell it reached.
    grid->setCurrentCell(0, 1);
    const bool second = Layer(1)->IsOutput(), third = Layer(2)->IsOutput();
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(Layer(1)->IsOutput(), second);
    EXPECT_EQ(Layer(2)->IsOutput(), third);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_NE(Layer(2)->IsOutput(), third);
}

TEST_F(GerberFormTest, OkWritesEveryOutputLayerIntoTheChosenFolderAndSaysSo) {
    answer = dir.path().toStdString();
    int outputs = 0;
    for (int i = 0; i < doc->GetLayerList().Count(); ++i) outputs += Layer(i)->IsOutput();
    ASSERT_GT(outputs, 0);
    QTest::mouseClick(form->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(toldOk) << told;
    EXPECT_FALSE(form->isVisible()) << "the dialog closes after writing";
    for (int i = 0; i < doc->GetLayerList().Count(); ++i) {
        if (!Layer(i)->IsOutput()) continue;
        const fs::path file = fs::path(answer) / (Layer(i)->GetName() + ".gbr");
        EXPECT_NE(told.find(file.string()), std::string::npos) << told;
        const std::string text = ReadText(file);
        EXPECT_EQ(text.rfind("M02*"), text.size() - 6) << file << " ends with M02* and CR LF";
    }

    // The next export starts where the last one went.
    form->show();
    answer.clear();  // cancelled this time
    EXPECT_FALSE(form->Export());
    EXPECT_EQ(lastStart, dir.path().toStdString());
    EXPECT_TRUE(form->isVisible()) << "a cancelled folder choice keeps the dialog open";
}

TEST_F(GerberFormTest, X2DrillAndFabPackageAreOfferedBesideTheClassicFiles) {
    answer = dir.path().toStdString();
    form->FlavourBox()->setCurrentIndex(1);
    form->DrillBox()->setChecked(true);
    form->FabBox()->setChecked(true);
    ASSERT_TRUE(form->Export()) << told;
    for (const char* name : {"demo-top-copper.gbr", "demo-bottom-copper.gbr", "demo.drl", "demo.zip"})
        EXPECT_TRUE(fs::is_regular_file(fs::path(answer) / name)) << name << "\n" << told;
    EXPECT_NE(ReadText(fs::path(answer) / "demo-top-copper.gbr").find("%TF.FileFunction,Copper,L1,Top*%"),
              std::string::npos);
}

TEST_F(GerberFormTest, BadWidthsAndNoOutputLayerAreToldAndNothingIsWritten) {
    answer = dir.path().toStdString();
    const struct {
        const char* fill;
        const char* text;
    } rows[] = {{"abc", "0.1"}, {"0.3", "-1"}, {"1e400", "0.1"}, {"0,3", "0.1"}, {"300", "0.1"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.fill) + " / " + row.text);
        form->FillPenEdit()->setText(row.fill);
        form->TextPenEdit()->setText(row.text);
        EXPECT_FALSE(form->Export());
        EXPECT_FALSE(toldOk);
        EXPECT_NE(told.find("0 から 100"), std::string::npos) << told;
    }
    EXPECT_EQ(asked, 0) << "no folder is asked for before the widths are right";

    form->FillPenEdit()->setText("0.25");
    form->TextPenEdit()->setText("0.1");
    for (int i = 0; i < doc->GetLayerList().Count(); ++i) Layer(i)->SetOutput(false);
    EXPECT_FALSE(form->Export());
    EXPECT_EQ(asked, 1) << "the folder is still asked for";
    EXPECT_NE(told.find("出力するレイヤーがありません"), std::string::npos) << told;
    EXPECT_TRUE(fs::is_empty(answer));
}

}  // namespace

namespace {

TEST(PrintFormTest, PrintsIntoAPdfFileAndThePreviewFollowsTheOptions) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string error;
    std::unique_ptr<TVemoDocument> doc = ReadDocumentFile(kDemo, error);
    ASSERT_TRUE(doc) << error;
    app::TPrintForm form;
    std::string told;
    form.tell = [&](const std::string& text) { told = text; };
    form.SetDocument(doc.get());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    if (QPrinterInfo::availablePrinters().isEmpty()) {
        // No printer: printing says so and offers the PDF file, never a division by nothing.
        EXPECT_FALSE(form.PrintButton()->isEnabled());
        EXPECT_TRUE(form.PrinterLabel()->text().contains("PDF"));
        EXPECT_FALSE(form.PrintToPrinter());
        EXPECT_NE(told.find("PDF"), std::string::npos);
    }

    // The preview shows the page and changes with the options.
    const QImage plain = form.Preview().copy();
    ASSERT_FALSE(plain.isNull());
    QTest::mouseClick(form.MirrorBox(), Qt::LeftButton, {}, QPoint(8, form.MirrorBox()->height() / 2));
    EXPECT_TRUE(form.MirrorBox()->isChecked());
    EXPECT_NE(form.Preview(), plain);
    QTest::mouseClick(form.MirrorBox(), Qt::LeftButton, {}, QPoint(8, form.MirrorBox()->height() / 2));
    EXPECT_EQ(form.Preview(), plain);

    // Unticking a layer clears its output flag at once (the Gerber export sees it too).
    QListWidget* list = form.LayerList();
    ASSERT_EQ(list->count(), doc->GetLayerList().Count());
    const int row = 1;
    ASSERT_TRUE(doc->GetLayerList().At(row)->IsOutput());
    list->item(row)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(doc->GetLayerList().At(row)->IsOutput());

    const std::string pdf = dir.filePath("board").toStdString();
    form.askPdfFile = [&] { return pdf; };
    std::string written;
    form.written = [&](const std::string& text) { written = text; };
    QTest::mouseClick(form.PdfButton(), Qt::LeftButton);
    EXPECT_NE(written.find(pdf + ".pdf"), std::string::npos) << written;
    EXPECT_NE(written.find(" mm"), std::string::npos) << written;
    EXPECT_TRUE(told.empty() || told.find("PDF") != std::string::npos) << told;
    const std::string text = ReadText(pdf + ".pdf");
    EXPECT_EQ(text.substr(0, 5), "%PDF-") << "printed into board.pdf";
    EXPECT_FALSE(form.isVisible()) << "the window closes after printing";
}

}  // namespace

namespace {

class PictureFormTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        std::string error;
        doc = ReadDocumentFile(kDemo, error);
        ASSERT_TRUE(doc) << error;
    }
    QTemporaryDir dir;
    std::unique_ptr<TVemoDocument> doc;
};

TEST_F(PictureFormTest, BitmapDialogRefusesABadResolutionAndWritesTrueScale) {
    app::TExportBmpForm form(doc.get());
    int asked = 0;
    std::string told;
    bool toldOk = false;
    std::string file = dir.filePath("film").toStdString();
    form.askFile = [&] {
        ++asked;
        return file;
    };
    form.tell = [&](bool ok, const std::string& text) { toldOk = ok, told = text; };
    for (const char* bad : {"abc", "0", "-72", "1e999", ""}) {
        form.ResolutionEdit()->setText(bad);
        EXPECT_FALSE(form.Export()) << bad;
        EXPECT_FALSE(toldOk);
        EXPECT_NE(told.find("正の数"), std::string::npos) << told;
    }
    EXPECT_EQ(asked, 0) << "no file is asked for before the resolution is right";

    form.ResolutionEdit()->setText("254");
    ASSERT_TRUE(form.Export()) << told;
    const QImage plain(QString::fromStdString(file + ".bmp"));
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(plain.size(), QSize(int(doc->GetAreaWidth()), int(doc->GetAreaHeight())))
        << "one pixel per 0.1 mm";
    form.MirrorBox()->setChecked(true);
    file = dir.filePath("mirrored.bmp").toStdString();
    ASSERT_TRUE(form.Export()) << told;
    const QImage mirrored(QString::fromStdString(file));
    ASSERT_EQ(mirrored.size(), plain.size());
    // A form without settings offers 72 ppi each time; with them, the last one written.
    EXPECT_EQ(app::TExportBmpForm(doc.get()).ResolutionEdit()->text(), "72");
    const std::string ini = dir.filePath("zelko.ini").toStdString();
    EXPECT_EQ(app::TExportBmpForm(doc.get(), nullptr, ini).ResolutionEdit()->text(), "72");
    {
        app::TExportBmpForm remembering(doc.get(), nullptr, ini);
        remembering.askFile = [&] { return dir.filePath("again.png").toStdString(); };
        remembering.tell = form.tell;
        remembering.ResolutionEdit()->setText("300");
        ASSERT_TRUE(remembering.Export()) << told;
    }
    EXPECT_EQ(app::TExportBmpForm(doc.get(), nullptr, ini).ResolutionEdit()->text(), "300");
    // The area's right edge at column 0 (edges may round to the next pixel).
    const QImage flipped = plain.mirrored(true, false);
    long long differ = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) differ += mirrored.pixel(x, y) != flipped.pixel(x, y);
    EXPECT_LT(differ, (long long)plain.width() * plain.height() / 200);
}

TEST_F(PictureFormTest, EmfDialogWritesTheSelectionOnlyAndLeavesLayerFlagsAlone) {
    app::TExportEmfForm form(doc.get());
    const std::string file = dir.filePath("picture.emf").toStdString();
    form.askFile = [&] { return file; };
    std::string told;
    form.tell = [&](bool, const std::string& text) { told = text; };
    std::vector<std::int32_t> flags;
    flags.reserve(std::size_t(doc->GetLayerList().Count()));
    for (int i = 0; i < doc->GetLayerList().Count(); ++i)
        flags.push_back(doc->GetLayerList().At(i)->GetFlags());

    ASSERT_TRUE(form.OpaqueBox()->isChecked());
    form.SelectedButton()->setChecked(true);  // nothing is selected
    ASSERT_TRUE(form.Export()) << told;
    const std::string empty = ReadText(file);
    ASSERT_GE(empty.size(), 108u);
    EXPECT_EQ(empty.substr(40, 4), " EMF");
    for (int i = 0; i < doc->GetLayerList().Count(); ++i)
        EXPECT_EQ(doc->GetLayerList().At(i)->GetFlags(), flags[std::size_t(i)]) << "layer " << i;

    form.findChildren<QRadioButton*>()[2]->setChecked(true);  // "すべて"
    ASSERT_TRUE(form.Export()) << told;
    EXPECT_GT(ReadText(file).size(), empty.size() * 10);

    // Unticking a layer clears its output flag, which every export shares.
    form.LayerList()->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(doc->GetLayerList().At(0)->IsOutput());
}

TEST(ImportFormTest, MapsLegacyLayersRemembersTheChoiceAndRefusesUnstorableNames) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string settings = dir.filePath("zelko.ini").toStdString();
    const std::string file = std::string(ZELKO_TEST_DATA) + "/import/sample.vem";
    TVemoDocument doc;
    const int layersBefore = doc.GetLayerList().Count();
    {
        app::TVemoImportForm form(settings);
        std::string error;
        ASSERT_TRUE(form.Load(file, &doc, error)) << error;
        QTableWidget* table = form.Table();
        ASSERT_EQ(table->rowCount(), 2);
        EXPECT_EQ(table->item(0, 0)->text(), "CopperLayer");
        EXPECT_EQ(form.Destination(0), "") << "nothing remembered yet";

        form.SetDestination(0, "solder");
        form.SetDestination(1, "銅箔😀");  // no 8-bit code for the emoji
        TVemoImportResult result;
        EXPECT_FALSE(form.Import(result, error));
        EXPECT_NE(error.find("保存できない"), std::string::npos) << error;
        EXPECT_EQ(doc.GetRoot().GetChildCount(), 0) << "nothing is added before OK succeeds";

        form.SetDestination(1, "シルク");
        int imported = 0;
        form.imported = [&](const TVemoImportResult&) { ++imported; };
        ASSERT_TRUE(form.Import(result, error)) << error;
        EXPECT_EQ(imported, 1);
        ASSERT_NE(result.group, nullptr);
        EXPECT_EQ(doc.GetRoot().GetChildCount(), 1) << "one group";
        EXPECT_EQ(doc.GetLayerList().Count(), layersBefore + 1);
        EXPECT_TRUE(doc.GetLayerList().Find("シルク"));
    }
    // A later import of the same file offers the same choices.
    app::TVemoImportForm again(settings);
    std::string error;
    ASSERT_TRUE(again.Load(file, &doc, error)) << error;
    EXPECT_EQ(again.Destination(0), "solder");
    EXPECT_EQ(again.Destination(1), "シルク");
    EXPECT_FALSE(again.Load(dir.filePath("missing.vem").toStdString(), &doc, error));
    EXPECT_NE(error.find("missing.vem"), std::string::npos);
}

}  // namespace

namespace {

TEST(GraphToolTest, ReadsACsvFileAppliesValuesAndAddsTheGraph) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string data = dir.filePath("data.csv").toStdString();
    std::ofstream(data) << "0,1,-1\n1,2,-2\n2,4,-4\n3,8,-8\n";
    const std::string ini = dir.filePath("graph_tool.ini").toStdString();
    TVemoDocument doc;
    app::TGraphToolForm form(ini);
    app::TLineGraphFrame* frame = form.Frame();
    frame->SetDocument(&doc);
    std::string told;
    frame->tell = [&](const std::string& text) { told = text; };
    TVemoGroup* added = nullptr;
    frame->added = [&](TVemoGroup* group) { added = group; };
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    EXPECT_EQ(frame->AddGraph(), nullptr) << "no data yet";
    EXPECT_NE(told.find("データ"), std::string::npos);

    frame->askDataFile = [&](const std::string&) { return data; };
    QTest::mouseClick(form.findChildren<QPushButton*>()[0], Qt::LeftButton);  // "読み込み"
    ASSERT_EQ(frame->ItemList()->count(), 2);
    EXPECT_EQ(frame->ItemList()->item(1)->text(), "item1");
    EXPECT_FALSE(frame->ApplyButton()->isEnabled());

    // An empty range is refused with the tool's message; the file still gets the settings.
    ASSERT_TRUE(frame->SetValue("Xmin", "50"));
    EXPECT_TRUE(frame->ApplyButton()->isEnabled()) << "any change enables Apply";
    QTest::mouseClick(frame->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(told, "無効な値が含まれています。");
    EXPECT_FALSE(frame->ApplyButton()->isEnabled());
    EXPECT_TRUE(std::filesystem::exists(ini));

    told.clear();
    frame->SetValue("Xmin", "0");
    frame->SetValue("Xmax", "3");
    frame->SetValue("Ymin", "-8");
    frame->SetValue("Ymax", "8");
    frame->SetValue("Width", "400");
    frame->SetValue("Height", "300");
    ASSERT_TRUE(frame->Apply()) << told;

    QTest::mouseClick(frame->OkButton(), Qt::LeftButton);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(doc.GetRoot().GetChildCount(), 1);
    // The extent of what the group holds: curves, frame and ticks.
    float l = 1e9f, t = 1e9f, r = -1e9f, b = -1e9f;
    for (int i = 0; i < added->GetChildCount(); ++i) {
        RectF box;
        added->GetChild(i)->GetBounds(box);
        if (box == RectF()) continue;
        l = std::min(l, box.Left()), t = std::min(t, box.Top()), r = std::max(r, box.Right()),
        b = std::max(b, box.Bottom());
    }
    const RectF bounds(l, t, r - l, b - t);
    EXPECT_NEAR(bounds.width, 400, 5) << "the graph fills the size given";
    EXPECT_NEAR(bounds.height, 300, 5);
    EXPECT_FALSE(form.isVisible()) << "OK closes the tool";
}

}  // namespace
