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
class TVemoLayer;

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

// The widest pen, in millimetres, anything is plotted with: wider than any
// board, and a slip of 1e30 would write an aperture no photoplotter takes.
inline constexpr double kMaxPenWidthMm = 100.0;
// The one rule for the widths an export is given: a number from 0 to
// kMaxPenWidthMm. Empty when both are good, else why not.
std::string PenWidthProblem(double penWidthMm, double textPenWidthMm);

class TGerber_oarchive;
// Sets up a layer's writer as both flavours do: the design area's top left
// corner is the file's origin, y points up, and fills and texts get their pens.
void SetUpLayerArchive(TGerber_oarchive& archive, const TVemoDocument& document, double penWidth,
                       double textPenWidth);

// The layers an export writes, in layer-list order: those named, or without
// names those marked for output that also pass unnamed (when given; the X2
// flavour leaves the drill layer to the drill file). A name the document has
// no layer of refuses the whole choice, with error naming it.
bool ChooseLayers(const TVemoDocument& document, const std::optional<std::vector<std::string>>& names,
                  const std::function<bool(const TVemoLayer&)>& unnamed, std::vector<TVemoLayerPtr>& chosen,
                  std::string& error);

// What one flavour gives the shared writer of a set of layer files.
struct TLayerSetJob {
    std::string folder;
    // The file name of a chosen layer; empty, with why in problem, when it can have none.
    std::function<std::string(const TVemoLayer& layer, std::string& problem)> fileName;
    // The file of chosen layer index; called side by side for layers with a file name.
    std::function<TGerberLayerFile(std::size_t index)> build;
    bool leaveOutEmpty = false;  // an empty layer is noted in warnings, not written
    std::function<void(int index, int count, const std::string& layer)> progress;
};

// Builds the chosen layers' files side by side and writes them as one set
// (WriteFileSet): all or none. Each layer's result says which file was
// written or why not; a layer that did not fail itself says that another did.
void WriteLayerSet(const std::vector<TVemoLayerPtr>& chosen, const TLayerSetJob& job,
                   TGerberExportResult& result);

// The file of one layer; widths in millimetres.
TGerberLayerFile BuildGerberLayer(TVemoDocument& document, const TVemoLayerPtr& layer, double penWidth,
                                  double textPenWidth);

// Writes the files with crash-safe replacement, all or none (WriteLayerSet),
// so a failed export leaves the earlier files as they were. Widths follow
// PenWidthProblem and names ChooseLayers; either refuses the export as a
// whole. A layer fails for a name that cannot be a file name (empty, "." or
// "..", or holding "/"), for objects that cannot be plotted (each named with
// its layer) or a file that cannot be written; the other layers then say that
// they were held back. Two layers of the same name are warned about, and the
// later file replaces the earlier.
TGerberExportResult ExportGerber(TVemoDocument& document, const TGerberExportOptions& options);
