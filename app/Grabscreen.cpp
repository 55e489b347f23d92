// zelko_grab OUT.png [X Y]: saves the whole screen of the display as a PNG,
// after moving the pointer to (X, Y) when given. Used by scripts/screenshot.sh.

#include <cstdio>
#include <cstdlib>

#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: zelko_grab OUT.png [X Y]\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "zelko_grab: no screen\n");
        return 1;
    }
    if (argc == 4) {
        QCursor::setPos(screen, std::atoi(argv[2]), std::atoi(argv[3]));
        QGuiApplication::processEvents();
        QThread::msleep(800);  // the editor answers the move and redraws
    }
    if (!screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "zelko_grab: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
