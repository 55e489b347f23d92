#pragma once
// Gerber export of a document: one RS-274X file per output layer, named after
// the layer, in a chosen folder. Coordinates are measured from the bottom-left
// corner of the design area. Every layer is attempted; each result says which
// file was written or why not, and the warnings list what the user should know
// although the files were written.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/Vemotypes.h"

class TVemoDocument;

struct TGerberExportOptions {
    std::string folder;
    double penWidth = 0.3;      // mm, for filled objects without a width of their own
    double textPenWidth = 0.1;  // mm, for texts
    // Names of the layers to write instead of those with the output flag (the
    // flags stay as they are); layer-list order still decides the order.
    std::optional<std::vector<std::string>> layers;
    // Called before each layer is built (index from 0 of count), for a progress display.
    std::function<void(int index, int count, const std::string& layer)> progress;
};

// One layer's file, built in memory.
struct TGerberLayerFile {
    bool ok = false;
    std::string error;
    std::string bytes;
    int apertures = 0;
    int items = 0;
    int skippedFills = 0;  // filled objects left unhatched (their fill width is 0 or less)
};

struct TGerberLayerResult {
    std::string layer;
    std::string path;
    bool written = false;
    std::string error;  // why nothing was written
    std::size_t bytes = 0;
    int apertures = 0;
    int items = 0;
};

struct TGerberExportResult {
    std::string error;  // set when the export was refused as a whole
    std::vector<TGerberLayerResult> layers;
    std::vector<std::string> warnings;

    // Nothing refused and every layer written.
    bool Succeeded() const;
};

// Runs build(i) for i = 0 ... count - 1 on every core and returns when all
// are done. Each build must depend on nothing another one writes, so the
// results are those of a serial run. report(i), for the progress display, is
// called on the calling thread for every i in order, before build(i) returns
// or after; it may be empty.
void BuildLayersInParallel(std::size_t count, const std::function<void(std::size_t)>& build,
                           const std::function<void(std::size_t)>& report);

// The file of one layer; widths in millimetres.
TGerberLayerFile BuildGerberLayer(TVemoDocument& document, const TVemoLayerPtr& layer, double penWidth,
                                  double textPenWidth);

// Writes the files with crash-safe replacement, all or none: every file goes
// to a temporary beside its target, and they are put in place only when every
// layer succeeded, so a failed export leaves the earlier files as they were.
// Widths must be finite and not negative. A layer fails for a name that
// cannot be a file name (empty, "." or "..", or holding "/"), for objects that
// cannot be plotted (each named with its layer) or a file that cannot be
// written; the other layers then say that they were held back. Two layers of
// the same name are warned about, and the later file replaces the earlier.
TGerberExportResult ExportGerber(TVemoDocument& document, const TGerberExportOptions& options);
