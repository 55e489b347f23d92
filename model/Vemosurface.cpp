#include "model/Vemosurface.h"

#include "geom/Samebits.h"
#include "model/Vemodrawstyle.h"

TVemoSurface::TVemoSurface() {
    ConfigurePen();
}

TVemoSurface::TVemoSurface(float width, bool fill, bool cutOut)
    : width_((fill || width >= 1.0f) ? width : 1.0f), fill_(fill), cutOut_(cutOut) {
    ConfigurePen();
}

void TVemoSurface::Assign(const TVemoSurface& other) {
    width_ = other.width_;
    fill_ = other.fill_;
    cutOut_ = other.cutOut_;
    join_ = other.join_;
    cap_ = other.cap_;
    dash_ = other.dash_;
    pen_.colour = other.brush_.colour;
    ConfigurePen();
}

void TVemoSurface::SetWidth(float w) {
    if (fill_ || w >= 1.0f) width_ = w;
    ConfigurePen();
}

void TVemoSurface::SetFields(float width, bool fill, bool cutOut, int join, int cap, int dash) {
    width_ = width;
    fill_ = fill;
    cutOut_ = cutOut;
    join_ = join;
    cap_ = cap;
    dash_ = dash;
    ConfigurePen();
}

void TVemoSurface::SetFill(bool fill) {
    if (!fill && width_ < 1.0f) width_ = 1.0f;
    fill_ = fill;
    ConfigurePen();
}

void TVemoSurface::SetCap(int cap) {
    cap_ = cap;
    pen_.startCap = cap;
    pen_.endCap = cap;
    pen_.dashCap = geom::CapFlat;
}

void TVemoSurface::SetJoin(int join) {
    join_ = join;
    pen_.join = join;
}

void TVemoSurface::SetDash(int dash) {
    dash_ = dash;
    pen_.dashStyle = dash;
}

void TVemoSurface::ApplyColour(Argb colour) {
    const Argb c = cutOut_ ? DrawStyle().GetColour(dcCutOut) : colour;
    pen_.colour = c;
    brush_.colour = c;
}

int TVemoSurface::CompareTo(const TVemoSurface& other) const {
    int diff = 0;
    if (width_ != other.width_) diff |= DiffWidth;
    if (fill_ != other.fill_) diff |= DiffFill;
    if (cutOut_ != other.cutOut_) diff |= DiffCutOut;
    if (join_ != other.join_) diff |= DiffJoin;
    if (dash_ != other.dash_) diff |= DiffDash;
    return diff;
}

bool TVemoSurface::SameFields(const TVemoSurface& other) const {
    return geom::SameBits(width_, other.width_) && fill_ == other.fill_ && cutOut_ == other.cutOut_ &&
           join_ == other.join_ && cap_ == other.cap_ && dash_ == other.dash_;
}

void TVemoSurface::ConfigurePen() {
    pen_.width = width_;
    pen_.startCap = cap_;
    pen_.endCap = cap_;
    pen_.dashCap = geom::CapFlat;
    pen_.join = join_;
    pen_.dashStyle = dash_;
}
