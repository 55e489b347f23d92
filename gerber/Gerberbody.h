#pragma once
// The body text of one photoplot file: aperture selections and coordinate
// lines, each ending in CR LF. Document points (0.1 mm, y down) become whole
// thousandths of a millimetre with y up, measured from the archive's offsets and
// always rounded down. The body remembers the largest magnitude it wrote, so the
// file header can declare enough integer digits.

#include <cstdint>
#include <string>

#include "model/Vemotypes.h"

class TGerberBody {
public:
    // Six integer and three decimal digits: the widest coordinate format declared.
    static constexpr std::int64_t kMaxCoordinate = 999'999'999;

    TGerberBody(double offsetX, double offsetY) : offsetX_(offsetX), offsetY_(offsetY) {}

    void Select(int dcode);
    void Move(double x, double y) { Coordinates(x, y, "D02*\r\n"); }
    void Draw(double x, double y) { Coordinates(x, y, "D01*\r\n"); }
    void Flash(double x, double y) { Coordinates(x, y, "D03*\r\n"); }
    void Move(PointF p) { Move(p.x, p.y); }
    void Draw(PointF p) { Draw(p.x, p.y); }
    void Flash(PointF p) { Flash(p.x, p.y); }

    const std::string& Text() const { return text_; }
    // The largest |X| or |Y| written so far.
    std::int64_t Largest() const { return largest_; }
    // A coordinate was not a number or exceeded kMaxCoordinate; it was written as 0.
    bool OutOfRange() const { return outOfRange_; }

private:
    std::int64_t Convert(double thousandths);
    void Coordinates(double x, double y, const char* code);

    double offsetX_;
    double offsetY_;
    std::string text_;
    std::int64_t largest_ = 0;
    bool outOfRange_ = false;
};
