#include "output/Exportbitmap.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>

#include "archive/Safefile.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "render/Dibwrap.h"
#include "render/Qtgraphics.h"

namespace {

// Inches per document unit (0.1 mm), as the pixel size of the image is computed.
constexpr double kInchPerUnit = 0.003937007874015748;

constexpr Argb kWhite = 0xFFFFFFFFu;
constexpr Argb kBlack = 0xFF000000u;

// trunc of a non-negative size, held where the caller can still compare it
// against the limit however large the request.
std::int64_t TruncatedSize(double v) {
    if (!std::isfinite(v)) return v > 0 ? std::int64_t(1) << 52 : 0;
    return std::int64_t(
        std::clamp(std::trunc(v), -double(std::int64_t(1) << 52), double(std::int64_t(1) << 52)));
}

bool EndsWithPng(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return tail == ".png";
}

}  // namespace

bool ChooseExportLayers(const TVemoLayerList& layers, const std::vector<std::string>& names,
                        std::vector<int>& out, std::string& error) {
    out.clear();
    if (names.empty()) {
        for (int i = 0; i < layers.Count(); ++i)
            if (layers.At(i)->IsOutput()) out.push_back(i);
    } else {
        for (const std::string& name : names) {
            const TVemoLayerPtr layer = layers.Find(name);
            if (!layer) {
                error = "the document has no layer named \"" + name + "\"";
                return false;
            }
            out.push_back(layer->GetIndex());
        }
    }
    std::sort(out.begin(), out.end(), std::greater<int>());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return true;
}

Argb ExportPaper(const TBitmapExportOptions& options) {
    if (!options.monochrome) return kWhite;
    TDrawStyle& style = DrawStyle();
    style.SetColour(dcMaskInk, options.negative ? kWhite : kBlack);
    style.SetColour(dcMaskPaper, options.negative ? kBlack : kWhite);
    return style.GetColour(dcMaskPaper);
}

Matrix ExportTransform(const TVemoDocument& document, bool mirror, float k) {
    const RectF area = document.GetAreaRect();
    Matrix transform;
    if (mirror) {
        transform.Translate(-(area.x + area.width), -area.y);
        transform.Scale(-k, k);
    } else {
        transform.Translate(-area.x, -area.y);
        transform.Scale(k, k);
    }
    return transform;
}

void PaintExportLayers(QPainter& painter, TVemoGraphics& graphics, const TVemoDocument& document,
                       const TBitmapExportOptions& options, const std::vector<int>& layerIndices) {
    const TVemoPart& root = document.GetRoot();
    const TVemoLayerList& layers = document.GetLayerList();
    const auto tell = [&](std::size_t n) {
        if (options.progress)
            options.progress(int(n), int(layerIndices.size()), layers.At(layerIndices[n])->GetName());
    };
    if (options.monochrome) {
        for (std::size_t n = 0; n < layerIndices.size(); ++n) {
            tell(n);
            root.DrawMask(&graphics, layerIndices[n]);
        }
        return;
    }
    const RectF area = document.GetAreaRect();
    if (options.background && !options.background->isNull() &&
        document.TestViewFlags(TVemoDocumentInfo::ViewShowBackground))
        painter.drawImage(QRectF(area.x, area.y, area.width, area.height), *options.background);
    for (std::size_t n = 0; n < layerIndices.size(); ++n) {
        tell(n);
        root.DrawFill(&graphics, layerIndices[n]);
    }
}

void BitmapExportSize(double areaWidth, double areaHeight, double ppi, std::int64_t& width,
                      std::int64_t& height) {
    width = TruncatedSize((areaWidth * ppi) * kInchPerUnit);
    height = TruncatedSize((areaHeight * ppi) * kInchPerUnit);
}

int LargestBitmapResolution(double areaWidth, double areaHeight) {
    if (!(areaWidth > 0.0) || !(areaHeight > 0.0)) return 0;
    const double ww = areaWidth * kInchPerUnit, hh = areaHeight * kInchPerUnit;  // inches
    double r = std::sqrt(double(kMaxBitmapPixels) / ww / hh);
    r = std::min({r, double(TDIBitmap::kMaxSide) / ww, double(TDIBitmap::kMaxSide) / hh, 1e9});
    // Sizes are truncated, so the bound is only near the answer: look from a
    // little above it downwards.
    for (int ppi = int(std::floor(r)) + 2; ppi > 0; --ppi) {
        std::int64_t w = 0, h = 0;
        BitmapExportSize(areaWidth, areaHeight, ppi, w, h);
        if (w <= TDIBitmap::kMaxSide && h <= TDIBitmap::kMaxSide && w * h <= kMaxBitmapPixels) return ppi;
    }
    return 0;
}

bool RenderBitmapExport(const TVemoDocument& document, const TBitmapExportOptions& options, TDIBitmap& bitmap,
                        std::string& error) {
    const double r = options.ppi;
    if (!std::isfinite(r) || !(r > 0.0)) {
        error = "the resolution must be a positive number of pixels per inch";
        return false;
    }
    std::int64_t w = 0, h = 0;
    BitmapExportSize(document.GetAreaWidth(), document.GetAreaHeight(), r, w, h);
    const std::string size = std::to_string(w) + " x " + std::to_string(h) + " pixels";
    if (w <= 0 || h <= 0) {
        error = "the image would be empty (" + size + "): the design area is too small for this resolution";
        return false;
    }
    const auto fits = [&] {
        const int best = LargestBitmapResolution(document.GetAreaWidth(), document.GetAreaHeight());
        return best > 0 ? ": at most " + std::to_string(best) + " ppi fits"
                        : ": not even 1 ppi fits this design area";
    };
    if (w > TDIBitmap::kMaxSide || h > TDIBitmap::kMaxSide) {
        error = "the image would be " + size + ", more than " + std::to_string(TDIBitmap::kMaxSide) +
                " pixels on a side" + fits();
        return false;
    }
    if (w * h > kMaxBitmapPixels) {
        error = "the image would be " + size + " (" + std::to_string(w * h / 1000000) +
                " million pixels), more than the " + std::to_string(kMaxBitmapPixels / 1000000) +
                " million an image may hold" + fits();
        return false;
    }
    std::vector<int> layerIndices;
    if (!ChooseExportLayers(document.GetLayerList(), options.layers, layerIndices, error)) return false;
    if (!bitmap.Resize(int(w), int(h))) {
        error = "not enough memory for an image of " + size;
        return false;
    }

    bitmap.Fill(ExportPaper(options));

    const Matrix transform = ExportTransform(document, options.mirror, float(r * kInchPerUnit));
    render::PaintSerially([&] {
        QPainter painter(bitmap.PaintDevice());
        painter.setRenderHint(QPainter::Antialiasing, options.antialias);
        painter.setRenderHint(QPainter::TextAntialiasing, options.antialias);
        painter.setWorldTransform(render::ToQTransform(transform));
        TQtGraphics graphics(painter);
        PaintExportLayers(painter, graphics, document, options, layerIndices);
    });
    return true;
}

bool ExportBitmap(const TVemoDocument& document, const std::string& path, const TBitmapExportOptions& options,
                  TBitmapExportResult& result, std::string& error) {
    result = {};
    TDIBitmap bitmap(1, 1);
    if (!RenderBitmapExport(document, options, bitmap, error)) return false;

    // Resolution in the file's own unit, rounded as other programs read it back.
    const int pixelsPerMetre = int(std::lround(options.ppi / 0.0254));
    const bool png = options.format == TBitmapExportOptions::Format::Png ||
                     (options.format == TBitmapExportOptions::Format::FromName && EndsWithPng(path));
    std::string bytes;
    if (png) {
        QImage image = bitmap.Image();
        // Ink and paper only need one bit; smoothed edges keep their greys.
        if (options.monochrome && !options.antialias)
            image = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::AvoidDither);
        else if (options.monochrome)
            image = image.convertToFormat(QImage::Format_Grayscale8);
        image.setDotsPerMeterX(pixelsPerMetre);
        image.setDotsPerMeterY(pixelsPerMetre);
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) {
            error = "cannot encode the image as PNG";
            return false;
        }
        bytes.assign(encoded.constData(), std::size_t(encoded.size()));
    } else {
        if (std::uint64_t(bitmap.PixelCount()) * 4 + 54 > 0xFFFFFFFFull) {
            error = "the image is too large for a BMP file; write a PNG file instead";
            return false;
        }
        bytes = bitmap.BmpBytes(pixelsPerMetre);
    }
    if (!WriteFileSafely(path, bytes, error)) return false;
    result.width = bitmap.Width();
    result.height = bitmap.Height();
    const std::uint32_t* pixels = bitmap.Pixels();
    const std::size_t count = std::size_t(bitmap.PixelCount());
    result.blank =
        pixels && std::all_of(pixels, pixels + count, [first = pixels[0] & 0xFFFFFFu](std::uint32_t p) {
            return (p & 0xFFFFFFu) == first;
        });
    result.bytes = bytes.size();
    return true;
}
