#pragma once
// The design area as a raster image at a chosen resolution: the raster
// counterpart of printing, with the same layer choice and colour rules. The
// file is a 32-bit BMP, or PNG when its name ends in ".png" or the options say
// so. Both carry their resolution, so other programs print them true to scale;
// a monochrome PNG is 1 bit per pixel, a colour one 8-bit RGB.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "geom/Matrix.h"

class QImage;
class QPainter;
class TDIBitmap;
class TVemoDocument;
class TVemoGraphics;
class TVemoLayerList;

struct TBitmapExportOptions {
    double ppi = 72.0;        // pixels per inch
    bool monochrome = false;  // ink and paper instead of the layer colours
    bool mirror = false;      // the area's right edge at column 0
    bool negative = false;    // monochrome only: white ink on black paper
    bool antialias = false;
    // Layers to draw, by name; empty means every layer with the output flag.
    std::vector<std::string> layers;
    // Drawn under the layers of a colour export when the document shows its background.
    const QImage* background = nullptr;
    // File format; FromName follows the file name's extension.
    enum class Format { FromName, Bmp, Png } format = Format::FromName;
    // Called before each layer is drawn (index from 0 of count), for a progress display.
    std::function<void(int index, int count, const std::string& layer)> progress;
};

struct TBitmapExportResult {
    int width = 0;
    int height = 0;
    std::uint64_t bytes = 0;  // size of the written file
    bool blank = false;       // every pixel the same colour: nothing was drawn
};

// The most pixels an exported image may hold (512 MiB of 32-bit pixels): a
// design area of metres at a film resolution must be refused, not allocated.
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t(1) << 27;

// The largest whole resolution (ppi) at which an area's image fits both the
// pixel budget and TDIBitmap::kMaxSide; 0 when not even 1 ppi fits.
int LargestBitmapResolution(double areaWidth, double areaHeight);

// The pixel size of the image of an area at ppi, truncated.
void BitmapExportSize(double areaWidth, double areaHeight, double ppi, std::int64_t& width,
                      std::int64_t& height);

// Renders the image into bitmap. False, with a reason, for a resolution that is
// not a positive finite number, an image of no pixels, one larger than
// TDIBitmap::kMaxSide on a side or of more than kMaxBitmapPixels (the reason
// then gives the size and the largest resolution that fits), memory that cannot be had, or an unknown layer
// name. Monochrome export leaves the draw style's ink and paper colours as it set them.
bool RenderBitmapExport(const TVemoDocument& document, const TBitmapExportOptions& options, TDIBitmap& bitmap,
                        std::string& error);

// Renders and writes path crash-safely: on failure nothing is left under path.
bool ExportBitmap(const TVemoDocument& document, const std::string& path, const TBitmapExportOptions& options,
                  TBitmapExportResult& result, std::string& error);

// What every export of a picture shares, whatever its device.
// The layer indices to draw, from the last to the first: the named layers, or
// those marked for output when names is empty. False for an unknown name.
bool ChooseExportLayers(const TVemoLayerList& layers, const std::vector<std::string>& names,
                        std::vector<int>& out, std::string& error);
// The paper colour of an export: white in colour; for a film the draw
// style's ink and paper are set (black on white, or white on black when
// negative) and the paper returned.
std::uint32_t ExportPaper(const TBitmapExportOptions& options);
// Document units to a picture of k device units per unit, the area's top left
// (top right when mirrored) at the origin.
geom::Matrix ExportTransform(const TVemoDocument& document, bool mirror, float k);
// Draws the layers, in colour or as ink (monochrome), through graphics, whose
// painter maps document units to the device; the paper is the caller's. The
// monochrome ink and paper colours must be set in the draw style.
void PaintExportLayers(QPainter& painter, TVemoGraphics& graphics, const TVemoDocument& document,
                       const TBitmapExportOptions& options, const std::vector<int>& layerIndices);
