// One of two editor processes that exchange objects through the system
// clipboard (run by clipboard_peers.sh under a virtual X server):
//   Clipboardpeer copy BOARD DIR   opens the editor on BOARD, selects every
//                                  object with a rubber band drawn across the
//                                  window, chooses Edit > Copy, writes what it
//                                  copied to DIR, and stays until DIR/quit exists;
//   Clipboardpeer paste DIR        opens the editor on a new board, chooses
//                                  Edit > Paste, and checks what arrived against
//                                  what the other process wrote;
//   Clipboardpeer textpaste DIR    with nobody owning the clipboard, pastes
//                                  into the text window's box (Qt's own box
//                                  ends the program there), then pastes
//                                  zelko objects, a picture and text into it
//                                  and into the board.
// Exit code 0 when everything matched; the reason on stderr otherwise.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QMouseEvent>
#include <QTest>

#include "app/Editor.h"
#include "app/Mainform.h"
#include "app/Textform.h"
#include "app/Vemoclipboard.h"
#include "app/Vemoresource.h"
#include "model/Vemodocument.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "states/Vemoselectstate.h"

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& why) {
    std::fprintf(stderr, "Clipboardpeer: %s\n", why.c_str());
    return 1;
}

void Settle() {
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
}

std::unique_ptr<app::TVemoForm> OpenEditor(const TVemoResource& resources, const fs::path& dir,
                                           std::unique_ptr<TVemoDocument> doc) {
    auto form = std::make_unique<app::TVemoForm>(resources, (dir / "zelko.ini").string());
    form->Start(std::move(doc));
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get(), 10000) ||
        !QTest::qWaitFor([&] { return form->Context() != nullptr; }, 10000))
        return nullptr;
    form->activateWindow();
    Settle();
    return form;
}

// What a list of objects is, as text: the count, then each one's tag and bounds.
std::string Describe(const std::vector<TVemoObject*>& objects) {
    std::ostringstream out;
    out << objects.size() << "\n";
    for (const TVemoObject* o : objects) {
        RectF b;
        o->GetBounds(b);
        out << o->GetTag() << " " << b.x << " " << b.y << " " << b.width << " " << b.height << "\n";
    }
    return out.str();
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool Trigger(app::TVemoForm& form, const char* command) {
    QAction* action = form.findChild<QAction*>(command);
    if (!action) return false;
    action->trigger();
    Settle();
    return true;
}

int Copy(const TVemoResource& resources, const std::string& board, const fs::path& dir) {
    std::string error;
    std::unique_ptr<TVemoDocument> doc = app::LoadInitialDocument(board, error);
    if (!doc) return Fail("cannot open " + board + ": " + error);
    auto form = OpenEditor(resources, dir, std::move(doc));
    if (!form) return Fail("the editor window did not come up");
    // A rubber band from corner to corner of the design window.
    QWidget* design = form->Design();
    const QPoint from(2, 2), to(design->width() - 3, design->height() - 3);
    QTest::mousePress(design, Qt::LeftButton, {}, from);
    for (const QPoint at : {from + QPoint(20, 20), to}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), design->mapToGlobal(QPointF(at)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(design, &move);
    }
    QTest::mouseRelease(design, Qt::LeftButton, {}, to);
    Settle();
    const std::vector<TVemoObject*>& selected = form->Context()->Session().Selection();
    if (selected.empty()) return Fail("the rubber band selected nothing");
    if (!Trigger(*form, "copy")) return Fail("no Edit > Copy");
    WriteAll(dir / "expected.bin", WriteClipboardObjects(selected));
    WriteAll(dir / "expected.txt", Describe(selected));
    WriteAll(dir / "copied", "");
    std::printf("copied %zu objects\n", selected.size());
    std::fflush(stdout);
    // The clipboard's data lives in this process: serve it until told to go.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (!fs::exists(dir / "quit") && std::chrono::steady_clock::now() < give_up) QTest::qWait(50);
    return 0;
}

int Paste(const TVemoResource& resources, const fs::path& dir) {
    auto form = OpenEditor(resources, dir, std::make_unique<TVemoDocument>());
    if (!form) return Fail("the editor window did not come up");
    const std::optional<std::string> bytes = app::ClipboardObjects();
    if (!bytes) return Fail("the clipboard holds nothing of format CF_VEMO2.02_OBJ");
    if (*bytes != ReadAll(dir / "expected.bin"))
        return Fail("the clipboard's bytes differ from what the other process wrote (" +
                    std::to_string(bytes->size()) + " bytes)");
    const int layers = form->Context()->Document().GetLayerList().Count();
    if (!Trigger(*form, "paste")) return Fail("no Edit > Paste");
    const std::string got = Describe(form->Context()->Session().Selection());
    if (got != ReadAll(dir / "expected.txt"))
        return Fail("pasted objects differ:\n" + got + "expected:\n" + ReadAll(dir / "expected.txt"));
    if (form->Context()->RootObject().GetChildCount() != int(form->Context()->Session().Selection().size()))
        return Fail("the new board holds other objects than the pasted ones");
    std::printf("pasted %zu objects, %zu bytes, %d layers before and %d after\n",
                form->Context()->Session().Selection().size(), bytes->size(), layers,
                form->Context()->Document().GetLayerList().Count());
    return 0;
}

int TextPaste(const TVemoResource& resources, const fs::path& dir) {
    fs::create_directories(dir);
    if (QGuiApplication::clipboard()->ownsClipboard()) return Fail("this process owns the clipboard already");
    // The editor's own paste, with nothing, then text, a picture and a part
    // of nothing on the clipboard: no object arrives and nothing breaks.
    auto editor = OpenEditor(resources, dir, std::make_unique<TVemoDocument>());
    if (!editor) return Fail("the editor window did not come up");
    const auto pasteIntoBoard = [&](const char* what) {
        if (!Trigger(*editor, "paste")) return std::string("no Edit > Paste");
        const int objects = editor->Context()->RootObject().GetChildCount();
        return objects == 0 ? std::string()
                            : std::string(what) + " pasted " + std::to_string(objects) + " objects";
    };
    if (const std::string fault = pasteIntoBoard("an empty clipboard"); !fault.empty()) return Fail(fault);

    app::TTextForm form((dir / "zelko.ini").string());
    form.show();
    if (!QTest::qWaitForWindowExposed(&form, 10000)) return Fail("the text window did not come up");
    QPlainTextEdit* box = form.TextBox;
    box->setFocus();
    const auto paste = [&] {
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        Settle();
        return box->toPlainText().toStdString();
    };
    if (const std::string got = paste(); !got.empty()) return Fail("an empty clipboard pasted '" + got + "'");
    const auto offer = [](QMimeData* data) {
        QGuiApplication::clipboard()->setMimeData(data);
        Settle();
    };
    auto* objects = new QMimeData;
    objects->setData("CF_VEMO2.02_OBJ", QByteArray::fromStdString(WriteClipboardObjects({})));
    offer(objects);
    if (const std::string got = paste(); !got.empty()) return Fail("zelko objects pasted as '" + got + "'");
    if (const std::string fault = pasteIntoBoard("a part of nothing"); !fault.empty()) return Fail(fault);
    auto* picture = new QMimeData;
    picture->setImageData(QImage(8, 8, QImage::Format_RGB32));
    offer(picture);
    if (const std::string got = paste(); !got.empty()) return Fail("a picture pasted as '" + got + "'");
    if (const std::string fault = pasteIntoBoard("a picture"); !fault.empty()) return Fail(fault);
    auto* rich = new QMimeData;
    rich->setHtml("<b>R1</b>");
    rich->setText("R1");
    offer(rich);
    if (const std::string got = paste(); got != "R1") return Fail("text pasted as '" + got + "', not 'R1'");
    if (const std::string fault = pasteIntoBoard("text"); !fault.empty()) return Fail(fault);
    std::printf("pasted nothing, objects, a picture and text into the text box and the board safely\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    TVemoResource resources;
    resources.Load(ZELKO_BITMAP_DIR);
    if (mode == "copy" && argc == 4) return Copy(resources, argv[2], argv[3]);
    if (mode == "paste" && argc == 3) return Paste(resources, argv[2]);
    if (mode == "textpaste" && argc == 3) return TextPaste(resources, argv[2]);
    return Fail("usage: Clipboardpeer copy BOARD DIR | paste DIR | textpaste DIR");
}
