#include "boardgen/Boardgen.h"

#include "boardgen/Shapes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "geom/Units.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"

namespace {

using namespace boardgen;

// Only the raw engine output is standardised, so the board is built from it
// alone: the same seed gives the same board with any standard library.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : engine_(seed) {}
    // Uniform in [0, n).
    int Below(int n) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }
    // Uniform in [lo, hi).
    float Between(float lo, float hi) {
        return lo + (hi - lo) * static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
    }
    bool Chance(int percent) { return Below(100) < percent; }

private:
    std::mt19937 engine_;
};

const std::u16string kLabels[] = {u"R12", u"C3",  u"U7",       u"抵抗", u"基板 A",
                                  u"GND", u"+5V", u"コネクタ", u"LED1", u"IC2"};

struct Layers {
    TVemoLayerPtr copper[2];  // solder, component
    TVemoLayerPtr silk[2];    // place_sol, place_cmp
    TVemoLayerPtr hole;
    TVemoLayerPtr dimension;
};

class Builder {
public:
    Builder(const TBoardOptions& options, TVemoDocument& doc, float side)
        : options_(options), dice_(options.seed), root_(doc.GetRoot()), side_(side) {
        TVemoLayerList& list = doc.GetLayerList();
        layers_.copper[0] = list.Find("solder");
        layers_.copper[1] = list.Find("component");
        layers_.silk[0] = list.Find("place_sol");
        layers_.silk[1] = list.Find("place_cmp");
        layers_.hole = list.Find("hole");
        layers_.dimension = list.Find("dimension");
    }

    void Run() {
        Outline();
        for (int i = 1; i < options_.objects; ++i) {
            const int roll = dice_.Below(100);
            if (roll < 45)
                Track();
            else if (roll < 60)
                root_.AddChild(RoundPad(Spot(), Pick({14, 16, 18, 20}), Copper()));
            else if (roll < 68)
                root_.AddChild(SquarePad(Spot(), Pick({12, 16, 20}), Pick({12, 16, 24}),
                                         dice_.Chance(20) ? 45.0f : 0.0f, Copper()));
            else if (roll < 78)
                root_.AddChild(RoundPad(Spot(), Pick({6, 8, 10}), layers_.hole));
            else if (roll < 82)
                Pour();
            else if (roll < 90 && options_.texts)
                Text();
            else
                Part();
        }
    }

private:
    float Pick(std::initializer_list<float> values) {
        return values.begin()[dice_.Below(static_cast<int>(values.size()))];
    }
    // A point on the 0.5 mm grid inside the board, away from its edge.
    PointF Spot() {
        const int cells = static_cast<int>((side_ - 40) / 5);
        return {20.0f + 5.0f * float(dice_.Below(cells)), 20.0f + 5.0f * float(dice_.Below(cells))};
    }
    const TVemoLayerPtr& Copper() { return layers_.copper[dice_.Below(2)]; }

    void Outline() {
        auto outline = Polyline({{0, 0}, {side_, 0}, {side_, side_}, {0, side_}}, true);
        outline->SetSurface(TVemoSurface(2.0f, false, false));
        outline->SetLayer(layers_.dimension);
        root_.AddChild(std::move(outline));
    }

    void Track() {
        const PointF a = Spot();
        std::unique_ptr<TVemoPath> track;
        if (dice_.Chance(25)) {
            const PointF b{std::fmin(a.x + dice_.Between(20, 80), side_ - 10), a.y + dice_.Between(-40, 40)};
            track = CurvedTrack(a, b, dice_.Between(-0.3f, 0.3f));
        } else {
            // Routed the usual way: straight runs and 45-degree bends.
            std::vector<PointF> anchors{a};
            const int bends = 1 + dice_.Below(3);
            for (int k = 0; k < bends; ++k) {
                const PointF last = anchors.back();
                const float run = dice_.Between(10, 60);
                static constexpr std::array<std::array<float, 2>, 8> kDirections{{{1, 0},
                                                                                  {0, 1},
                                                                                  {-1, 0},
                                                                                  {0, -1},
                                                                                  {0.7071f, 0.7071f},
                                                                                  {-0.7071f, 0.7071f},
                                                                                  {0.7071f, -0.7071f},
                                                                                  {-0.7071f, -0.7071f}}};
                const auto& d = kDirections[static_cast<std::size_t>(dice_.Below(8))];
                anchors.emplace_back(std::fmin(std::fmax(last.x + d[0] * run, 10.0f), side_ - 10),
                                     std::fmin(std::fmax(last.y + d[1] * run, 10.0f), side_ - 10));
            }
            track = Polyline(anchors, false);
        }
        TVemoSurface style(Pick({2, 3, 4, 5, 6, 8, 10}), false, false);
        style.SetCap(dice_.Chance(80) ? geom::CapRound : geom::CapSquare);
        track->SetSurface(style);
        track->SetLayer(Copper());
        root_.AddChild(std::move(track));
    }

    // A filled copper area with a cut-out hole in it.
    void Pour() {
        const PointF c = Spot();
        const float r = dice_.Between(30, 70);
        const int corners = 5 + dice_.Below(4);
        std::vector<PointF> anchors;
        for (int k = 0; k < corners; ++k) {
            const float angle = 6.2831853f * float(k) / float(corners);
            const float rk = r * dice_.Between(0.75f, 1.0f);
            anchors.emplace_back(c.x + rk * std::cos(angle), c.y + rk * std::sin(angle));
        }
        auto pour = Polyline(anchors, true);
        const TVemoLayerPtr& layer = Copper();
        pour->SetSurface(TVemoSurface(2.0f, true, false));
        pour->SetLayer(layer);
        root_.AddChild(std::move(pour));
        root_.AddChild(Disc(c, r * 0.3f, r * 0.2f, true, layer));
    }

    void Text() {
        const std::u16string& text = kLabels[dice_.Below(10)];
        root_.AddChild(Label(Spot(), text, Pick({10, 12, 15}), layers_.silk[dice_.Below(2)]));
    }

    // A placed two-lead part: pads, drills, a silk body and its reference.
    void Part() {
        const PointF c = Spot();
        const bool upright = dice_.Chance(50);
        const float span = Pick({25, 40, 50});
        const PointF a = upright ? PointF{c.x, c.y - span / 2} : PointF{c.x - span / 2, c.y};
        const PointF b = upright ? PointF{c.x, c.y + span / 2} : PointF{c.x + span / 2, c.y};
        auto part = std::make_unique<TVemoGroup>();
        const TVemoLayerPtr& copper = Copper();
        part->AddChild(RoundPad(a, 16, copper));
        part->AddChild(SquarePad(b, 16, 16, 0, copper));
        part->AddChild(RoundPad(a, 8, layers_.hole));
        part->AddChild(RoundPad(b, 8, layers_.hole));
        const float w = upright ? 12 : span - 20;
        const float h = upright ? span - 20 : 12;
        auto body = Polyline({{c.x - w / 2, c.y - h / 2},
                              {c.x + w / 2, c.y - h / 2},
                              {c.x + w / 2, c.y + h / 2},
                              {c.x - w / 2, c.y + h / 2}},
                             true);
        body->SetSurface(TVemoSurface(1.5f, false, false));
        body->SetLayer(layers_.silk[1]);
        part->AddChild(std::move(body));
        if (options_.texts)
            part->AddChild(Label({c.x + 10, c.y - 10}, kLabels[dice_.Below(3)], 10, layers_.silk[1]));
        root_.AddChild(std::move(part));
    }

    const TBoardOptions& options_;
    Dice dice_;
    TVemoPart& root_;
    float side_;
    Layers layers_;
};

// An object on its way into a block: which square of the lowest level it lies in.
struct Placed {
    std::unique_ptr<TVemoObject> object;
    int column = 0, row = 0;
};

// The block of level level (0 the lowest) holding the objects placed, in
// the order they were made; the blocks below it are in the order of their
// squares, row by row.
std::unique_ptr<TVemoGroup> Block(std::vector<Placed>& placed, int level) {
    auto block = std::make_unique<TVemoGroup>();
    if (level == 0) {
        for (Placed& p : placed) block->AddChild(std::move(p.object));
        return block;
    }
    const int shift = 2 * level;  // 4 x 4 squares of the level below to one of this level
    std::map<std::pair<int, int>, std::vector<Placed>> below;
    for (Placed& p : placed)
        below[{(p.row >> (shift - 2)), (p.column >> (shift - 2))}].push_back(std::move(p));
    for (auto& [square, objects] : below) block->AddChild(Block(objects, level - 1));
    return block;
}

// Gathers every object but the board outline (the first) into levels of
// blocks; see TBoardOptions::blockLevels. Outlines must be built: an object
// goes where the bounds of its first drawn piece lie.
void GatherIntoBlocks(TVemoPart& root, int levels, int objects, float side) {
    std::vector<std::unique_ptr<TVemoObject>> children = root.ReleaseChildren();
    if (children.empty()) return;
    root.AddChild(std::move(children.front()));
    const int squares = std::max(1, static_cast<int>(std::lround(std::sqrt(double(objects) / 8.0))));
    const auto square = [&](float at) {
        return std::clamp(static_cast<int>(at / side * float(squares)), 0, squares - 1);
    };
    std::vector<Placed> placed;
    placed.reserve(children.size());
    for (std::size_t i = 1; i < children.size(); ++i) {
        RectF box;
        bool found = false;
        ForEachObject(*children[i], false, [&](const TVemoObject& object) {
            if (!found && object.AsInstance()) {
                object.GetBounds(box);
                found = true;
            }
        });
        placed.push_back(
            {std::move(children[i]), square(box.x + box.width / 2), square(box.y + box.height / 2)});
    }
    const int shift = 2 * (levels - 1);
    std::map<std::pair<int, int>, std::vector<Placed>> top;
    for (Placed& p : placed) top[{p.row >> shift, p.column >> shift}].push_back(std::move(p));
    for (auto& [key, objectsThere] : top) root.AddChild(Block(objectsThere, levels - 1));
}

}  // namespace

std::unique_ptr<TVemoDocument> GenerateBoard(const TBoardOptions& options) {
    auto doc = std::make_unique<TVemoDocument>();
    // About 2.5 mm² of board per object, the density of a busy two-layer board,
    // on a side of whole millimetres.
    const float side = float(
        units::FromMm(std::round(units::ToMm(std::sqrt(250.0f * float(std::max(options.objects, 16)))))));
    doc->SetAreaOrigin(0, 0);
    doc->SetAreaSize(side, side);
    Builder(options, *doc, side).Run();
    doc->GetRoot().Rebuild();
    if (options.blockLevels > 0)
        GatherIntoBlocks(doc->GetRoot(), std::min(options.blockLevels, 12), options.objects, side);
    return doc;
}
