#include "output/Exportemf.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "archive/Safefile.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemographics.h"
#include "model/Vemolayerlist.h"
#include "model/Vemoobject.h"
#include "model/Vemopart.h"
#include "output/Exportbitmap.h"

using namespace std::string_literals;

namespace {

// Logical units per document unit, and reference-device pixels per millimetre.
constexpr double kUnitsPerDocUnit = 10.0;
constexpr int kPixelsPerMm = 100;
// The reference device: a sheet of a square metre.
constexpr int kDeviceMm = 1000;

// Record types.
enum : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_MOVETOEX = 27,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_SETMITERLIMIT = 58,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEPATH = 64,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEPEN = 95,
};
constexpr std::uint32_t kNullBrush = 0x80000005u, kNullPen = 0x80000008u;
constexpr std::uint32_t kBrushHandle = 1, kPenHandle = 2, kHandleCount = 3;
// Geometric pen styles.
constexpr std::uint32_t PS_GEOMETRIC = 0x00010000u, PS_USERSTYLE = 7, PS_ENDCAP_ROUND = 0,
                        PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200, PS_JOIN_ROUND = 0,
                        PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000;

struct Box {
    std::int64_t l = std::numeric_limits<std::int64_t>::max(), t = l;
    std::int64_t r = std::numeric_limits<std::int64_t>::min(), b = r;
    bool Empty() const { return l > r; }
    void Add(std::int64_t x, std::int64_t y) {
        l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
    }
    void Add(const Box& o) {
        if (!o.Empty()) Add(o.l, o.t), Add(o.r, o.b);
    }
    Box Grown(std::int64_t d) const { return Empty() ? *this : Box{l - d, t - d, r + d, b + d}; }
};

class TEmfRecorder {
public:
    void U32(std::uint32_t v) { Bytes(&v, 4); }
    void I32(std::int32_t v) { Bytes(&v, 4); }
    void U16(std::uint16_t v) { Bytes(&v, 2); }
    void Bytes(const void* p, std::size_t n) {
        const auto* c = static_cast<const char*>(p);
        data_.insert(data_.end(), c, c + n);
    }
    void Rect(const Box& b) {
        if (b.Empty()) {
            I32(0), I32(0), I32(-1), I32(-1);
        } else {
            I32(Clamp(b.l)), I32(Clamp(b.t)), I32(Clamp(b.r)), I32(Clamp(b.b));
        }
    }
    // Starts a record; End fills in its size.
    void Begin(std::uint32_t type) {
        start_ = data_.size();
        U32(type);
        U32(0);
        ++records_;
    }
    void End() {
        while ((data_.size() - start_) % 4 != 0) data_.push_back('\0');
        const std::uint32_t size = std::uint32_t(data_.size() - start_);
        std::memcpy(&data_[start_ + 4], &size, 4);
    }
    void Simple(std::uint32_t type, std::initializer_list<std::uint32_t> words) {
        Begin(type);
        for (std::uint32_t w : words) U32(w);
        End();
    }
    static std::int32_t Clamp(std::int64_t v) {
        return std::int32_t(std::clamp<std::int64_t>(v, -(std::int64_t(1) << 30), std::int64_t(1) << 30));
    }

    std::string data_;
    std::size_t start_ = 0;
    int records_ = 0;
};

// Records the objects' drawing calls: every shape as a path, filled with a
// solid brush or stroked with a geometric pen.
class TEmfGraphics : public TVemoGraphics {
public:
    TEmfGraphics(TEmfRecorder& out, bool opaque, bool monochrome)
        : out_(out), opaque_(opaque), monochrome_(monochrome) {}

    void FillPath(const GraphicsPath& path, Argb colour) override {
        if (path.IsEmpty() || Alpha(colour) == 0) return;
        UseBrush(colour);
        UsePen(std::nullopt);
        SetFillMode(path.GetFillMode() == geom::FillMode::Winding ? 2 : 1);
        const Box box = Figures(path);
        out_.Begin(EMR_FILLPATH);
        out_.Rect(box);
        out_.End();
        drawn_.Add(box);
    }
    void StrokePath(const GraphicsPath& path, const Pen& pen) override {
        if (path.IsEmpty() || Alpha(pen.colour) == 0) return;
        UseBrush(std::nullopt);
        UsePen(pen);
        const Box box = Figures(path).Grown(std::llround(pen.width * kUnitsPerDocUnit * 0.5 + 1.0));
        out_.Begin(EMR_STROKEPATH);
        out_.Rect(box);
        out_.End();
        drawn_.Add(box);
    }
    void FillRect(RectF rect, Argb colour) override {
        GraphicsPath path;
        path.AddRectangle(rect);
        FillPath(path, colour);
    }
    void StrokeRect(RectF rect, const Pen& pen) override {
        GraphicsPath path;
        path.AddRectangle(rect);
        StrokePath(path, pen);
    }
    void FillEllipse(RectF rect, Argb colour) override {
        GraphicsPath path;
        path.AddEllipse(rect);
        FillPath(path, colour);
    }
    void StrokeEllipse(RectF rect, const Pen& pen) override {
        GraphicsPath path;
        path.AddEllipse(rect);
        StrokePath(path, pen);
    }
    void DrawLine(PointF a, PointF b, const Pen& pen) override {
        GraphicsPath path;
        path.AddLine(a, b);
        StrokePath(path, pen);
    }

    void Image(const QImage& image, RectF where) {
        if (image.isNull()) return;
        const QImage bits = image.convertToFormat(QImage::Format_RGB32).mirrored();  // DIBs run bottom-up
        const Box box{L(where.x), L(where.y), L(where.x + where.width) - 1, L(where.y + where.height) - 1};
        const std::uint32_t headerSize = 40, offBmi = 80, cbBits = std::uint32_t(bits.sizeInBytes());
        out_.Begin(EMR_STRETCHDIBITS);
        out_.Rect(box);
        out_.I32(std::int32_t(box.l)), out_.I32(std::int32_t(box.t));               // destination
        out_.I32(0), out_.I32(0), out_.I32(bits.width()), out_.I32(bits.height());  // source
        out_.U32(offBmi), out_.U32(headerSize), out_.U32(offBmi + headerSize), out_.U32(cbBits);
        out_.U32(0);            // DIB_RGB_COLORS
        out_.U32(0x00CC0020u);  // SRCCOPY
        out_.I32(std::int32_t(box.r - box.l + 1)), out_.I32(std::int32_t(box.b - box.t + 1));
        // BITMAPINFOHEADER, 32 bits per pixel, no compression.
        out_.U32(headerSize), out_.I32(bits.width()), out_.I32(bits.height());
        out_.U16(1), out_.U16(32);
        out_.U32(0), out_.U32(cbBits), out_.I32(0), out_.I32(0), out_.U32(0), out_.U32(0);
        out_.Bytes(bits.constBits(), cbBits);
        out_.End();
        drawn_.Add(box);
    }

    const Box& Drawn() const { return drawn_; }

private:
    static std::uint32_t Alpha(Argb c) { return c >> 24; }
    static std::int64_t L(double v) { return std::llround(v * kUnitsPerDocUnit); }

    // The colour as plain EMF can show it: no transparency.
    std::uint32_t ColorRef(Argb c) const {
        std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        const std::uint32_t a = Alpha(c);
        if (!opaque_ && !monochrome_ && a < 255) {
            // Over white paper, as the picture looks on screen.
            r = (r * a + 255 * (255 - a) + 127) / 255;
            g = (g * a + 255 * (255 - a) + 127) / 255;
            b = (b * a + 255 * (255 - a) + 127) / 255;
        }
        return r | (g << 8) | (b << 16);
    }

    void UseBrush(std::optional<Argb> colour) {
        const std::optional<std::uint32_t> want = colour ? std::optional(ColorRef(*colour)) : std::nullopt;
        if (brushSelected_ && want == brush_) return;
        if (want) {
            if (brushMade_)
                out_.Simple(EMR_SELECTOBJECT, {kNullBrush}), out_.Simple(EMR_DELETEOBJECT, {kBrushHandle});
            out_.Simple(EMR_CREATEBRUSHINDIRECT, {kBrushHandle, 0 /*BS_SOLID*/, *want, 0});
            out_.Simple(EMR_SELECTOBJECT, {kBrushHandle});
            brushMade_ = true;
        } else {
            out_.Simple(EMR_SELECTOBJECT, {kNullBrush});
        }
        brush_ = want;
        brushSelected_ = true;
    }

    void UsePen(const std::optional<Pen>& pen) {
        if (penSelected_ && pen == pen_) return;
        if (pen) {
            if (penMade_)
                out_.Simple(EMR_SELECTOBJECT, {kNullPen}), out_.Simple(EMR_DELETEOBJECT, {kPenHandle});
            std::uint32_t style = PS_GEOMETRIC;
            style |= pen->startCap == geom::CapFlat     ? PS_ENDCAP_FLAT
                     : pen->startCap == geom::CapSquare ? PS_ENDCAP_SQUARE
                                                        : PS_ENDCAP_ROUND;
            style |= pen->join == geom::JoinBevel                                          ? PS_JOIN_BEVEL
                     : pen->join == geom::JoinMiter || pen->join == geom::JoinMiterClipped ? PS_JOIN_MITER
                                                                                           : PS_JOIN_ROUND;
            const double width = std::max(1.0, double(pen->width) * kUnitsPerDocUnit);
            std::vector<std::uint32_t> dashes;
            for (float d : pen->EffectiveDashPattern())
                dashes.push_back(std::uint32_t(std::max(1.0, std::round(d * width))));
            if (!dashes.empty()) style |= PS_USERSTYLE;
            out_.Begin(EMR_EXTCREATEPEN);
            out_.U32(kPenHandle);
            out_.U32(0), out_.U32(0), out_.U32(0), out_.U32(0);  // no pattern bitmap
            out_.U32(style);
            out_.U32(std::uint32_t(std::lround(width)));
            out_.U32(0 /*BS_SOLID*/), out_.U32(ColorRef(pen->colour)), out_.U32(0);
            out_.U32(std::uint32_t(dashes.size()));
            for (std::uint32_t d : dashes) out_.U32(d);
            out_.End();
            out_.Simple(EMR_SELECTOBJECT, {kPenHandle});
            if (style & PS_JOIN_MITER) {
                float limit = pen->miterLimit;
                std::uint32_t bits = 0;
                std::memcpy(&bits, &limit, 4);
                out_.Simple(EMR_SETMITERLIMIT, {bits});
            }
            penMade_ = true;
        } else {
            out_.Simple(EMR_SELECTOBJECT, {kNullPen});
        }
        pen_ = pen;
        penSelected_ = true;
    }

    void SetFillMode(std::uint32_t mode) {
        if (mode == fillMode_) return;
        out_.Simple(EMR_SETPOLYFILLMODE, {mode});
        fillMode_ = mode;
    }

    // The path's figures between BEGINPATH and ENDPATH; the box of their points.
    Box Figures(const GraphicsPath& path) {
        Box box;
        const auto& points = path.Points();
        const auto& types = path.Types();
        out_.Simple(EMR_BEGINPATH, {});
        std::size_t i = 0;
        while (i < points.size()) {
            const std::uint8_t kind = types[i] & geom::PointTypeMask;
            if (kind == geom::PointStart) {
                out_.Begin(EMR_MOVETOEX);
                out_.I32(TEmfRecorder::Clamp(L(points[i].x))), out_.I32(TEmfRecorder::Clamp(L(points[i].y)));
                out_.End();
                box.Add(L(points[i].x), L(points[i].y));
                const bool closes = types[i] & geom::PointCloseMark;
                ++i;
                if (closes) out_.Simple(EMR_CLOSEFIGURE, {});
                continue;
            }
            // A run of segments of one kind, up to the close mark or a change of kind.
            std::size_t j = i;
            bool closes = false;
            while (j < points.size() && (types[j] & geom::PointTypeMask) == kind) {
                closes = types[j] & geom::PointCloseMark;
                ++j;
                if (closes) break;
            }
            if (kind == geom::PointBezier) j = i + (j - i) / 3 * 3;  // whole segments only
            if (j == i) {
                ++i;
                continue;
            }
            Box run;
            for (std::size_t k = i; k < j; ++k) run.Add(L(points[k].x), L(points[k].y));
            out_.Begin(kind == geom::PointBezier ? EMR_POLYBEZIERTO : EMR_POLYLINETO);
            out_.Rect(run);
            out_.U32(std::uint32_t(j - i));
            for (std::size_t k = i; k < j; ++k)
                out_.I32(TEmfRecorder::Clamp(L(points[k].x))), out_.I32(TEmfRecorder::Clamp(L(points[k].y)));
            out_.End();
            box.Add(run);
            if (closes && (types[j - 1] & geom::PointCloseMark)) out_.Simple(EMR_CLOSEFIGURE, {});
            i = j;
        }
        out_.Simple(EMR_ENDPATH, {});
        return box;
    }

    TEmfRecorder& out_;
    bool opaque_;
    bool monochrome_;
    bool brushMade_ = false, penMade_ = false;
    bool brushSelected_ = false, penSelected_ = false;
    std::optional<std::uint32_t> brush_;
    std::optional<Pen> pen_;
    std::uint32_t fillMode_ = 0;
    Box drawn_;
};

void Header(TEmfRecorder& out, const Box& drawn) {
    // Description: program and picture, each ended by a zero, and one more zero.
    const std::u16string description = u"zelko\0board\0"s;
    out.Begin(EMR_HEADER);
    out.Rect(drawn);       // bounds in device pixels
    out.Rect(drawn);       // frame in 0.01 mm: one device pixel is 0.01 mm
    out.U32(0x464D4520u);  // " EMF"
    out.U32(0x00010000u);
    out.U32(0);  // file size, set at the end
    out.U32(0);  // record count, set at the end
    out.U16(kHandleCount);
    out.U16(0);
    out.U32(std::uint32_t(description.size() + 1));
    out.U32(108);  // the description follows this header
    out.U32(0);    // no palette
    out.I32(kDeviceMm * kPixelsPerMm), out.I32(kDeviceMm * kPixelsPerMm);  // device in pixels
    out.I32(kDeviceMm), out.I32(kDeviceMm);                                // and in millimetres
    out.U32(0), out.U32(0), out.U32(0);                                    // no pixel format, no OpenGL
    out.I32(kDeviceMm * 1000), out.I32(kDeviceMm * 1000);                  // in micrometres
    out.Bytes(description.data(), description.size() * 2);
    out.U16(0);
    out.End();
}

}  // namespace

bool EmfBytes(const TVemoDocument& document, const TEmfExportOptions& options, std::string& bytes,
              TEmfExportResult& result, std::string& error) {
    result = {};
    std::vector<int> layers;
    if (!ChooseExportLayers(document.GetLayerList(), options.layers, layers, error)) return false;

    TEmfRecorder body;
    body.Simple(EMR_SETMAPMODE, {1});  // MM_TEXT: one logical unit is one device pixel
    body.Simple(EMR_SETBKMODE, {1});   // TRANSPARENT
    TEmfGraphics graphics(body, options.opaque, options.monochrome);
    const TVemoPart& root = document.GetRoot();
    if (options.paper) graphics.FillRect(document.GetAreaRect(), *options.paper | 0xFF000000u);
    if (!options.monochrome && options.background && !options.background->isNull() &&
        document.TestViewFlags(TVemoDocumentInfo::ViewShowBackground))
        graphics.Image(*options.background, document.GetAreaRect());
    std::vector<const TVemoObject*> chosen;
    if (options.selectedOnly)
        ForEachObject(root, true, [&](const TVemoObject& object) {
            if (&object != &root && object.IsSelected()) chosen.push_back(&object);
        });
    for (int layer : layers) {
        const auto draw = [&](const TVemoObject& object) {
            options.monochrome ? object.DrawMask(&graphics, layer) : object.DrawFill(&graphics, layer);
        };
        if (options.selectedOnly) {
            for (const TVemoObject* object : chosen) draw(*object);
        } else {
            draw(root);
        }
    }

    TEmfRecorder out;
    Header(out, graphics.Drawn());
    out.Bytes(body.data_.data(), body.data_.size());
    out.records_ += body.records_;
    out.Begin(EMR_EOF);
    out.U32(0), out.U32(16), out.U32(20);  // no palette; the record's own size last
    out.End();
    const std::uint32_t size = std::uint32_t(out.data_.size()), records = std::uint32_t(out.records_);
    std::memcpy(&out.data_[48], &size, 4);
    std::memcpy(&out.data_[52], &records, 4);
    bytes = std::move(out.data_);
    result.bytes = bytes.size();
    result.records = int(records);
    result.empty = graphics.Drawn().Empty();
    return true;
}

bool ExportEmf(const TVemoDocument& document, const std::string& path, const TEmfExportOptions& options,
               TEmfExportResult& result, std::string& error) {
    std::string bytes;
    if (!EmfBytes(document, options, bytes, result, error)) return false;
    return WriteFileSafely(path, bytes, error);
}
