// A seeded random user on the real editor window: tools, clicks, drags, keys,
// menu commands, the panels, dialogs opened and answered, saves. After every
// undo or redo the window must show what a fresh redraw of the document shows,
// and every saved file must read back as the document it was saved from. A
// fault prints the seed and the events that led to it.
//
// ZELKO_RANDOM_SEED=S and ZELKO_RANDOM_EVENTS=N replay or lengthen a run.

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include <QAction>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "Guifixture.h"
#include "app/Layerwindow.h"
#include "app/Textform.h"
#include "archive/Vemodocumentfile.h"
#include "boardgen/Boardgen.h"
#include "model/Vemodocument.h"
#include "model/Vemopart.h"
#include "render/Redraw.h"
#include "states/Vemoeventcontext.h"

namespace {

int EnvInt(const char* name, int otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : otherwise;
}

// How many pixels of the window's picture differ from a full redraw of the
// document as it stands.
int PixelsUnlikeAFreshRedraw(TVemoEventContext& context) {
    const TDIBitmap& shown = context.OverlayBitmap();
    TDIBitmap main, overlay;
    if (!main.Resize(shown.Width(), shown.Height()) || !overlay.Resize(shown.Width(), shown.Height()))
        return -1;
    render::RenderMain(context.Document(), main,
                       context.Background().isNull() ? nullptr : &context.Background());
    render::RenderOverlay(context.Document(), main, overlay);
    const QImage& a = shown.Image();
    const QImage& b = overlay.Image();
    int differ = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) differ += a.pixel(x, y) != b.pixel(x, y);
    return differ;
}

// The document's bytes as a file would keep them (selection is not kept).
std::string StoredBytes(const TVemoDocument& document) {
    std::string error;
    std::unique_ptr<TVemoDocument> back = DocumentFromBytes(DocumentBytes(document), error);
    return back ? DocumentBytes(*back) : error;
}

class RandomUseTest : public GuiTest {
protected:
    // Plays events on the window over document, saved as board.vbf.
    void Play(std::unique_ptr<TVemoDocument> document, std::uint32_t seed, int events) {
        const std::string board = Path("board.vbf");
        std::string error;
        ASSERT_TRUE(WriteDocumentFile(*document, board, error)) << error;
        document = ReadDocumentFile(board, error);
        ASSERT_NE(document, nullptr) << error;
        document->SetFileName(board);
        form_ = Start(std::move(document));
        design_ = form_->Design();
        rng_.seed(seed);
        log_.clear();
        pictures_ = saves_ = 0;

        // Every modal window that opens is answered: questions cancelled, file
        // dialogs closed, the text window sometimes given a text.
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [this] { AnswerModal(); });
        answerer.start(5);

        for (int i = 0; i < events && !HasFailure(); ++i) Step();
        Wait();
        std::printf(
            "seed %u: %d events, %d pictures after undo or redo compared, %d saves read back, %d objects at "
            "the end\n",
            seed, int(log_.size()), pictures_, saves_, form_->Context()->RootObject().GetChildCount());
        if (HasFailure()) {
            std::ostringstream out;
            out << "seed " << seed << ", " << log_.size() << " events:";
            for (const std::string& line : log_) out << "\n  " << line;
            ADD_FAILURE() << out.str();
        }
        form_->Context()->History().ClearModified();  // no question at the end
        form_.reset();
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    QPoint Anywhere() { return QPoint(Pick(design_->width()), Pick(design_->height())); }

    void AnswerModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (auto* text = qobject_cast<app::TTextForm*>(modal); text && Pick(2) == 0) {
            text->TextBox->setPlainText("R1");
            text->OkButton->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            // Cancel where there is one, else whatever Escape would do.
            if (QAbstractButton* cancel = box->button(QMessageBox::Cancel))
                cancel->click();
            else if (QAbstractButton* no = box->button(QMessageBox::No))
                no->click();
            else if (box->escapeButton())
                box->escapeButton()->click();
            else
                box->reject();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }

    // Lets queued events, the idle redraw and any preview's exact picture run.
    void Wait() {
        TVemoEventContext* context = form_->Context();
        for (int i = 0; i < 50; ++i) {
            Settle();
            if (!context->RedrawPending()) return;
        }
    }

    void Move(QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), design_->mapToGlobal(QPointF(at)), Qt::NoButton,
                         buttons, mods);
        QApplication::sendEvent(design_, &move);
    }

    static Qt::KeyboardModifiers Mods(int pick) {
        switch (pick) {
            case 1:
                return Qt::ShiftModifier;
            case 2:
                return Qt::ControlModifier;
            case 3:
                return Qt::AltModifier;
            default:
                return Qt::NoModifier;
        }
    }

    void Step() {
        std::ostringstream what;
        const int kind = Pick(100);
        if (kind < 8) {
            std::vector<QToolButton*> tools;
            for (QToolButton* b : form_->findChildren<QToolButton*>())
                if (b->isVisible() && b->isEnabled()) tools.push_back(b);
            if (tools.empty()) return;
            QToolButton* tool = tools[std::size_t(Pick(int(tools.size())))];
            what << "tool " << tool->objectName().toStdString();
            log_.push_back(what.str());
            QTest::mouseClick(tool, Qt::LeftButton);
        } else if (kind < 30) {
            const QPoint at = Anywhere();
            const Qt::MouseButton button = Pick(5) == 0 ? Qt::RightButton : Qt::LeftButton;
            const Qt::KeyboardModifiers mods = Mods(Pick(6));
            what << "click " << (button == Qt::RightButton ? "right " : "") << at.x() << "," << at.y()
                 << " mods " << int(mods);
            log_.push_back(what.str());
            QTest::mouseClick(design_, button, mods, at);
        } else if (kind < 50) {
            const QPoint from = Anywhere(),
                         to = Pick(3) == 0 ? from + QPoint(Pick(9) - 4, Pick(9) - 4) : Anywhere();
            const Qt::KeyboardModifiers mods = Mods(Pick(6));
            const bool pan = Pick(6) == 0;
            what << (pan ? "space-drag " : "drag ") << from.x() << "," << from.y() << " to " << to.x() << ","
                 << to.y() << " mods " << int(mods);
            log_.push_back(what.str());
            if (pan) QTest::keyPress(design_, Qt::Key_Space);
            QTest::mousePress(design_, Qt::LeftButton, mods, from);
            for (int i = 1; i <= 3; ++i) Move(from + (to - from) * i / 3, Qt::LeftButton, mods);
            QTest::mouseRelease(design_, Qt::LeftButton, mods, to);
            if (pan) QTest::keyRelease(design_, Qt::Key_Space);
        } else if (kind < 56) {
            const QPoint at = Anywhere();
            what << "move " << at.x() << "," << at.y();
            log_.push_back(what.str());
            Move(at, Qt::NoButton, Qt::NoModifier);
        } else if (kind < 80) {
            static const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
                {Qt::Key_Z, Qt::ControlModifier}, {Qt::Key_Z, Qt::ControlModifier},
                {Qt::Key_Y, Qt::ControlModifier}, {Qt::Key_X, Qt::ControlModifier},
                {Qt::Key_C, Qt::ControlModifier}, {Qt::Key_V, Qt::ControlModifier},
                {Qt::Key_G, Qt::ControlModifier}, {Qt::Key_R, Qt::ControlModifier},
                {Qt::Key_M, Qt::ControlModifier}, {Qt::Key_Delete, Qt::NoModifier},
                {Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Escape, Qt::NoModifier},
                {Qt::Key_Left, Qt::NoModifier},   {Qt::Key_Down, Qt::NoModifier},
                {Qt::Key_Space, Qt::NoModifier},  {Qt::Key_1, Qt::ControlModifier},
            };
            const auto& [key, mods] = keys[Pick(int(std::size(keys)))];
            what << "key " << QKeySequence(int(mods) | int(key)).toString().toStdString();
            log_.push_back(what.str());
            if (mods & Qt::ControlModifier) QTest::keyPress(design_, Qt::Key_Control);
            QTest::keyClick(design_, key, mods);
            if (mods & Qt::ControlModifier) QTest::keyRelease(design_, Qt::Key_Control);
            if (mods == Qt::ControlModifier && (key == Qt::Key_Z || key == Qt::Key_Y)) CheckPicture();
        } else if (kind < 92) {
            std::vector<QAction*> actions;
            for (QAction* a : form_->findChildren<QAction*>()) {
                const std::string name = a->objectName().toStdString();
                // "new" on an unchanged board would leave the board under test at once.
                if (name.empty() || name == "close" || name == "recent" || name == "new" || !a->isEnabled())
                    continue;
                actions.push_back(a);
            }
            if (actions.empty()) return;
            QAction* action = actions[std::size_t(Pick(int(actions.size())))];
            const std::string name = action->objectName().toStdString();
            what << "menu " << name;
            log_.push_back(what.str());
            action->trigger();
            if (name == "undo" || name == "redo") CheckPicture();
            if (name == "write") CheckSaved();
        } else if (kind < 96) {
            app::TLayerWindow& panel = form_->LayerWindow();
            if (panel.RowCount() == 0) return;
            const int row = Pick(panel.RowCount());
            const int x = Pick(3) == 0 ? 5 : Pick(3) == 0 ? 30 : 100;
            what << "layer row " << row << " at x " << x;
            log_.push_back(what.str());
            QTest::mouseClick(panel.Row(row), Qt::LeftButton, {}, QPoint(x, 12));
        } else {
            log_.emplace_back("save");
            if (QAction* write = form_->findChild<QAction*>("write")) write->trigger();
            CheckSaved();
        }
        Settle();
    }

    // The window's picture equals a full redraw of the document as it stands.
    void CheckPicture() {
        Wait();
        ++pictures_;
        EXPECT_EQ(PixelsUnlikeAFreshRedraw(*form_->Context()), 0)
            << "pixels of the window's picture unlike a fresh redraw after " << log_.back();
    }

    // The file on disk reads back as the document it was saved from.
    void CheckSaved() {
        Wait();
        TVemoEventContext& context = *form_->Context();
        const std::string& name = context.Document().GetFileName();
        if (name.empty() || context.History().IsModified()) return;  // the save was cancelled
        std::string error;
        std::unique_ptr<TVemoDocument> back = ReadDocumentFile(name, error);
        ASSERT_NE(back, nullptr) << name << ": " << error;
        const std::string read = DocumentBytes(*back), held = StoredBytes(context.Document());
        ++saves_;
        std::size_t at = 0;
        while (at < read.size() && at < held.size() && read[at] == held[at]) ++at;
        EXPECT_TRUE(read == held) << name << " read back differs from the document at byte " << at << " of "
                                  << read.size() << " / " << held.size();
        if (read != held && std::getenv("ZELKO_RANDOM_DUMP")) {
            std::ofstream(std::string(std::getenv("ZELKO_RANDOM_DUMP")) + ".read", std::ios::binary) << read;
            std::ofstream(std::string(std::getenv("ZELKO_RANDOM_DUMP")) + ".held", std::ios::binary) << held;
        }
    }

    std::unique_ptr<app::TVemoForm> form_;
    QWidget* design_ = nullptr;
    std::mt19937 rng_;
    std::vector<std::string> log_;
    int pictures_ = 0, saves_ = 0;
};

TEST_F(RandomUseTest, DemoBoard) {
    std::string error;
    std::unique_ptr<TVemoDocument> demo =
        app::LoadInitialDocument(ZELKO_SOURCE_DIR "/examples/demo.vbf", error);
    ASSERT_NE(demo, nullptr) << error;
    Play(std::move(demo), std::uint32_t(EnvInt("ZELKO_RANDOM_SEED", 1)), EnvInt("ZELKO_RANDOM_EVENTS", 1500));
}

TEST_F(RandomUseTest, GeneratedBoard) {
    TBoardOptions options;
    options.objects = 2000;
    options.seed = 7;
    Play(GenerateBoard(options), std::uint32_t(EnvInt("ZELKO_RANDOM_SEED", 2)),
         EnvInt("ZELKO_RANDOM_EVENTS", 800));
}

// Delete of what a click selected on a big board, then Ctrl+Z: the board is
// as it was (but for the selection, which undo empties) and the window shows
// exactly what a fresh redraw shows, with no stale part of the picture.
TEST_F(GuiTest, UndoOfADeleteShowsExactlyTheBoardAsItWas) {
    TBoardOptions options;
    options.objects = 3000;
    auto form = Start(GenerateBoard(options));
    QWidget* design = form->Design();
    TVemoEventContext& context = *form->Context();
    const auto wait = [&] {
        for (int i = 0; i < 50 && (i == 0 || context.RedrawPending()); ++i) Settle();
    };
    for (int trial = 0; trial < 3; ++trial) {
        const QPoint at(design->width() / 2 + trial * 37 - 40, design->height() / 2 + trial * 23 - 20);
        QTest::mouseClick(design, Qt::LeftButton, {}, at);
        wait();
        const std::string before = StoredBytes(context.Document());
        const int objects = context.RootObject().GetChildCount();
        QTest::keyClick(design, Qt::Key_Delete);
        wait();
        ASSERT_LT(context.RootObject().GetChildCount(), objects)
            << "the click at " << at.x() << "," << at.y() << " selected nothing to delete";
        QTest::keyPress(design, Qt::Key_Control);
        QTest::keyClick(design, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyRelease(design, Qt::Key_Control);
        wait();
        EXPECT_EQ(context.RootObject().GetChildCount(), objects);
        EXPECT_TRUE(StoredBytes(context.Document()) == before) << "trial " << trial;
        EXPECT_EQ(PixelsUnlikeAFreshRedraw(context), 0) << "trial " << trial;
    }
}

}  // namespace
