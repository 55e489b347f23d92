#pragma once
// Photoplot items: what one drawing object becomes on the way to a Gerber file.
// A photoplotter can flash an aperture once or drag a round or square aperture
// along straight lines, so an item is a round flash, a rectangle flash, or a
// flattened outline that is stroked and, when filled, hatched with closely
// spaced strokes. The archive owns its items and writes each once, in order.

#include <string>

#include "gerber/Gerberbody.h"
#include "model/Vemotypes.h"

class TGerber_oarchive;
class TVemoSurface;

class TPreConvObject {
public:
    virtual ~TPreConvObject() = default;
    TPreConvObject(const TPreConvObject&) = delete;
    TPreConvObject& operator=(const TPreConvObject&) = delete;

    // Appends the item's body lines; the apertures it uses enter the archive's table.
    virtual void Write(TGerberBody& body) = 0;

protected:
    explicit TPreConvObject(TGerber_oarchive& archive) : archive_(archive) {}

    TGerber_oarchive& archive_;  // not owned: the archive owns the item
};

// A round flash; diameter in document units, centre in document coordinates.
class TPreConvRound : public TPreConvObject {
public:
    TPreConvRound(TGerber_oarchive& archive, float diameter, PointF centre)
        : TPreConvObject(archive), diameter_(diameter), centre_(centre) {}

    void Write(TGerberBody& body) override;
    float GetDiameter() const { return diameter_; }
    PointF GetCentre() const { return centre_; }

private:
    float diameter_;
    PointF centre_;
};

// An axis-parallel rectangle flash.
class TPreConvRect : public TPreConvObject {
public:
    TPreConvRect(TGerber_oarchive& archive, float width, float height, PointF centre)
        : TPreConvObject(archive), width_(width), height_(height), centre_(centre) {}

    void Write(TGerberBody& body) override;
    float GetWidth() const { return width_; }
    float GetHeight() const { return height_; }
    PointF GetCentre() const { return centre_; }

private:
    float width_;
    float height_;
    PointF centre_;
};

// An axis-parallel obround flash: a slot-shaped land.
class TPreConvObround : public TPreConvObject {
public:
    TPreConvObround(TGerber_oarchive& archive, float width, float height, PointF centre)
        : TPreConvObject(archive), width_(width), height_(height), centre_(centre) {}

    void Write(TGerberBody& body) override;

private:
    float width_;
    float height_;
    PointF centre_;
};

// A stroked and possibly filled outline. Only close marks split figures: an
// open figure followed by another is joined to it by a draw.
class TPreConvPath : public TPreConvObject {
public:
    // The flattening tolerance of every figure, in document units.
    static constexpr float kFlatness = 0.25f;

    // More hatch work than this (scan lines times edges) refuses the item: a
    // fill that size is no board's, and it would take minutes and gigabytes.
    static constexpr double kHatchBudget = double(1 << 28);
    // And more scan lines than this alone (a file of gigabytes for one shape).
    static constexpr double kMaxHatchLines = double(1 << 20);

    // Remembers the archive's current object, to name it in a refusal.
    explicit TPreConvPath(TGerber_oarchive& archive);

    // Keeps a flattened copy of figure and the bounds of its points.
    void SetPath(const GraphicsPath& figure);
    // Takes pen width, fill flag and line cap.
    void SetStyle(const TVemoSurface& style);

    // The outline stroked with the item's width (the archive's default width
    // when it has none); a filled item is then hatched along its longer side.
    // A fill whose width is not positive, or too small to step across the
    // item's coordinates, is left out and counted by the archive; one beyond
    // kHatchBudget is refused through the archive.
    void Write(TGerberBody& body) override;
    void WriteOutline(TGerberBody& body, float w);
    // Hatching under the nonzero rule; false, with nothing written, when the
    // hatch step cannot advance.
    bool WriteFillRows(TGerberBody& body, float w) { return Hatch(body, w, false); }
    bool WriteFillColumns(TGerberBody& body, float w) { return Hatch(body, w, true); }

    bool IsFilled() const { return filled_; }
    float GetPenWidth() const { return penWidth_; }
    int GetCap() const { return cap_; }
    const GraphicsPath& GetPath() const { return path_; }
    const RectF& GetBounds() const { return bounds_; }

private:
    bool Hatch(TGerberBody& body, float w, bool columns);

    bool filled_ = false;
    float penWidth_ = 3.0f;
    GraphicsPath path_;
    int cap_ = geom::CapRound;
    RectF bounds_;
    std::string owner_;
};

// The whole-degree direction of a cap: 0 for a vertical step, else the floor
// of atan(dy / dx) in degrees (document axes, y down).
int CapAngle(PointF d);
