#pragma once
// Shared helpers of the Gerber tests: documents and objects made in a few
// lines, and Gerber files taken apart into lines.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "model/Vemosurface.h"

namespace gerbertest {

// The file's lines without their CR LF; a line end without CR fails the test.
inline std::vector<std::string> Lines(const std::string& file) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < file.size()) {
        const std::size_t lf = file.find('\n', start);
        if (lf == std::string::npos) {
            ADD_FAILURE() << "the file does not end with a line end";
            lines.push_back(file.substr(start));
            break;
        }
        EXPECT_TRUE(lf > start && file[lf - 1] == '\r')
            << "bare line feed after: " << file.substr(start, lf - start);
        lines.push_back(file.substr(start, lf > start ? lf - start - 1 : 0));
        start = lf + 1;
    }
    return lines;
}

inline const std::vector<std::string>& Header() {
    static const std::vector<std::string> header = {"G75*",          "G71*",     "%OFA0B0*%",
                                                    "%FSLAX33Y33*%", "%IPPOS*%", "%LPD*%"};
    return header;
}

// A file taken apart: header, aperture definitions, body, end code.
struct TParsedFile {
    std::vector<std::string> header;
    std::vector<std::string> apertures;
    std::vector<std::string> body;
    bool endsWithM02 = false;
};

inline TParsedFile Parse(const std::string& file) {
    TParsedFile parsed;
    std::vector<std::string> lines = Lines(file);
    std::size_t i = 0;
    for (; i < lines.size() && i < 6; ++i) parsed.header.push_back(lines[i]);
    for (; i < lines.size() && lines[i].rfind("%ADD", 0) == 0; ++i) parsed.apertures.push_back(lines[i]);
    for (; i < lines.size(); ++i) parsed.body.push_back(lines[i]);
    if (!parsed.body.empty() && parsed.body.back() == "M02*") {
        parsed.endsWithM02 = true;
        parsed.body.pop_back();
    }
    return parsed;
}

// A coordinate line "X..Y..Dnn*".
struct TCoord {
    long long x = 0, y = 0;
    int d = 0;
};

inline bool ParseCoord(const std::string& line, TCoord& c) {
    return std::sscanf(line.c_str(), "X%lldY%lldD%d*", &c.x, &c.y, &c.d) == 3;
}

inline TVemoSurface Surface(float width, bool fill, int cap = geom::CapRound) {
    TVemoSurface s(width, fill, false);
    s.SetCap(cap);
    return s;
}

inline std::unique_ptr<TVemoEllipse> Circle(const TVemoLayerPtr& layer, PointF centre, float radius,
                                            const TVemoSurface& style) {
    auto e = std::make_unique<TVemoEllipse>();
    e->SetLayer(layer);
    e->SetSurface(style);
    e->SetCircle(centre, PointF(centre.x + radius, centre.y));
    return e;
}

inline std::unique_ptr<TVemoRect> Rect(const TVemoLayerPtr& layer, PointF a, PointF b,
                                       const TVemoSurface& style, const Matrix* turn = nullptr) {
    auto r = std::make_unique<TVemoRect>();
    r->SetLayer(layer);
    r->SetSurface(style);
    r->SetCorners(a, b);
    if (turn) r->Transform(*turn);
    r->Deselect();
    return r;
}

// A path of straight segments through the anchors (handles on their anchors).
inline std::unique_ptr<TVemoPath> Polyline(const TVemoLayerPtr& layer, const std::vector<PointF>& anchors,
                                           bool closed, const TVemoSurface& style) {
    std::vector<PointF> pts;
    for (std::size_t k = 0; k < anchors.size(); ++k) {
        pts.push_back(anchors[k]);
        pts.push_back(anchors[k]);
        pts.push_back(anchors[(k + 1) % anchors.size()]);
    }
    auto p = std::make_unique<TVemoPath>();
    p->SetLayer(layer);
    p->SetSurface(style);
    EXPECT_TRUE(p->SetData(pts, std::vector<unsigned char>(pts.size(), 0), closed));
    p->Rebuild();
    return p;
}

// A board of every kind of photoplot item on layer "solder", in an area of
// 400 x 300 units (40 x 30 mm) at the origin: round and rectangle flashes,
// round- and square-ended strokes at several angles, a filled polygon with a
// hole (one outline entering the hole along a cut), a text, and a turned
// filled rectangle. Layer "far" holds one flash more than 1000 mm out.
struct TFixture {
    static constexpr float kAreaWidth = 400, kAreaHeight = 300;
    static constexpr float kSquareWidth = 20;  // the square-ended strokes
    // Two-point strokes with square ends.
    static inline const std::vector<std::pair<PointF, PointF>> kSquareStrokes = {{{40, 120}, {120, 120}},
                                                                                 {{150, 100}, {210, 160}},
                                                                                 {{240, 110}, {320, 150}},
                                                                                 {{370, 100}, {350, 160}}};
    // The turned bar: 60 x 16 about (90, 230), turned by 30 degrees.
    static constexpr float kBarLength = 60, kBarWidth = 16, kBarTurn = 30;
    static inline const PointF kBarCentre{90, 230};
    static inline const PointF kHoleCentre{210, 235};
    static inline const PointF kFarCentre{10100, 150};
};

inline void BuildFixture(TVemoDocument& doc) {
    doc.SetAreaOrigin(0, 0);
    doc.SetAreaSize(TFixture::kAreaWidth, TFixture::kAreaHeight);
    const TVemoLayerPtr layer = doc.GetLayerList().Find("solder");
    TVemoPart& root = doc.GetRoot();
    root.AddChild(Circle(layer, {40, 40}, 10, Surface(0, true)));
    root.AddChild(Rect(layer, {70, 30}, {110, 50}, Surface(0, true)));
    root.AddChild(Polyline(layer, {{140, 40}, {220, 40}, {240, 70}}, false, Surface(8, false)));
    for (const auto& [a, b] : TFixture::kSquareStrokes)
        root.AddChild(
            Polyline(layer, {a, b}, false, Surface(TFixture::kSquareWidth, false, geom::CapSquare)));
    // The outline runs clockwise round the outside, in along a cut, the other
    // way round the hole and back out.
    root.AddChild(Polyline(layer,
                           {{160, 190},
                            {260, 190},
                            {260, 280},
                            {160, 280},
                            {160, 235},
                            {190, 235},
                            {190, 255},
                            {230, 255},
                            {230, 215},
                            {190, 215},
                            {190, 235},
                            {160, 235}},
                           true, Surface(0, true)));
    auto text = std::make_unique<TVemoString>();
    text->SetLayer(layer);
    text->SetData(Matrix(1, 0, 0, 1, 285, 190), u"A8", TVemoFont("DejaVu Sans", 60, 0));
    root.AddChild(std::move(text));
    Matrix turn;
    turn.RotateAt(TFixture::kBarTurn, TFixture::kBarCentre);
    const PointF c = TFixture::kBarCentre;
    root.AddChild(Rect(layer, {c.x - TFixture::kBarLength / 2, c.y - TFixture::kBarWidth / 2},
                       {c.x + TFixture::kBarLength / 2, c.y + TFixture::kBarWidth / 2}, Surface(0, true),
                       &turn));
    const TVemoLayerPtr far = doc.GetLayerList().Find("other");
    far->SetName("far");
    root.AddChild(Circle(far, TFixture::kFarCentre, 10, Surface(0, true)));
}

}  // namespace gerbertest
