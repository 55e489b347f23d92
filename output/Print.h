#pragma once
// Printing at true scale: one document unit (0.1 mm) is 0.1 mm on paper, the
// design area's top-left corner at the top-left corner of the printable area
// (its top-right corner when mirrored, so a film laid printed side down reads
// the right way). Works on any paged device: a printer or a PDF file. The
// preview draws the same page, scaled to fit a picture.

#include <string>
#include <vector>

#include "geom/Matrix.h"

class QImage;
class QPagedPaintDevice;
class TVemoDocument;

struct TPrintOptions {
    bool monochrome = true;  // ink and paper (films) instead of the layer colours
    bool mirror = false;
    bool negative = false;  // monochrome only: white ink on a black page
    bool antialias = false;
    // Layers to print, by name; empty means every layer with the output flag.
    std::vector<std::string> layers;
};

// Document units to device units of a page whose printable width is
// printableWidthMm, at devicePerUnit device units per document unit.
geom::Matrix PrintTransform(const TVemoDocument& document, double printableWidthMm, bool mirror,
                            double devicePerUnit);

// Prints one page on device (which is already set up: page size, margins,
// output file). False, with a reason, when the device has no printable area,
// cannot start a page, or a layer name is unknown.
bool PrintPage(const TVemoDocument& document, QPagedPaintDevice& device, const TPrintOptions& options,
               std::string& error);

// The preview: the printable page (printableWidthMm x printableHeightMm) fitted
// into 80 % of picture along its longer side and centred, the artwork on it
// and the page's frame around it; mirrored like the print. False, with a
// reason, when the page has no size (no printer), leaving picture blank.
bool RenderPrintPreview(const TVemoDocument& document, double printableWidthMm, double printableHeightMm,
                        const TPrintOptions& options, QImage& picture, std::string& error);
