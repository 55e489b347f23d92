#include "output/Exportvector.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>
#include <filesystem>
#include <vector>

#include "archive/Safefile.h"
#include "geom/Units.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "render/Qtgraphics.h"

namespace {

// Device units per document unit: 100 per millimetre, fine enough that no
// reader rounds an edge by more than 10 um.
constexpr double kDevicePerUnit = 10.0;
constexpr double kDeviceDpi = kDevicePerUnit * 254.0;

// The largest side either format is asked to hold: 100 m.
constexpr double kMaxSideUnits = 1.0e6;

// Texts as their outlines: an SVG reader would otherwise pick its own font.
class TOutlineTextGraphics : public TQtGraphics {
public:
    using TQtGraphics::TQtGraphics;
    void DrawText(const std::u16string&, const TVemoFont&, const Matrix&, const GraphicsPath& outline,
                  Argb colour) override {
        FillPath(outline, colour);
    }
};

void Paint(QPainter& painter, const TVemoDocument& document, const TBitmapExportOptions& options,
           const std::vector<int>& layers) {
    const Argb paper = ExportPaper(options);
    const RectF area = document.GetAreaRect();
    painter.fillRect(QRectF(0, 0, area.width * kDevicePerUnit, area.height * kDevicePerUnit),
                     QColor::fromRgba(paper));
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setWorldTransform(
        render::ToQTransform(ExportTransform(document, options.mirror, float(kDevicePerUnit))));
    TOutlineTextGraphics graphics(painter);
    PaintExportLayers(painter, graphics, document, options, layers);
}

}  // namespace

bool ExportVector(const TVemoDocument& document, const std::string& path, TVectorFormat format,
                  const TBitmapExportOptions& options, TVectorExportResult& result, std::string& error) {
    result = {};
    const double w = document.GetAreaWidth(), h = document.GetAreaHeight();
    if (!(w > 0.0 && h > 0.0) || !std::isfinite(w) || !std::isfinite(h)) {
        error = "the design area has no size";
        return false;
    }
    if (w > kMaxSideUnits || h > kMaxSideUnits) {
        error = "the design area is more than 100 m on a side";
        return false;
    }
    std::vector<int> layers;
    if (!ChooseExportLayers(document.GetLayerList(), options.layers, layers, error)) return false;

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QString title = QString::fromStdString(std::filesystem::path(path).filename().string());
    if (format == TVectorFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setResolution(int(kDeviceDpi));
        // The size in device units sets width and height in millimetres.
        const QSize size(int(std::lround(w * kDevicePerUnit)), int(std::lround(h * kDevicePerUnit)));
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(title);
        svg.setDescription(QStringLiteral("zelko artwork at true scale"));
        QPainter painter;
        if (!painter.begin(&svg)) {
            error = "cannot start an SVG picture";
            return false;
        }
        Paint(painter, document, options, layers);
        painter.end();
    } else {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("zelko"));
        pdf.setTitle(title);
        pdf.setResolution(int(kDeviceDpi));
        // Pages are whole points: round up, so that the area, drawn true to
        // scale from the top-left corner, is never cut off.
        const double kPointsPerUnit = 72.0 / 254.0;
        const QSize points(int(std::ceil(w * kPointsPerUnit - 1e-6)),
                           int(std::ceil(h * kPointsPerUnit - 1e-6)));
        const QPageSize page(points, QString(), QPageSize::ExactMatch);
        if (!pdf.setPageSize(page) || !pdf.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter)) {
            error = "a PDF page cannot be that size";
            return false;
        }
        QPainter painter;
        if (!painter.begin(&pdf)) {
            error = "cannot start a PDF page";
            return false;
        }
        Paint(painter, document, options, layers);
        painter.end();
    }
    buffer.close();
    if (!WriteFileSafely(path, std::string(bytes.constData(), std::size_t(bytes.size())), error))
        return false;
    result.widthMm = units::ToMm(w);
    result.heightMm = units::ToMm(h);
    result.bytes = std::uint64_t(bytes.size());
    return true;
}
