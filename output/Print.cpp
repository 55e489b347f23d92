#include "output/Print.h"

#include <QImage>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <cmath>

#include "geom/Units.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "output/Exportbitmap.h"
#include "render/Qtgraphics.h"

namespace {

constexpr double kMmPerPoint = 25.4 / 72.0;

TBitmapExportOptions AsExport(const TPrintOptions& options) {
    TBitmapExportOptions o;
    o.monochrome = options.monochrome;
    o.mirror = options.mirror;
    o.negative = options.negative && options.monochrome;
    o.antialias = options.antialias;
    o.layers = options.layers;
    return o;
}

}  // namespace

geom::Matrix PrintTransform(const TVemoDocument& document, double printableWidthMm, bool mirror,
                            double devicePerUnit) {
    const RectF area = document.GetAreaRect();
    const float k = float(devicePerUnit);
    geom::Matrix transform;
    if (mirror) {
        // The area's left edge goes to the right edge of the printable width.
        transform.Translate(-(area.x + float(units::FromMm(printableWidthMm))), -area.y);
        transform.Scale(-k, k);
    } else {
        transform.Translate(-area.x, -area.y);
        transform.Scale(k, k);
    }
    return transform;
}

bool PrintPage(const TVemoDocument& document, QPagedPaintDevice& device, const TPrintOptions& options,
               std::string& error) {
    // The page is painted from the printable area's corner in whole points
    // (how the PDF engine under every printer places it); measure from there.
    const QRect points = device.pageLayout().paintRectPoints();
    const QRectF printable(points.x() * kMmPerPoint, points.y() * kMmPerPoint, points.width() * kMmPerPoint,
                           points.height() * kMmPerPoint);
    if (!(printable.width() > 0.0 && printable.height() > 0.0)) {
        error = "the printer has no printable area";
        return false;
    }
    std::vector<int> layers;
    if (!ChooseExportLayers(document.GetLayerList(), options.layers, layers, error)) return false;
    const TBitmapExportOptions exportOptions = AsExport(options);
    const Argb paper = ExportPaper(exportOptions);  // sets a film's ink and paper

    QPainter painter;
    if (!painter.begin(&device)) {
        error = "the printer could not start the page";
        return false;
    }
    const double dpi = device.logicalDpiX();
    painter.setRenderHint(QPainter::Antialiasing, options.antialias);
    if (exportOptions.negative) {
        // A negative film is a black page; the objects are drawn white on it.
        const double mmToDevice = dpi / 25.4;
        painter.fillRect(QRectF(0, 0, printable.width() * mmToDevice, printable.height() * mmToDevice),
                         QColor::fromRgba(paper));
    }
    painter.setWorldTransform(
        render::ToQTransform(PrintTransform(document, printable.width(), options.mirror, dpi / 254.0)));
    TQtGraphics graphics(painter);
    PaintExportLayers(painter, graphics, document, exportOptions, layers);
    if (!painter.end()) {
        error = "the page could not be finished";
        return false;
    }
    return true;
}

bool RenderPrintPreview(const TVemoDocument& document, double printableWidthMm, double printableHeightMm,
                        const TPrintOptions& options, QImage& picture, std::string& error) {
    const double w = picture.width(), h = picture.height();
    const double pageW = units::FromMm(printableWidthMm), pageH = units::FromMm(printableHeightMm);
    if (!(pageW > 0.0 && pageH > 0.0) || !std::isfinite(pageW) || !std::isfinite(pageH)) {
        picture.fill(Qt::white);
        error = "no printer: there is no page to show";
        return false;
    }
    if (picture.isNull()) return true;
    std::vector<int> layers;
    if (!ChooseExportLayers(document.GetLayerList(), options.layers, layers, error)) return false;
    const TBitmapExportOptions exportOptions = AsExport(options);
    const Argb paper = ExportPaper(exportOptions);

    // The page fills 80 % of the picture along its longer side, centred.
    const RectF area = document.GetAreaRect();
    const double s = pageH < pageW ? 0.8 * w / pageW : 0.8 * h / pageH;
    geom::Matrix view;
    view.Translate(float((w / s - pageW) * 0.5 - area.x), float((h / s - pageH) * 0.5 - area.y));
    if (options.mirror) {
        view.Scale(float(-s), float(s));
        view.Translate(float(w), 0);
    } else {
        view.Scale(float(s), float(s));
    }

    picture.fill(options.monochrome ? QColor::fromRgba(paper) : QColor(Qt::white));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setWorldTransform(render::ToQTransform(view));
    TQtGraphics graphics(painter);
    PaintExportLayers(painter, graphics, document, exportOptions, layers);
    // The page's frame, one pixel wide whatever the scale.
    const QRectF page = painter.worldTransform().mapRect(QRectF(area.x, area.y, pageW, pageH));
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor::fromRgba(DrawStyle().GetFramePen().colour), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(page.adjusted(0, 0, -1, -1));
    return true;
}
