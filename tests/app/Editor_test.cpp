// The whole editor window on the offscreen platform, driven with real input
// events on its real widgets.

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <typeinfo>

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "app/Editor.h"
#include "app/Keymap.h"
#include "app/Layerwindow.h"
#include "app/Mainform.h"
#include "app/Vemoresource.h"
#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "settings/Settings.h"
#include "states/Vemostatebank.h"

namespace {

const std::string kDemo = std::string(ZELKO_SOURCE_DIR) + "/examples/demo.vbf";

class EditorTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        settingsPath = dir.filePath("zelko.ini").toStdString();
        resources.Load(ZELKO_BITMAP_DIR);
    }

    // The window on file, shown and started; null when the file cannot be read.
    std::unique_ptr<app::TVemoForm> Open(const std::string& file) {
        std::string error;
        std::unique_ptr<TVemoDocument> doc = app::LoadInitialDocument(file, error);
        EXPECT_NE(doc, nullptr) << error;
        auto form = std::make_unique<app::TVemoForm>(resources, settingsPath);
        form->Start(std::move(doc));
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return form->Context() != nullptr; }));
        // At 200 % the small offscreen screen cannot hold the window with its
        // panels; these tests are about the drawing.
        form->StyleDock()->hide();
        form->LayerDock()->hide();
        Settle();
        // The view the window opens with at this size.
        form->Context()->ShowWholeArea();
        Settle();
        return form;
    }
    // Lets the queued events and the idle redraw run.
    static void Settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
    // The release of an arrow key or Space is reported once no repeat follows it.
    static void WaitForKeyRelease() {
        QTest::qWait(app::TKeyObserver::kRepeatPairMs + 40);
        Settle();
    }

    QTemporaryDir dir;
    std::string settingsPath;
    TVemoResource resources;
};

QPoint Centre(QWidget* w) {
    return QPoint(w->width() / 2, w->height() / 2);
}

// The document point under a widget position: the bitmaps are in device pixels.
PointF Under(TVemoEventContext& context, QWidget* w, QPoint at) {
    const qreal r = w->devicePixelRatioF();
    return context.ToDocument(int(at.x() * r), int(at.y() * r));
}

TEST_F(EditorTest, ShowsTheDocumentAndAnswersTheTools) {
    auto form = Open(kDemo);
    TVemoEventContext& context = *form->Context();
    app::TDesignWidget* design = form->Design();
    EXPECT_EQ(form->windowTitle().toStdString(),
              std::filesystem::absolute(kDemo).lexically_normal().string() + "[*]");
    EXPECT_EQ(form->menuBar()->actions().size(), 6);

    // The design widget shows the overlay bitmap 1:1, and the bitmap shows the board.
    const qreal ratio = design->devicePixelRatioF();
    const QImage shown = design->grab().toImage();
    ASSERT_EQ(shown.size(), design->size() * ratio);
    const TDIBitmap& overlay = context.OverlayBitmap();
    ASSERT_EQ(overlay.Width(), int(design->width() * ratio));
    int coloured = 0;
    for (int y = 0; y < overlay.Height(); y += 3)
        for (int x = 0; x < overlay.Width(); x += 3) {
            const std::uint32_t p = overlay.Pixel(x, y);
            EXPECT_EQ(p, shown.pixel(x, y) & 0xFFFFFFu) << x << "," << y;
            if (p != 0xFFFFFF && p != 0x808080) ++coloured;
        }
    EXPECT_GT(coloured, 100);

    // Tool buttons: the pressed one goes down alone and brings its sub-tools.
    QToolButton* rect = form->ToolButton("rect");
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->toolTip().toStdString(), "長方形を生成します");
    QTest::mouseClick(rect, Qt::LeftButton);
    Settle();
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoRectState));
    EXPECT_TRUE(rect->isChecked());
    EXPECT_FALSE(form->ToolButton("select")->isChecked());
    EXPECT_EQ(form->ToolButton("group"), nullptr);
    ASSERT_NE(form->ToolButton("scaleup"), nullptr);
    QTest::mouseClick(form->ToolButton("select"), Qt::LeftButton);
    Settle();
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoSelectState));
    ASSERT_NE(form->ToolButton("numeric"), nullptr);
    QTest::mouseClick(form->ToolButton("numeric"), Qt::LeftButton);
    Settle();
    EXPECT_TRUE(form->ToolButton("numeric")->isChecked());
    QTest::mouseClick(form->ToolButton("numeric"), Qt::LeftButton);
    Settle();
    EXPECT_FALSE(form->ToolButton("numeric")->isChecked());

    // The zoom buttons zoom about the window centre.
    const double zoom = context.Document().GetZoom();
    QTest::mouseClick(form->ToolButton("scaleup"), Qt::LeftButton);
    Settle();
    EXPECT_DOUBLE_EQ(context.Document().GetZoom(), zoom * 2);
    QTest::mouseClick(form->ToolButton("scaledown"), Qt::LeftButton);
    Settle();
    EXPECT_DOUBLE_EQ(context.Document().GetZoom(), zoom);

    // The status bar follows the pointer (with snapping off: the select tool shows the grid point).
    context.Document().ClearViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
    const QPoint at(design->width() / 2 + 100, design->height() / 2 + 50);
    QTest::mouseMove(design, at);
    Settle();
    const PointF p = Under(context, design, at);
    char expected[64];
    std::snprintf(expected, sizeof expected, "X %10f Y %10f", std::round(p.x * 0.1 * 1e5) / 1e5 + 0.0,
                  std::round(p.y * 0.1 * 1e5) / 1e5 + 0.0);
    EXPECT_EQ(form->StatusPanel(0)->text().toStdString(), expected);
    EXPECT_EQ(form->StatusPanel(2)->text(), "");
}

TEST_F(EditorTest, SpaceDragPansAndWheelZoomsAboutThePointer) {
    auto form = Open(kDemo);
    TVemoEventContext& context = *form->Context();
    TVemoDocument& doc = context.Document();
    app::TDesignWidget* design = form->Design();
    const QPoint centre = Centre(design);

    // Pan: Space held, drag by (60, -40) pixels.
    const double panX = doc.GetPanX(), panY = doc.GetPanY(), zoom = doc.GetZoom();
    QTest::keyPress(design, Qt::Key_Space);
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoViewState));
    EXPECT_EQ(design->cursor().shape(), Qt::BitmapCursor);
    QTest::mousePress(design, Qt::LeftButton, {}, centre);
    QTest::mouseMove(design, centre + QPoint(30, -20));
    QMouseEvent move(QEvent::MouseMove, QPointF(centre + QPoint(60, -40)),
                     design->mapToGlobal(QPointF(centre + QPoint(60, -40))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(design, &move);
    QTest::mouseRelease(design, Qt::LeftButton, {}, centre + QPoint(60, -40));
    QTest::keyRelease(design, Qt::Key_Space);
    WaitForKeyRelease();
    const qreal ratio = design->devicePixelRatioF();
    EXPECT_NEAR((doc.GetPanX() - panX) * zoom, 60 * ratio, 1.0);
    EXPECT_NEAR((doc.GetPanY() - panY) * zoom, -40 * ratio, 1.0);
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoSelectState));
    EXPECT_EQ(design->cursor().shape(), Qt::ArrowCursor);

    // Space+X and Space+Z switch the tool and come back.
    QTest::keyPress(design, Qt::Key_Space);
    QTest::keyPress(design, Qt::Key_X);
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoScaleUpState));
    QTest::keyRelease(design, Qt::Key_X);
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoViewState));
    QTest::keyPress(design, Qt::Key_Z);
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoScaleDownState));
    QTest::keyRelease(design, Qt::Key_Z);
    QTest::keyRelease(design, Qt::Key_Space);
    WaitForKeyRelease();
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoSelectState));
    // The keyboard's repeat of a held Space (a release and a press each time) keeps the pan.
    QTest::keyPress(design, Qt::Key_Space);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
        QApplication::sendEvent(design, &up);
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
        QApplication::sendEvent(design, &down);
    }
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoViewState));
    // The same repeat as an X server may send it: pairs not marked as repeats,
    // in the middle of a drag. The whole drag pans and nothing is drawn.
    {
        const double x0 = doc.GetPanX(), y0 = doc.GetPanY();
        const int objects = context.RootObject().GetChildCount();
        QTest::mousePress(design, Qt::LeftButton, {}, centre);
        for (int i = 1; i <= 4; ++i) {
            const QPointF at = QPointF(centre) + QPointF(10 * i, 5 * i);
            QMouseEvent step(QEvent::MouseMove, at, design->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(design, &step);
            QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", false);
            QApplication::sendEvent(design, &up);
            QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", false);
            QApplication::sendEvent(design, &down);
            Settle();
        }
        QTest::mouseRelease(design, Qt::LeftButton, {}, centre + QPoint(40, 20));
        Settle();
        EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoViewState));
        EXPECT_NEAR((doc.GetPanX() - x0) * doc.GetZoom(), 40 * design->devicePixelRatioF(), 1.0);
        EXPECT_NEAR((doc.GetPanY() - y0) * doc.GetZoom(), 20 * design->devicePixelRatioF(), 1.0);
        EXPECT_EQ(context.RootObject().GetChildCount(), objects);
    }
    // Switching to another program lets go of the held keys.
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &deactivate);
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoSelectState));
    EXPECT_EQ(context.Session().keys.Flags(), 0u);
    // Shift and Space together do not pan.
    QTest::keyPress(design, Qt::Key_Shift);
    QTest::keyPress(design, Qt::Key_Space);
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoSelectState));
    QTest::keyRelease(design, Qt::Key_Space);
    QTest::keyRelease(design, Qt::Key_Shift);
    WaitForKeyRelease();

    // Wheel at a point off-centre: the document point under the pointer stays put.
    const QPoint at(design->width() / 4, design->height() / 3);
    for (int notch : {120, 120, -120, 120}) {
        const PointF before = Under(context, design, at);
        const double z = doc.GetZoom();
        QWheelEvent wheel(QPointF(at), design->mapToGlobal(QPointF(at)), {}, QPoint(0, notch), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(design, &wheel);
        Settle();
        EXPECT_NEAR(doc.GetZoom() / z, notch > 0 ? std::sqrt(2.0) : std::sqrt(0.5), 1e-9);
        const PointF after = Under(context, design, at);
        // Within a device pixel.
        EXPECT_LT(std::hypot(after.x - before.x, after.y - before.y) * doc.GetZoom(), 1.0);
    }
    // Half notches add up to one step.
    const double z = doc.GetZoom();
    for (int i = 0; i < 2; ++i) {
        QWheelEvent wheel(QPointF(at), design->mapToGlobal(QPointF(at)), {}, QPoint(0, 60), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(design, &wheel);
    }
    EXPECT_NEAR(doc.GetZoom() / z, std::sqrt(2.0), 1e-9);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isMaximized());
}

TEST_F(EditorTest, ViewKeysZoomAboutThePointerAndHomeFitsTheBoard) {
    auto form = Open(kDemo);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    TVemoEventContext& context = *form->Context();
    TVemoDocument& doc = context.Document();
    app::TDesignWidget* design = form->Design();
    const double fitZoom = doc.GetZoom(), fitPanX = doc.GetPanX(), fitPanY = doc.GetPanY();

    // + and - (also = and the keypad's) step like a wheel notch about the pointer.
    const QPoint at(design->width() / 4, design->height() / 3);
    QTest::mouseMove(design, at);
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        double ratio;
    };
    for (const Key k :
         {Key{Qt::Key_Plus, {}, std::sqrt(2.0)}, Key{Qt::Key_Equal, {}, std::sqrt(2.0)},
          Key{Qt::Key_Minus, {}, std::sqrt(0.5)}, Key{Qt::Key_Plus, Qt::KeypadModifier, std::sqrt(2.0)}}) {
        SCOPED_TRACE(k.key);
        const PointF before = Under(context, design, at);
        const double z = doc.GetZoom();
        QTest::keyClick(design, k.key, k.modifiers);
        Settle();
        EXPECT_NEAR(doc.GetZoom() / z, k.ratio, 1e-9);
        const PointF after = Under(context, design, at);
        EXPECT_LT(std::hypot(after.x - before.x, after.y - before.y) * doc.GetZoom(), 1.0);
    }
    ASSERT_NE(doc.GetZoom(), fitZoom);
    // Home: the whole board again, as the window opened; also View > Fit.
    QTest::keyClick(design, Qt::Key_Home);
    Settle();
    EXPECT_DOUBLE_EQ(doc.GetZoom(), fitZoom);
    EXPECT_DOUBLE_EQ(doc.GetPanX(), fitPanX);
    EXPECT_DOUBLE_EQ(doc.GetPanY(), fitPanY);
    QTest::keyClick(design, Qt::Key_Minus);
    form->findChild<QAction*>("fit")->trigger();
    EXPECT_DOUBLE_EQ(doc.GetZoom(), fitZoom);
    EXPECT_EQ(typeid(*context.CurrentState()), typeid(TVemoSelectState));
}

TEST_F(EditorTest, CloseAsksAboutUnsavedChangesAndKeepsThePlacement) {
    auto form = Open(kDemo);
    // Within the offscreen platform's 800 x 600 screen.
    form->move(30, 0);
    form->resize(700, form->height());
    Settle();
    form->Context()->History().SaveRootMemento(
        form->Context()->Document());  // an edit: the document is modified

    // Cancel keeps the window open.
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdString(), "ファイルの変更を保存しますか?");
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());

    // No closes without saving and writes the placement.
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_TRUE(form->close());
    const settings::TIniFile ini = settings::ReadSettingsFile(settingsPath);
    const settings::TFormPlacement p = settings::ReadFormPlacement(ini, "VemoForm");
    EXPECT_EQ(p.left, 30);
    EXPECT_EQ(p.width, 700);
    EXPECT_EQ(p.height, form->height());
    EXPECT_EQ(p.windowState, 0);
    form.reset();

    // The next window opens where this one was.
    auto again = Open(kDemo);
    EXPECT_EQ(again->size(), QSize(p.width, p.height));
    EXPECT_EQ(again->pos(), QPoint(p.left, p.top));

    // Closed maximised: the state is kept, and the last normal size with it.
    again->showMaximized();
    Settle();
    EXPECT_TRUE(again->close());  // nothing changed: no question
    const settings::TFormPlacement q =
        settings::ReadFormPlacement(settings::ReadSettingsFile(settingsPath), "VemoForm");
    EXPECT_EQ(q.windowState, 2);
    EXPECT_EQ(q.width, p.width);
    EXPECT_EQ(q.height, p.height);
    again.reset();
    auto third = Open(kDemo);
    EXPECT_TRUE(third->isMaximized());
}

TEST_F(EditorTest, StartingDocuments) {
    std::string error;
    // A board that does not exist yet is a new one under that name; saved, it
    // is written there without a question, and it is there from then on.
    {
        const std::string fresh = dir.filePath("new-board.vbf").toStdString();
        auto doc = app::LoadInitialDocument(fresh, error);
        ASSERT_NE(doc, nullptr) << error;
        EXPECT_EQ(doc->GetFileName(), fresh);
        EXPECT_EQ(doc->GetRoot().GetChildCount(), 0);
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(fresh))) << "nothing is written before a save";
        auto form = std::make_unique<app::TVemoForm>(resources, settingsPath);
        form->Start(std::move(doc));
        form->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->Context() != nullptr; }));
        EXPECT_EQ(form->windowTitle().toStdString(), fresh + "[*]");
        form->Context()->History().SaveRootMemento(form->Context()->Document());
        form->findChild<QAction*>("write")->trigger();
        EXPECT_FALSE(form->Context()->History().IsModified());
        ASSERT_NE(ReadDocumentFile(fresh, error), nullptr) << error;
    }
    // A file that exists but cannot be read opens nothing and says why.
    const std::string garbage = dir.filePath("garbage.vbf").toStdString();
    FILE* f = std::fopen(garbage.c_str(), "wb");
    std::fputs("not a board", f);
    std::fclose(f);
    error.clear();
    EXPECT_EQ(app::LoadInitialDocument(garbage, error), nullptr);
    EXPECT_FALSE(error.empty());
    // Without a file: a document without a name, captioned "zelko".
    auto doc = app::LoadInitialDocument("", error);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetFileName(), "");
    auto form = std::make_unique<app::TVemoForm>(resources, settingsPath);
    form->Start(std::move(doc));
    form->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Context() != nullptr; }));
    EXPECT_EQ(form->windowTitle(), "zelko[*]");

    // Yes to saving an untitled board, then the save dialog cancelled:
    // nothing was saved, so the window stays open with the changes.
    form->Context()->History().SaveRootMemento(form->Context()->Document());
    int boxes = 0, dialogs = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            ++boxes;
            box->button(QMessageBox::Yes)->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            ++dialogs;
            dialog->reject();
        }
    });
    answer.start(20);
    EXPECT_FALSE(form->close());
    answer.stop();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Context()->History().IsModified());
}

TEST(KeymapTest, QtKeysBecomeVirtualKeys) {
    const struct {
        int qt, vk;
    } rows[] = {{Qt::Key_A, 65},      {Qt::Key_Z, 90},     {Qt::Key_0, 48},       {Qt::Key_9, 57},
                {Qt::Key_Space, 32},  {Qt::Key_Shift, 16}, {Qt::Key_Control, 17}, {Qt::Key_Escape, 27},
                {Qt::Key_Return, 13}, {Qt::Key_Enter, 13}, {Qt::Key_Left, 37},    {Qt::Key_Up, 38},
                {Qt::Key_Right, 39},  {Qt::Key_Down, 40},  {Qt::Key_Delete, 46},  {Qt::Key_F1, 112},
                {Qt::Key_Exclam, 0},  {Qt::Key_unknown, 0}};
    for (const auto& row : rows) EXPECT_EQ(app::VirtualKey(row.qt), row.vk) << std::hex << row.qt;
}

}  // namespace
