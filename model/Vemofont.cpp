#include "model/Vemofont.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>

#include <cmath>
#include <map>
#include <mutex>
#include <vector>

namespace {

// Glyphs are shaped at this pixel size and scaled down to the em size, so that
// small texts keep the full precision of the outlines.
constexpr double kReferenceSize = 1024.0;

struct Substitute {
    const char* name;
    const char* family;
};

// Families of Japanese Windows documents and the faces that stand in for them.
constexpr Substitute kSubstitutes[] = {
    {"MS UI Gothic", "IPAPGothic"},
    {"MS Gothic", "IPAGothic"},
    {"\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF",
     "IPAGothic"},  // ＭＳ ゴシック
    {"MS PGothic", "IPAPGothic"},
    {"\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF",
     "IPAPGothic"},  // ＭＳ Ｐゴシック
    {"MS Mincho", "IPAMincho"},
    {"\xEF\xBC\xAD\xEF\xBC\xB3 \xE6\x98\x8E\xE6\x9C\x9D", "IPAMincho"},  // ＭＳ 明朝
    {"MS PMincho", "IPAPMincho"},
    {"\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE6\x98\x8E\xE6\x9C\x9D", "IPAPMincho"},  // ＭＳ Ｐ明朝
    {"Meiryo", "IPAPGothic"},
    {"Meiryo UI", "IPAPGothic"},
};

bool HaveGui() {
    return QGuiApplication::instance() != nullptr;
}

bool Installed(const QString& family) {
    return HaveGui() && QFontDatabase::hasFamily(family);
}

const char* SubstituteFor(const std::string& family) {
    for (const Substitute& s : kSubstitutes)
        if (family == s.name) return s.family;
    return nullptr;
}

// The face used on this machine, "" when none fits.
QString Resolve(const std::string& family) {
    // Pictures are painted in bands on several threads, each asking for faces.
    static std::mutex lock;
    static std::map<std::string, QString> cache;
    const std::lock_guard<std::mutex> hold(lock);
    if (auto it = cache.find(family); it != cache.end()) return it->second;
    QString result;
    const QString name = QString::fromStdString(family);
    if (Installed(name)) {
        result = name;
    } else if (const char* sub = SubstituteFor(family)) {
        if (Installed(QString::fromLatin1(sub)))
            result = QString::fromLatin1(sub);
        else if (Installed(QStringLiteral("IPAPGothic")))
            result = QStringLiteral("IPAPGothic");  // a Mincho stand-in may be absent
    }
    if (HaveGui()) cache[family] = result;
    return result;
}

bool FamilyHas(const QString& family, int style) {
    if (!(style & (TVemoFont::Bold | TVemoFont::Italic))) return true;
    const QStringList styles = QFontDatabase::styles(family);
    for (const QString& s : styles) {
        const bool bold = s.contains(QLatin1String("Bold"), Qt::CaseInsensitive) ||
                          s.contains(QLatin1String("Black"), Qt::CaseInsensitive);
        const bool italic = s.contains(QLatin1String("Italic"), Qt::CaseInsensitive) ||
                            s.contains(QLatin1String("Oblique"), Qt::CaseInsensitive);
        if (bool(style & TVemoFont::Bold) == bold && bool(style & TVemoFont::Italic) == italic) return true;
    }
    return false;
}

void AppendPainterPath(const QPainterPath& qp, double scale, double dx, double dy, geom::GraphicsPath& out) {
    auto P = [&](double x, double y) {
        return geom::PointF(float((x + dx) * scale), float((y + dy) * scale));
    };
    const int n = qp.elementCount();
    bool open = false;
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = qp.elementAt(i);
        if (e.type == QPainterPath::MoveToElement) {
            if (open) out.CloseFigure();
            out.StartFigure();
            open = false;
            // The figure starts with its first drawn segment.
            if (i + 1 < n && qp.elementAt(i + 1).type != QPainterPath::MoveToElement) {
                const QPainterPath::Element next = qp.elementAt(i + 1);
                if (next.type == QPainterPath::LineToElement) {
                    out.AddLine(P(e.x, e.y), P(next.x, next.y));
                    ++i;
                } else if (next.type == QPainterPath::CurveToElement && i + 3 < n) {
                    out.AddBezier(P(e.x, e.y), P(next.x, next.y),
                                  P(qp.elementAt(i + 2).x, qp.elementAt(i + 2).y),
                                  P(qp.elementAt(i + 3).x, qp.elementAt(i + 3).y));
                    i += 3;
                }
                open = true;
            }
        } else if (e.type == QPainterPath::LineToElement && open) {
            const auto& pts = out.Points();
            out.AddLine(pts.back(), P(e.x, e.y));
        } else if (e.type == QPainterPath::CurveToElement && open && i + 2 < n) {
            const auto& pts = out.Points();
            out.AddBezier(pts.back(), P(e.x, e.y), P(qp.elementAt(i + 1).x, qp.elementAt(i + 1).y),
                          P(qp.elementAt(i + 2).x, qp.elementAt(i + 2).y));
            i += 2;
        }
    }
    if (open) out.CloseFigure();
}

}  // namespace

TVemoFont::TVemoFont() : family_(kDefaultFamily) {}

TVemoFont::TVemoFont(const std::string& family, float size, int style)
    : family_(family), style_(style), size_(size) {
    const QString resolved = Resolve(family_);
    if (!resolved.isEmpty() && !FamilyHas(resolved, style_)) style_ = 0;
}

bool TVemoFont::SetFamily(const std::string& family) {
    const QString resolved = Resolve(family);
    if (resolved.isEmpty()) return false;
    family_ = family;
    if (!FamilyHas(resolved, style_)) style_ = 0;
    return true;
}

std::string TVemoFont::ResolvedFamily() const {
    QString r = Resolve(family_);
    if (r.isEmpty()) r = Resolve(kDefaultFamily);
    return r.toStdString();
}

bool TVemoFont::IsKnownFamily(const std::string& family) {
    return !Resolve(family).isEmpty();
}

std::vector<std::string> TVemoFont::InstalledFamilies() {
    std::vector<std::string> out;
    if (!HaveGui()) return out;
    for (const QString& f : QFontDatabase::families()) out.push_back(f.toStdString());
    return out;
}

void TVemoFont::AddText(geom::GraphicsPath& out, const std::u16string& text) const {
    if (!HaveGui() || text.empty() || !(size_ > 0.0f) || !std::isfinite(size_)) return;
    QString str = QString::fromStdU16String(text);
    str.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    str.replace(QChar(u'\r'), QChar(u'\n'));

    QString family = QString::fromStdString(ResolvedFamily());
    QFont font(family);
    font.setPixelSize(int(kReferenceSize));
    font.setBold(style_ & Bold);
    font.setItalic(style_ & Italic);
    font.setUnderline(style_ & Underline);
    font.setStrikeOut(style_ & StrikeOut);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::NoSubpixelAntialias));
    font.setKerning(true);

    // One layout per line, each line placed under the previous one by the font's
    // line spacing; no wrapping.
    const double lineSpacing = QFontMetricsF(font).lineSpacing();
    std::vector<QGlyphRun> runs;
    double y = 0.0;
    for (const QString& lineText : str.split(QChar(u'\n'))) {
        if (!lineText.isEmpty()) {
            QTextLayout layout(lineText, font);
            layout.setCacheEnabled(false);
            layout.beginLayout();
            QTextLine line = layout.createLine();
            if (line.isValid()) line.setPosition(QPointF(0.0, y));
            layout.endLayout();
            for (const QGlyphRun& run : layout.glyphRuns()) runs.push_back(run);
        }
        y += lineSpacing;
    }

    const double scale = double(size_) / kReferenceSize;
    for (const QGlyphRun& run : runs) {
        const QRawFont raw = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
            const QPainterPath gp = raw.pathForGlyph(glyphs[i]);
            AppendPainterPath(gp, scale, positions[i].x(), positions[i].y(), out);
        }
        if ((run.underline() || run.strikeOut()) && !positions.isEmpty()) {
            // Lines under or through the run, as the font's metrics place them.
            const QRectF box = run.boundingRect();
            const double thick = std::max(1.0, raw.lineThickness());
            const double base = positions.front().y();
            auto addBar = [&](double top) {
                const geom::RectF r{float(box.left() * scale), float(top * scale), float(box.width() * scale),
                                    float(thick * scale)};
                out.AddRectangle(r);
            };
            if (run.underline()) addBar(base + raw.underlinePosition());
            if (run.strikeOut()) addBar(base - raw.xHeight() / 2.0 - thick / 2.0);
        }
    }
}
