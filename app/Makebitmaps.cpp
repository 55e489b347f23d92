// Build step: turns the button pictures drawn as SVG into the Bitmap/*.bmp
// files the program loads, at 1x ("Name.bmp") and 2x ("Name@2x.bmp"). A BMP
// has no alpha, so the background takes a key colour, read back from the
// bottom-left pixel as transparent; antialiased edges are blended over a
// light button face, which keeps them smooth on light themes.
//
// Usage: zelko_make_bitmaps SVG_FOLDER OUT_FOLDER

#include <cstdio>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

constexpr QRgb kKey = 0xFFFF00FF;
constexpr QRgb kFace = 0xFFEFEFEF;

QImage Render(QSvgRenderer& svg, int scale) {
    const QSize size = svg.defaultSize() * scale;
    QImage drawn(size, QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    {
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
    }
    QImage out(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QRgb p = drawn.pixel(x, y);
            const int a = qAlpha(p);
            if (a == 0) {
                out.setPixel(x, y, kKey);
                continue;
            }
            const auto mix = [a](int c, int face) { return (c * a + face * (255 - a)) / 255; };
            QRgb q =
                qRgb(mix(qRed(p), qRed(kFace)), mix(qGreen(p), qGreen(kFace)), mix(qBlue(p), qBlue(kFace)));
            // A drawn pixel must never read as the key.
            if ((q & 0xFFFFFF) == (kKey & 0xFFFFFF)) q = qRgb(254, 0, 255);
            out.setPixel(x, y, q);
        }
    }
    // The bottom-left pixel names the transparent colour: keep it the key.
    out.setPixel(0, size.height() - 1, kKey);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelko_make_bitmaps SVG_FOLDER OUT_FOLDER\n");
        return 2;
    }
    const QDir in(QString::fromLocal8Bit(argv[1]));
    QDir out(QString::fromLocal8Bit(argv[2]));
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "zelko_make_bitmaps: cannot create %s\n", argv[2]);
        return 1;
    }
    int made = 0;
    for (const QString& name : in.entryList({"*.svg"}, QDir::Files, QDir::Name)) {
        QSvgRenderer svg(in.filePath(name));
        if (!svg.isValid()) {
            std::fprintf(stderr, "zelko_make_bitmaps: %s is not a readable SVG\n", qPrintable(name));
            return 1;
        }
        const QString base = name.chopped(4);
        for (int scale : {1, 2}) {
            const QString file = out.filePath(base + (scale == 1 ? ".bmp" : "@2x.bmp"));
            if (!Render(svg, scale).save(file, "BMP")) {
                std::fprintf(stderr, "zelko_make_bitmaps: cannot write %s\n", qPrintable(file));
                return 1;
            }
            ++made;
        }
    }
    return made > 0 ? 0 : 1;
}
