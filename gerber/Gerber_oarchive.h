#pragma once
// The writer of one layer's RS-274X file. Objects on the archive's layer hand
// their geometry and style to AddPath, AddRect and AddEllipse; each call adds one
// photoplot item. Flush then writes the items' body lines, numbering apertures
// in order of first use, and returns the whole file: header, aperture table,
// body and the end-of-file code, every line ending in CR LF.

#include <memory>
#include <string>
#include <vector>

#include "gerber/Gerberaperture.h"
#include "gerber/Preconvpath.h"
#include "model/Vemotypes.h"

class TVemoSurface;

// Where the file's origin lies and the line widths of items that bring none.
class TGerberConf {
public:
    virtual ~TGerberConf() = default;

    double offsetX = 0.0;       // document units, added to every x
    double offsetY = 0.0;       // document units; every y is subtracted from it
    double penWidth = 0.3;      // mm: items whose own width is 0 or less
    double textPenWidth = 0.1;  // mm: outline and hatch of texts
};

class TGerber_oarchive : public TGerberConf {
public:
    // Transform classes.
    static constexpr int kUpright = 0;
    static constexpr int kQuarterTurn = 1;
    static constexpr int kOblique = 2;

    explicit TGerber_oarchive(TVemoLayerPtr layer);
    ~TGerber_oarchive() override;
    TGerber_oarchive(const TGerber_oarchive&) = delete;
    TGerber_oarchive& operator=(const TGerber_oarchive&) = delete;

    // The layer being written; objects compare their own layer with it.
    const TVemoLayerPtr& GetLayer() const { return layer_; }

    // figure in document coordinates; the caller keeps it. A land (see
    // LandOf) becomes one flash of the shape its stroke would give. closed: the
    // figure is a closed path's curve, which returns to its start without a
    // close mark.
    void AddPath(const TVemoSurface& style, const GraphicsPath& figure, bool closed = false);
    // The flash that draws exactly what stroking figure with style draws:
    // 'C' (round, w), 'R' (square, w x w) for an open dot (every point the same
    // one) of a round or square cap; 'O' (obround, w x h) for a closed figure
    // going back and forth between two points on a horizontal or vertical line
    // with round joins and a solid pen. 0 for anything else. penWidth (mm)
    // stands in for a width of 0, as for strokes.
    // closed as for AddPath; a close mark closes the figure too.
    static char LandOf(const TVemoSurface& style, const GraphicsPath& figure, bool closed, double penWidth,
                       float& w, float& h, PointF& centre);
    // bounds in the shape's own frame, placed by transform. A filled circle
    // becomes a round flash when the transform keeps it a circle (turns, mirrors
    // and scales it alike on both axes; the scale enlarges the diameter before
    // the pen is added); otherwise the ellipse is outlined.
    void AddEllipse(const TVemoSurface& style, const RectF& bounds, const Matrix& transform);
    // A filled rectangle of pen width 0.1 or less becomes a rectangle flash when
    // its sides stay parallel to the axes (the transform's scales enter the
    // flash's size), a square-ended stroke when it is turned otherwise by a
    // rotation with one scale on both axes and clearly longer than wide;
    // everything else is outlined (and hatched when filled). So the file shows
    // the size the screen shows under any placement.
    void AddRect(const TVemoSurface& style, const RectF& bounds, const Matrix& transform);
    // kUpright, kQuarterTurn (mirroring aside) or kOblique, judged to five decimals.
    static int ClassifyTransform(const Matrix& transform);

    // The object whose items are being added, as the user should read it in a
    // report (for example: path "Track" on layer "solder"). Items remember it.
    void SetCurrentObject(std::string description) { current_ = std::move(description); }
    const std::string& CurrentObject() const { return current_; }
    // Records that an object cannot be plotted and why; Flush then fails.
    void Refuse(const std::string& object, const std::string& why);
    const std::vector<std::string>& Refusals() const { return refusals_; }

    // The file bytes. False, with file unchanged and a reason, when an object
    // was refused (see Refuse; every one is named), or a coordinate is not a
    // number or lies 1000 m or more from the origin. The coordinate format keeps
    // three integer digits unless a coordinate needs more.
    bool Flush(std::string& file, std::string& error);

    TApertureList& GetApertures() { return apertures_; }
    const TApertureList& GetApertures() const { return apertures_; }
    const std::vector<std::unique_ptr<TPreConvObject>>& GetItems() const { return items_; }
    int ItemCount() const { return static_cast<int>(items_.size()); }
    // Filled items left unhatched by the last Flush (see TPreConvPath::Write).
    int SkippedFills() const { return skippedFills_; }
    void NoteSkippedFill() { ++skippedFills_; }

private:
    TApertureList apertures_;
    TVemoLayerPtr layer_;
    std::vector<std::unique_ptr<TPreConvObject>> items_;
    int skippedFills_ = 0;
    std::string current_;
    std::vector<std::string> refusals_;
    std::size_t objectRefusals_ = std::string::npos;  // how many came before the first Flush
};
