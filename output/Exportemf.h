#pragma once
// The artwork as an enhanced metafile (EMF) for other programs: the drawing of
// every object, or of the selected ones only, recorded as plain GDI records
// (paths filled and stroked with solid brushes and geometric pens) that every
// EMF reader understands.
//
// Coordinates are document coordinates, recorded at 10 logical units per
// document unit (0.01 mm) so curves keep their precision in whole numbers; the
// reference device has 100 pixels per millimetre, so the picture comes out at
// its true size. The header's bounds and frame enclose what was drawn.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QImage;
class TVemoDocument;

struct TEmfExportOptions {
    bool monochrome = false;    // ink and paper instead of the layer colours
    bool selectedOnly = false;  // only the objects that are selected
    // Colour: every layer's colour at full strength, as its opaque flag would
    // give; otherwise translucent layers are lightened as they look on white
    // paper, since plain EMF records carry no transparency.
    bool opaque = true;
    // Layers to draw, by name; empty means every layer with the output flag.
    std::vector<std::string> layers;
    // Recorded under the layers of a colour export when the document shows its background.
    const QImage* background = nullptr;
    // When set, the design area is first filled with this colour (a negative
    // film's black paper); otherwise the picture has no paper of its own.
    std::optional<std::uint32_t> paper;
};

struct TEmfExportResult {
    std::uint64_t bytes = 0;  // size of the written file
    int records = 0;
    bool empty = true;  // nothing was drawn
};

// The metafile's bytes. False, with a reason, for an unknown layer name.
// The document is not changed: the opaque colours are applied while recording.
bool EmfBytes(const TVemoDocument& document, const TEmfExportOptions& options, std::string& bytes,
              TEmfExportResult& result, std::string& error);

// Records and writes path crash-safely: on failure nothing is left under path.
bool ExportEmf(const TVemoDocument& document, const std::string& path, const TEmfExportOptions& options,
               TEmfExportResult& result, std::string& error);
