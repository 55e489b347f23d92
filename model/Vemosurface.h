#pragma once
// The stroke style of a placed drawing object: pen width, fill, cut-out, join,
// cap and dash, with the pen and brush the object is painted with kept in step.
// An unfilled style never has a pen width below 1.0.

#include "model/Vemotypes.h"

class TVemoSurface {
public:
    // Bits of CompareTo.
    static constexpr int DiffWidth = 0x01;
    static constexpr int DiffFill = 0x02;
    static constexpr int DiffCutOut = 0x04;
    static constexpr int DiffJoin = 0x08;
    static constexpr int DiffDash = 0x10;

    TVemoSurface();
    // A width below 1.0 is kept only for a filled style; otherwise it becomes 1.0.
    TVemoSurface(float width, bool fill, bool cutOut);
    TVemoSurface(const TVemoSurface&) = default;
    TVemoSurface& operator=(const TVemoSurface&) = default;
    virtual ~TVemoSurface() = default;

    // Copies the style fields; the pen takes the other style's brush colour, the
    // brush keeps its own until the next ApplyColour.
    virtual void Assign(const TVemoSurface& other);
    virtual float GetWidth() const { return width_; }
    // Ignored when the style is unfilled and w is below 1.0.
    virtual void SetWidth(float w);
    virtual bool GetFill() const { return fill_; }
    // Clearing the fill raises a width below 1.0 to 1.0.
    virtual void SetFill(bool fill);
    virtual bool GetCutOut() const { return cutOut_; }
    virtual void SetCutOut(bool cutOut) { cutOut_ = cutOut; }
    virtual int GetCap() const { return cap_; }
    virtual void SetCap(int cap);
    virtual int GetJoin() const { return join_; }
    virtual void SetJoin(int join);
    virtual int GetDash() const { return dash_; }
    virtual void SetDash(int dash);

    // Takes the fields exactly as a file holds them (no width rule: what was
    // written is kept), then configures the pen.
    void SetFields(float width, bool fill, bool cutOut, int join, int cap, int dash);

    // Paints pen and brush in colour, or in the draw style's cut-out colour when
    // this style cuts out.
    void ApplyColour(Argb colour);
    // Which fields differ (Diff* bits); the cap is not compared.
    int CompareTo(const TVemoSurface& other) const;
    // Every field the same, the width bit for bit and the cap too: the pens
    // then differ at most in colour.
    bool SameFields(const TVemoSurface& other) const;

    const Pen& GetPen() const { return pen_; }
    const Brush& GetBrush() const { return brush_; }

private:
    void ConfigurePen();

    float width_ = 1.0f;
    bool fill_ = false;
    bool cutOut_ = false;
    int join_ = geom::JoinRound;
    int cap_ = geom::CapRound;
    int dash_ = geom::DashSolid;
    Pen pen_;
    Brush brush_;
};
