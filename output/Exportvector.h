#pragma once
// The design area as a vector picture at true scale: SVG whose width and
// height are in millimetres, or a PDF page the size of the design area
// (rounded up to whole points, the page sizes PDF writers of Qt make). Same
// layer choice and colour rules as the bitmap export; texts go out as their
// outlines, so every reader shows the same letters.

#include <cstdint>
#include <string>

#include "output/Exportbitmap.h"

class TVemoDocument;

enum class TVectorFormat { Svg, Pdf };

struct TVectorExportResult {
    double widthMm = 0.0;
    double heightMm = 0.0;
    std::uint64_t bytes = 0;  // size of the written file
};

// Renders and writes path crash-safely; the options' ppi, antialias and
// format are not used. False, with a reason, for a design area of no size or
// one too large for the format, or an unknown layer name; nothing is left under path.
bool ExportVector(const TVemoDocument& document, const std::string& path, TVectorFormat format,
                  const TBitmapExportOptions& options, TVectorExportResult& result, std::string& error);
