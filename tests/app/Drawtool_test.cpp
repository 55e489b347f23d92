// The path tool on the real editor window (offscreen platform): a closed
// Bezier path drawn with the mouse, saved when the window closes, read back
// from the file.

#include <cmath>
#include <memory>
#include <string>

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "app/Mainform.h"
#include "app/Styleform.h"
#include "app/Vemoresource.h"
#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "states/Vemodrawstate.h"
#include "states/Vemoeventcontext.h"

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

TEST(DrawToolTest, AClosedBezierPathDrawnWithTheMouseIsSaved) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TVemoResource resources;
    resources.Load(ZELKO_BITMAP_DIR);
    const std::string file = dir.filePath("board.vbf").toStdString();
    std::string error;
    ASSERT_TRUE(WriteDocumentFile(TVemoDocument(), file, error)) << error;
    std::unique_ptr<TVemoDocument> read = ReadDocumentFile(file, error);
    ASSERT_NE(read, nullptr) << error;

    auto form = std::make_unique<app::TVemoForm>(resources, dir.filePath("zelko.ini").toStdString());
    form->Start(std::move(read));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Context() != nullptr; }));
    form->activateWindow();
    Settle();
    QWidget* design = form->Design();
    TVemoEventContext& context = *form->Context();
    const double grid = context.Document().GetGrid();
    ASSERT_TRUE(context.Document().TestViewFlags(TVemoDocumentInfo::ViewSnapToGrid));

    QToolButton* pathButton = form->ToolButton("path");
    ASSERT_NE(pathButton, nullptr);
    QTest::mouseClick(pathButton, Qt::LeftButton);
    Settle();
    auto* tool = dynamic_cast<TVemoDrawState*>(context.CurrentState());
    ASSERT_NE(tool, nullptr);

    const int w = design->width(), h = design->height();
    const QPoint a(w / 4, h / 4), b(3 * w / 4, h / 3), c(w / 2, 3 * h / 4);
    // a: a click; b: pressed and dragged, pulling its handles; c: a click;
    // then a click on a again closes the path.
    QTest::mouseClick(design, Qt::LeftButton, {}, a);
    QTest::mousePress(design, Qt::LeftButton, {}, b);
    for (int i = 1; i <= 4; ++i) {
        const QPointF at = QPointF(b) + QPointF(10.0 * i, 8.0 * i);
        QMouseEvent move(QEvent::MouseMove, at, design->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(design, &move);
    }
    QTest::mouseRelease(design, Qt::LeftButton, {}, b + QPoint(40, 32));
    QTest::mouseClick(design, Qt::LeftButton, {}, c);
    ASSERT_NE(tool->CurrentPath(), nullptr);
    QTest::mouseClick(design, Qt::LeftButton, {}, a);
    Settle();
    EXPECT_EQ(tool->CurrentPath(), nullptr);
    ASSERT_EQ(context.RootObject().GetChildCount(), 1);

    // Closing asks to save; Yes writes the board to its file.
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_TRUE(form->close());
    form.reset();

    std::unique_ptr<TVemoDocument> saved = ReadDocumentFile(file, error);
    ASSERT_NE(saved, nullptr) << error;
    ASSERT_EQ(saved->GetRoot().GetChildCount(), 1);
    const auto* path = dynamic_cast<const TVemoPath*>(saved->GetRoot().GetChild(0));
    ASSERT_NE(path, nullptr);
    EXPECT_TRUE(path->IsClosed());
    ASSERT_EQ(path->GetPoints().size(), 9u);
    const auto& pts = path->GetPoints();
    // Anchors on grid points.
    for (int k : {0, 3, 6}) {
        EXPECT_NEAR(pts[k].x / grid, std::round(pts[k].x / grid), 1e-3) << k;
        EXPECT_NEAR(pts[k].y / grid, std::round(pts[k].y / grid), 1e-3) << k;
    }
    // The dragged node is smooth and curved: its handles are pulled out,
    // mirrored about the anchor, down and to the right by whole pitches.
    const PointF out = pts[4], in = pts[2], anchor = pts[3];
    EXPECT_GT(out.x - anchor.x, grid / 2);
    EXPECT_GT(out.y - anchor.y, grid / 2);
    EXPECT_NEAR(out.x + in.x, 2 * anchor.x, 1e-3);
    EXPECT_NEAR(out.y + in.y, 2 * anchor.y, 1e-3);
    EXPECT_EQ(path->GetTypes()[3] & 0x06, 0x06);
    // The clicked nodes stay corners: their handles on their anchors.
    for (int k : {0, 6}) {
        EXPECT_EQ(pts[k + 1], pts[k]) << k;
        EXPECT_EQ(pts[k - 1], pts[k]) << k;
    }
    // The node order follows the clicks: a left of b, c below both.
    EXPECT_LT(pts[0].x, pts[3].x);
    EXPECT_GT(pts[6].y, pts[0].y);
    EXPECT_GT(pts[6].y, pts[3].y);
    // Nothing of the drawing's selection is stored.
    for (std::size_t i = 0; i < pts.size(); ++i)
        EXPECT_EQ(path->GetTypes()[i] & TVemoPath::TypeSelected, 0) << i;
}

}  // namespace
