// A part from the library on the real editor window (offscreen platform):
// placed through the library window, a track drawn to one of its pins, the
// part dragged with the parts tool, the board saved and read back.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QMouseEvent>
#include <QToolButton>
#include <QTreeWidget>

#include "Guifixture.h"
#include "app/Libraryform.h"
#include "app/Menus.h"
#include "app/Styleform.h"
#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "states/Vemoeventcontext.h"

namespace {

class LibraryFlowTest : public GuiTest {
protected:
    // The drill centres of a placed part, pin 1 first: the part's top-left
    // hole; pin 8 of a DIP-8 is its top-right one.
    static std::vector<PointF> Holes(const TVemoObject& part) {
        std::vector<PointF> holes;
        const auto* group = dynamic_cast<const TVemoGroup*>(&part);
        if (!group) return holes;
        for (int i = 0; i < group->GetChildCount(); ++i) {
            const TVemoObject& o = *group->GetChild(i);
            if (!o.GetLayer() || o.GetLayer()->GetName() != "hole") continue;
            RectF b;
            o.GetBounds(b);
            holes.emplace_back(b.x + b.width / 2, b.y + b.height / 2);
        }
        return holes;
    }
    static PointF Corner(const std::vector<PointF>& holes, bool right) {
        PointF best = holes.front();
        for (const PointF& p : holes)
            if (p.y < best.y - 0.01f ||
                (std::abs(p.y - best.y) < 0.01f && (right ? p.x > best.x : p.x < best.x)))
                best = p;
        return best;
    }
    // The first and the last anchor of an open path (each anchor is followed by two handles).
    static PointF First(const TVemoPath& p) { return p.GetPoints()[0]; }
    static PointF Last(const TVemoPath& p) {
        const std::vector<PointF>& points = p.GetPoints().Vector();
        return points[points.size() - 3];
    }
    QPoint At(app::TVemoForm& form, PointF p) {
        const PointF px = form.Context()->Document().GetViewMatrix().Map(p);
        const qreal r = form.Design()->devicePixelRatioF();
        return QPoint(int(std::lround(px.x / r)), int(std::lround(px.y / r)));
    }
    void Click(app::TVemoForm& form, const char* tool) {
        QToolButton* button = form.ToolButton(tool);
        ASSERT_NE(button, nullptr) << tool;
        QTest::mouseClick(button, Qt::LeftButton);
        Settle();
        ASSERT_TRUE(button->isChecked()) << tool;
    }
};

TEST_F(LibraryFlowTest, ATrackToAPlacedPartFollowsItsDragAndIsSaved) {
    auto form = Start();
    form->activateWindow();
    Settle();
    QWidget* design = form->Design();
    TVemoEventContext& context = *form->Context();
    TVemoPart& root = context.RootObject();
    const double grid = context.Document().GetGrid();
    ASSERT_TRUE(context.Document().TestViewFlags(TVemoDocumentInfo::ViewSnapToGrid));

    // The library tool: a click opens the library window; DIP-8 chosen in
    // its tree and OK place it at the click.
    Click(*form, "lib");
    TModalAnswers answers;
    bool chosen = false;
    answers.Then([&chosen](QWidget* w) {
        auto* library = qobject_cast<app::TLibraryForm*>(w);
        ASSERT_NE(library, nullptr) << "expected the library window, got " << w->metaObject()->className();
        const auto found = library->LibraryTree->findItems("dip8.vbf", Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        library->LibraryTree->scrollToItem(found[0]);
        const QRect row = library->LibraryTree->visualItemRect(found[0]);
        QTest::mouseClick(library->LibraryTree->viewport(), Qt::LeftButton, {}, row.center());
        chosen = library->ChosenPart().GetChildCount() > 0;
        QTest::mouseClick(library->OkButton, Qt::LeftButton);
    });
    const QPoint place(design->width() / 2, design->height() / 2);
    QTest::mouseClick(design, Qt::LeftButton, {}, place);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.Done() && !QApplication::activeModalWidget(); }));
    Settle();
    ASSERT_TRUE(chosen);
    ASSERT_EQ(root.GetChildCount(), 1);
    const std::vector<PointF> placed = Holes(*root.GetChild(0));
    ASSERT_EQ(placed.size(), 8u);
    const PointF pin1 = Corner(placed, false), pin8 = Corner(placed, true);
    EXPECT_NEAR(pin8.x - pin1.x, 76.2, 0.05);  // rows 7.62 mm apart

    // The path tool: from empty space to pin 8, ended with Enter.
    Click(*form, "path");
    const PointF start{float(pin8.x + 10 * grid), float(pin8.y - 6 * grid)};
    QTest::mouseClick(design, Qt::LeftButton, {}, At(*form, start));
    QTest::mouseClick(design, Qt::LeftButton, {}, At(*form, pin8));
    QTest::keyClick(design, Qt::Key_Return);
    Settle();
    ASSERT_EQ(root.GetChildCount(), 2);
    const auto* drawn = dynamic_cast<const TVemoPath*>(root.GetChild(1));
    ASSERT_NE(drawn, nullptr);
    ASSERT_EQ(drawn->GetPoints().size(), 6u);
    const PointF trackStart = First(*drawn), trackEnd = Last(*drawn);
    // Snapped to the grid, the track ends on the pin's centre.
    ASSERT_NEAR(trackEnd.x, pin8.x, 0.05);
    ASSERT_NEAR(trackEnd.y, pin8.y, 0.05);

    // The parts tool: the part dragged by pin 1, four grid steps right and three down.
    Click(*form, "parts");
    const QPoint from = At(*form, pin1);
    const QPoint to = At(*form, {float(pin1.x + 4 * grid), float(pin1.y + 3 * grid)});
    QTest::mousePress(design, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 4; ++i) {
        const QPointF at = QPointF(from) + QPointF(to - from) * (i / 4.0);
        QMouseEvent move(QEvent::MouseMove, at, design->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(design, &move);
    }
    QTest::mouseRelease(design, Qt::LeftButton, {}, to);
    Settle();

    // File > save as, to a new file; read back.
    const std::string file = Path("moved.vbf");
    answers.File(file);
    QAction* saveAs = form->Menus().Action("save");
    ASSERT_NE(saveAs, nullptr);
    saveAs->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.Done() && !QApplication::activeModalWidget(); }));
    Settle();
    std::string error;
    std::unique_ptr<TVemoDocument> saved = ReadDocumentFile(file, error);
    ASSERT_NE(saved, nullptr) << error;
    ASSERT_EQ(saved->GetRoot().GetChildCount(), 2);
    const std::vector<PointF> moved = Holes(*saved->GetRoot().GetChild(0));
    ASSERT_EQ(moved.size(), 8u);
    const PointF movedPin1 = Corner(moved, false), movedPin8 = Corner(moved, true);
    const double dx = movedPin1.x - pin1.x, dy = movedPin1.y - pin1.y;
    EXPECT_NEAR(dx, 4 * grid, 0.05);
    EXPECT_NEAR(dy, 3 * grid, 0.05);
    const auto* track = dynamic_cast<const TVemoPath*>(saved->GetRoot().GetChild(1));
    ASSERT_NE(track, nullptr);
    ASSERT_EQ(track->GetPoints().size(), 6u);
    // The end on pin 8 went along with the part; the other end stayed.
    EXPECT_NEAR(Last(*track).x, trackEnd.x + dx, 0.05);
    EXPECT_NEAR(Last(*track).y, trackEnd.y + dy, 0.05);
    EXPECT_NEAR(Last(*track).x, movedPin8.x, 0.05);
    EXPECT_NEAR(Last(*track).y, movedPin8.y, 0.05);
    EXPECT_NEAR(First(*track).x, trackStart.x, 0.05);
    EXPECT_NEAR(First(*track).y, trackStart.y, 0.05);
}

}  // namespace
