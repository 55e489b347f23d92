#include "boardgen/Demo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <utility>

#include "boardgen/Shapes.h"
#include "geom/Units.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"

namespace {

using namespace boardgen;

// Sizes in document units of 0.1 mm.
constexpr float kPitch = 25.4f;    // 0.1 inch
constexpr float kLand = 16.0f;     // 1.6 mm land
constexpr float kDrill = 8.0f;     // 0.8 mm drill
constexpr float kSignal = 6.0f;    // 0.6 mm track
constexpr float kPower = 10.0f;    // 1.0 mm track
constexpr float kSilkLine = 1.5f;  // 0.15 mm silk line
constexpr float kRefSize = 12.0f;  // 1.2 mm lettering

struct Layers {
    explicit Layers(const TVemoDocument& doc) {
        const TVemoLayerList& list = doc.GetLayerList();
        solder = list.Find("solder");
        component = list.Find("component");
        silk = list.Find("place_cmp");
        hole = list.Find("hole");
        dimension = list.Find("dimension");
        stopSolder = list.Find("stop_sol");
        stopComponent = list.Find("stop_cmp");
    }
    TVemoLayerPtr solder, component, silk, hole, dimension, stopSolder, stopComponent;
};

void Add(TVemoContainer& to, std::unique_ptr<TVemoObject> object) {
    to.AddChild(std::move(object));
}

std::unique_ptr<TVemoPath> Track(const std::vector<PointF>& anchors, float width, const TVemoLayerPtr& layer,
                                 int cap = geom::CapRound) {
    auto track = Polyline(anchors, false);
    TVemoSurface style(width, false, false);
    style.SetCap(cap);
    track->SetSurface(style);
    track->SetLayer(layer);
    return track;
}

std::unique_ptr<TVemoPath> SilkBox(PointF a, PointF b, const TVemoLayerPtr& layer) {
    auto box = Polyline({a, {b.x, a.y}, b, {a.x, b.y}}, true);
    box->SetSurface(TVemoSurface(kSilkLine, false, false));
    box->SetLayer(layer);
    return box;
}

// A through-hole land with its drill mark; pin 1 of a part gets a square land.
void ThroughHole(TVemoContainer& to, const Layers& l, PointF c, bool square) {
    if (square)
        Add(to, SquarePad(c, kLand, kLand, 0, l.solder));
    else
        Add(to, RoundPad(c, kLand, l.solder));
    Add(to, RoundPad(c, kDrill, l.hole));
}

// An eight-pin DIP centred on c, pins 1-4 down the left side.
std::unique_ptr<TVemoGroup> Dip8(const Layers& l, PointF c, const std::u16string& ref) {
    auto part = std::make_unique<TVemoGroup>();
    const float row = 3 * kPitch;  // 7.62 mm between the rows
    for (int i = 0; i < 4; ++i) {
        const float y = c.y + (float(i) - 1.5f) * kPitch;
        ThroughHole(*part, l, {c.x - row / 2, y}, i == 0);
        ThroughHole(*part, l, {c.x + row / 2, y}, false);
    }
    const float w = row - 30, h = 4 * kPitch + 2;
    auto body = Polyline({{c.x - w / 2, c.y - h / 2},
                          {c.x - 6, c.y - h / 2},
                          {c.x, c.y - h / 2 + 6},
                          {c.x + 6, c.y - h / 2},
                          {c.x + w / 2, c.y - h / 2},
                          {c.x + w / 2, c.y + h / 2},
                          {c.x - w / 2, c.y + h / 2}},
                         true);
    body->SetSurface(TVemoSurface(kSilkLine, false, false));
    body->SetLayer(l.silk);
    Add(*part, std::move(body));
    Add(*part, Label({c.x - row / 2 - 8, c.y - h / 2 - 34}, ref, kRefSize, l.silk));
    part->SetName("DIP-8");
    return part;
}

// An axial resistor with 0.4 inch lead spacing from a to the right.
std::unique_ptr<TVemoGroup> Resistor(const Layers& l, PointF a, const std::u16string& ref) {
    auto part = std::make_unique<TVemoGroup>();
    const PointF b{a.x + 4 * kPitch, a.y};
    ThroughHole(*part, l, a, false);
    ThroughHole(*part, l, b, false);
    Add(*part, SilkBox({a.x + 22, a.y - 9}, {b.x - 22, b.y + 9}, l.silk));
    Add(*part, Track({{a.x + 12, a.y}, {a.x + 22, a.y}}, kSilkLine, l.silk));
    Add(*part, Track({{b.x - 22, b.y}, {b.x - 12, b.y}}, kSilkLine, l.silk));
    Add(*part, Label({a.x + 30, a.y - 26}, ref, kRefSize, l.silk));
    part->SetName("resistor");
    return part;
}

// A 1608 (0603) chip on the component side, pads 1.6 mm apart.
std::unique_ptr<TVemoGroup> Chip1608(const Layers& l, PointF c, const std::u16string& ref) {
    auto part = std::make_unique<TVemoGroup>();
    Add(*part, SquarePad({c.x - 8, c.y}, 8, 9, 0, l.component));
    Add(*part, SquarePad({c.x + 8, c.y}, 8, 9, 0, l.component));
    Add(*part, Track({{c.x - 3, c.y - 8}, {c.x + 3, c.y - 8}}, kSilkLine, l.silk));
    Add(*part, Track({{c.x - 3, c.y + 8}, {c.x + 3, c.y + 8}}, kSilkLine, l.silk));
    Add(*part, Label({c.x - 10, c.y - 26}, ref, kRefSize, l.silk));
    part->SetName("r1608");
    return part;
}

// A single row of four pins, pin 1 at the top.
std::unique_ptr<TVemoGroup> Header4(const Layers& l, PointF top, const std::u16string& ref) {
    auto part = std::make_unique<TVemoGroup>();
    for (int i = 0; i < 4; ++i) ThroughHole(*part, l, {top.x, top.y + float(i) * kPitch}, i == 0);
    Add(*part, SilkBox({top.x - 13, top.y - 13}, {top.x + 13, top.y + 3 * kPitch + 13}, l.silk));
    Add(*part, Label({top.x - 13, top.y - 32}, ref, kRefSize, l.silk));
    part->SetName("connector");
    return part;
}

// ---- the starter set: pads and library parts for either side of a board

constexpr float kResist = 2.0f;  // the solder resist opening is 0.2 mm wider than its copper

// A plated through-hole land: copper and resist opening on both sides, the drill.
void Land(TVemoContainer& to, const Layers& l, PointF c, float land, float drill, bool square) {
    const auto shape = [&](float size, const TVemoLayerPtr& layer) -> std::unique_ptr<TVemoObject> {
        if (square) return SquarePad(c, size, size, 0, layer);
        return RoundPad(c, size, layer);
    };
    for (const TVemoLayerPtr& copper : {l.solder, l.component}) Add(to, shape(land, copper));
    for (const TVemoLayerPtr& resist : {l.stopSolder, l.stopComponent})
        Add(to, shape(land + kResist, resist));
    Add(to, RoundPad(c, drill, l.hole));
}

// A closed path there and back between two points: its round joins make the
// half circles of a slot, and the Gerber writers flash it as one obround land
// (an open stroke of the same shape is a track).
std::unique_ptr<TVemoPath> Slot(PointF a, PointF b, float width, const TVemoLayerPtr& layer) {
    auto slot = Polyline({a, b}, true);
    slot->SetSurface(TVemoSurface(width, false, false));
    slot->SetLayer(layer);
    return slot;
}

// An oblong land along x, w long and h high, over a drill.
void OblongLand(TVemoContainer& to, const Layers& l, PointF c, float w, float h, float drill) {
    const float half = (w - h) / 2;
    for (const TVemoLayerPtr& copper : {l.solder, l.component})
        Add(to, Slot({c.x - half, c.y}, {c.x + half, c.y}, h, copper));
    for (const TVemoLayerPtr& resist : {l.stopSolder, l.stopComponent})
        Add(to, Slot({c.x - half, c.y}, {c.x + half, c.y}, h + kResist, resist));
    Add(to, RoundPad(c, drill, l.hole));
}

// A surface-mount land on the component side with its resist opening.
void SmdLand(TVemoContainer& to, const Layers& l, PointF c, float w, float h) {
    Add(to, SquarePad(c, w, h, 0, l.component));
    Add(to, SquarePad(c, w + kResist, h + kResist, 0, l.stopComponent));
}

void Silk(TVemoContainer& to, const Layers& l, const std::vector<PointF>& outline, bool closed) {
    auto line = Polyline(outline, closed);
    line->SetSurface(TVemoSurface(kSilkLine, false, false));
    line->SetLayer(l.silk);
    Add(to, std::move(line));
}

void Circle(TVemoContainer& to, const Layers& l, PointF c, float r) {
    auto circle = std::make_unique<TVemoEllipse>();
    const TVemoShape::LocalPoints local{PointF(0, 0), PointF(r, 0), PointF(0, r), PointF(-r, 0),
                                        PointF(0, -r)};
    Matrix placement;
    placement.Translate(c.x, c.y);
    circle->SetSurface(TVemoSurface(kSilkLine, false, false));
    circle->SetLayer(l.silk);
    circle->SetData(local, placement);
    Add(to, std::move(circle));
}

// A DIP of pins pins centred on the origin: 2.54 mm pitch, rows 7.62 mm apart,
// pin 1 (square) at the top left, the notch at the top.
void StarterDip(TVemoContainer& to, const Layers& l, int pins) {
    const int side = pins / 2;
    const float row = 3 * kPitch;
    for (int i = 0; i < side; ++i) {
        const float y = (float(i) - float(side - 1) / 2) * kPitch;
        Land(to, l, {-row / 2, y}, kLand, kDrill, i == 0);
        Land(to, l, {row / 2, y}, kLand, kDrill, false);
    }
    const float w = row - 30, h = float(side) * kPitch + 2;
    Silk(to, l,
         {{-w / 2, -h / 2},
          {-6, -h / 2},
          {0, -h / 2 + 6},
          {6, -h / 2},
          {w / 2, -h / 2},
          {w / 2, h / 2},
          {-w / 2, h / 2}},
         true);
}

// A pin header of rows x columns at 2.54 mm centred on the origin, pin 1 (square) at the top left.
void StarterHeader(TVemoContainer& to, const Layers& l, int rows, int columns) {
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            Land(to, l,
                 {(float(c) - float(columns - 1) / 2) * kPitch, (float(r) - float(rows - 1) / 2) * kPitch},
                 kLand, 10.0f, r == 0 && c == 0);
    const float w = float(columns) * kPitch / 2, h = float(rows) * kPitch / 2;
    Silk(to, l, {{-w, -h}, {w, -h}, {w, h}, {-w, h}}, true);
}

// An axial resistor: leads 10.16 mm apart, a 6.3 x 2.5 mm body.
void StarterResistor(TVemoContainer& to, const Layers& l) {
    const float half = 2 * kPitch;
    Land(to, l, {-half, 0}, kLand, kDrill, false);
    Land(to, l, {half, 0}, kLand, kDrill, false);
    Silk(to, l, {{-31.5f, -12.5f}, {31.5f, -12.5f}, {31.5f, 12.5f}, {-31.5f, 12.5f}}, true);
    Silk(to, l, {{-half + 12, 0}, {-31.5f, 0}}, false);
    Silk(to, l, {{31.5f, 0}, {half - 12, 0}}, false);
}

// A ceramic capacitor: two leads pitch apart under a flat body.
void StarterCeramic(TVemoContainer& to, const Layers& l, float pitch) {
    Land(to, l, {-pitch / 2, 0}, kLand, kDrill, false);
    Land(to, l, {pitch / 2, 0}, kLand, kDrill, false);
    const float w = pitch / 2 + 15, h = 12.5f;
    Silk(to, l, {{-w, -h}, {w, -h}, {w, h}, {-w, h}}, true);
}

// A radial electrolytic capacitor of body diameter d and lead pitch; "+" by the square plus lead.
void StarterElectrolytic(TVemoContainer& to, const Layers& l, float d, float pitch) {
    Land(to, l, {-pitch / 2, 0}, kLand, kDrill, true);
    Land(to, l, {pitch / 2, 0}, kLand, kDrill, false);
    Circle(to, l, {0, 0}, d / 2 + 2);
    const float x = -d / 2 - 8;
    Silk(to, l, {{x - 5, -d / 2}, {x + 5, -d / 2}}, false);
    Silk(to, l, {{x, -d / 2 - 5}, {x, -d / 2 + 5}}, false);
}

// A two-terminal chip: lands w x h with centres apart, the body marked between them.
void StarterChip(TVemoContainer& to, const Layers& l, float apart, float w, float h) {
    SmdLand(to, l, {-apart / 2, 0}, w, h);
    SmdLand(to, l, {apart / 2, 0}, w, h);
    const float x = apart / 2 - w / 2 - 3, y = h / 2 + 3;
    if (x > 1) {
        Silk(to, l, {{-x, -y}, {x, -y}}, false);
        Silk(to, l, {{-x, y}, {x, y}}, false);
    }
}

// SOT-23: pins 1 and 2 at the bottom 1.9 mm apart, pin 3 at the top, rows 2.2 mm apart.
void StarterSot23(TVemoContainer& to, const Layers& l) {
    SmdLand(to, l, {-9.5f, 11}, 6, 10);
    SmdLand(to, l, {9.5f, 11}, 6, 10);
    SmdLand(to, l, {0, -11}, 6, 10);
    Silk(to, l, {{-14.5f, -4}, {-14.5f, 4}}, false);
    Silk(to, l, {{14.5f, -4}, {14.5f, 4}}, false);
}

// A library or pad file: one part made around the origin, the design area around it.
TDemoFile StarterFile(const std::string& path,
                      const std::function<void(TVemoContainer&, const Layers&)>& make,
                      const std::u16string& ref = {}, bool pinOneAtOrigin = false) {
    auto doc = std::make_unique<TVemoDocument>();
    const Layers l(*doc);
    TVemoPart& root = doc->GetRoot();
    make(root, l);
    root.Rebuild();
    RectF b;
    if (pinOneAtOrigin && root.GetChildCount() > 0) {
        // Each part draws pin 1 first: its land's middle becomes the origin, so
        // a part placed on a grid point has every pin on the 2.54 mm grid.
        // Pin 1's drill is a path of one point: that point, not an outline's
        // bounds (a flattened circle is not quite symmetric), is the pin. A
        // surface-mount part has no drill: its first land's middle.
        root.GetChild(0)->GetBounds(b);
        PointF pin(b.x + b.width / 2, b.y + b.height / 2);
        for (int i = 0; i < root.GetChildCount(); ++i) {
            const auto* drill = dynamic_cast<const TVemoPath*>(root.GetChild(i));
            if (drill && drill->GetLayer() == l.hole && !drill->GetPoints().empty()) {
                pin = drill->GetPoints()[0];
                break;
            }
        }
        const float dx = -pin.x, dy = -pin.y;
        for (int i = 0; i < root.GetChildCount(); ++i) root.GetChild(i)->Translate(dx, dy);
        root.Rebuild();
    }
    root.GetBounds(b);
    if (!ref.empty()) {
        Add(root, Label({b.x, b.y - 18}, ref, kRefSize, l.silk));
        root.Rebuild();
        root.GetBounds(b);
    }
    // Whole millimetres around the part and one more.
    const float extent = std::max({-b.x, b.x + b.width, -b.y, b.y + b.height, 40.0f});
    const float half = float(units::FromMm(std::ceil(units::ToMm(extent)) + 1.0));
    doc->SetAreaOrigin(-half, -half);
    doc->SetAreaSize(2 * half, 2 * half);
    return {path, std::move(doc)};
}

std::unique_ptr<TVemoDocument> DemoBoard() {
    auto doc = std::make_unique<TVemoDocument>();
    const Layers l(*doc);
    TVemoPart& root = doc->GetRoot();
    doc->SetAreaOrigin(0, 0);
    doc->SetAreaSize(800, 600);

    // Outline, rounded off by mounting holes in the corners.
    auto outline = Polyline({{0, 0}, {800, 0}, {800, 600}, {0, 600}}, true);
    outline->SetSurface(TVemoSurface(2.0f, false, false));
    outline->SetLayer(l.dimension);
    Add(root, std::move(outline));
    for (const PointF c : {PointF(40, 40), PointF(760, 40), PointF(760, 560), PointF(40, 560)}) {
        Add(root, RoundPad(c, 60, l.solder));
        Add(root, RoundPad(c, 32, l.hole));
    }

    // The circuit: a timer IC fed from a four-pin connector, two resistors, a chip capacitor.
    const PointF u1{420, 300};
    Add(root, Dip8(l, u1, u"U1  NE555"));
    const float left = u1.x - 3 * kPitch / 2, right = u1.x + 3 * kPitch / 2;
    auto pin = [&](int n) {  // DIP numbering: 1-4 down the left, 5-8 up the right
        return n <= 4 ? PointF{left, u1.y + (float(n) - 2.5f) * kPitch}
                      : PointF{right, u1.y + (float(8 - n) - 1.5f) * kPitch};
    };
    const PointF j1{100, 240};
    Add(root, Header4(l, j1, u"J1"));
    auto jpin = [&](int n) { return PointF{j1.x, j1.y + float(n - 1) * kPitch}; };
    const PointF r1{540, 180}, r2{540, 420};
    Add(root, Resistor(l, r1, u"R1 10k"));
    Add(root, Resistor(l, r2, u"R2 47k"));
    const PointF c1{300, 460};
    Add(root, Chip1608(l, c1, u"C1"));

    // Power on the solder side in wide tracks, signals narrower.
    Add(root, Track({jpin(1), {160, jpin(1).y}, {200, 200}, {pin(8).x, 200}, pin(8)}, kPower, l.solder));
    Add(root, Track({pin(8), {right + 40, pin(8).y}, {r1.x - 10, r1.y + 30}, r1}, kPower, l.solder));
    Add(root, Track({jpin(2), {180, jpin(2).y}, {220, 305}, {300, 305}, {pin(1).x - 40, pin(1).y}, pin(1)},
                    kPower, l.solder));
    Add(root, Track({pin(4), {right + 30, pin(4).y - 70}, pin(8)}, kSignal, l.solder));
    Add(root,
        Track({jpin(3), {200, jpin(3).y}, {230, 380}, {pin(3).x - 40, 380}, pin(3)}, kSignal, l.solder));
    Add(root, Track({{r1.x + 4 * kPitch, r1.y}, {700, r1.y}, {700, r2.y}, {r2.x + 4 * kPitch, r2.y}}, kSignal,
                    l.solder));
    Add(root,
        Track({pin(7), {r1.x + 4 * kPitch - 30, pin(7).y}, {r1.x + 4 * kPitch, r1.y}}, kSignal, l.solder));
    Add(root, Track({pin(6), {right + 30, pin(6).y}, r2}, kSignal, l.solder));
    auto curve = CurvedTrack(pin(2), {c1.x + 8, c1.y}, 0.25f);
    curve->SetSurface(TVemoSurface(kSignal, false, false));
    curve->SetLayer(l.component);
    Add(root, std::move(curve));
    Add(root, Track({{c1.x - 8, c1.y}, {240, c1.y}, {240, jpin(2).y + 60}, jpin(2)}, kSignal, l.component,
                    geom::CapSquare));
    Add(root, Track({jpin(4),
                     {160, jpin(4).y},
                     {160, 520},
                     {600, 520},
                     {650, 470},
                     {650, pin(5).y},
                     {right + 40, pin(5).y},
                     pin(5)},
                    kSignal, l.component));

    // A ground area in the lower right with a clearance around the mounting hole.
    auto pour = Polyline({{590, 470}, {740, 470}, {740, 520}, {700, 580}, {590, 580}}, true);
    pour->SetSurface(TVemoSurface(2.0f, true, false));
    pour->SetLayer(l.solder);
    Add(root, std::move(pour));
    Add(root, Disc({760, 560}, 38, 38, true, l.solder));

    // Lettering on the silk screen: board name, a Japanese title, the connector's pins.
    Add(root, Label({500, 40}, u"zelko demo", 30, l.silk));
    Add(root, Label({500, 80}, u"タイマー基板 rev.1", 20, l.silk));
    const char16_t* names[] = {u"+5V", u"GND", u"TRIG", u"OUT"};
    for (int i = 0; i < 4; ++i) Add(root, Label({j1.x - 70, jpin(i + 1).y - 6}, names[i], 10, l.silk));

    root.Rebuild();
    return doc;
}

}  // namespace

std::vector<TDemoFile> BuildDemoContent() {
    std::vector<TDemoFile> files;
    files.push_back({"examples/demo.vbf", DemoBoard()});
    // Pads: through-hole lands (copper and resist on both sides, the drill),
    // a via, an oblong DIP land and surface-mount lands.
    const auto land = [](float size, float drill, bool square) {
        return [=](TVemoContainer& to, const Layers& l) { Land(to, l, {0, 0}, size, drill, square); };
    };
    files.push_back(StarterFile("pad/round-1.6.vbf", land(16, 8, false)));
    files.push_back(StarterFile("pad/round-2.0.vbf", land(20, 10, false)));
    files.push_back(StarterFile("pad/round-2.5.vbf", land(25, 10, false)));
    files.push_back(StarterFile("pad/square-1.6.vbf", land(16, 8, true)));
    files.push_back(StarterFile("pad/square-2.0.vbf", land(20, 10, true)));
    files.push_back(StarterFile("pad/via-1.0.vbf", land(10, 5, false)));
    files.push_back(StarterFile("pad/dip-oblong.vbf", [](TVemoContainer& to, const Layers& l) {
        OblongLand(to, l, {0, 0}, 24, 16, 8);
    }));
    files.push_back(StarterFile("pad/smd-1.5x0.8.vbf", [](TVemoContainer& to, const Layers& l) {
        SmdLand(to, l, {0, 0}, 15, 8);
    }));
    files.push_back(StarterFile("pad/smd-2.0x1.2.vbf", [](TVemoContainer& to, const Layers& l) {
        SmdLand(to, l, {0, 0}, 20, 12);
    }));

    // Library parts, each with pin 1 on the origin.
    for (int pins : {8, 14, 16})
        files.push_back(StarterFile(
            "lib/dip" + std::to_string(pins) + ".vbf",
            [pins](TVemoContainer& to, const Layers& l) { StarterDip(to, l, pins); }, u"U", true));
    files.push_back(StarterFile("lib/resistor.vbf", StarterResistor, u"R", true));
    files.push_back(StarterFile(
        "lib/capacitor-2.54.vbf", [](TVemoContainer& to, const Layers& l) { StarterCeramic(to, l, kPitch); },
        u"C", true));
    files.push_back(StarterFile(
        "lib/capacitor-5.08.vbf",
        [](TVemoContainer& to, const Layers& l) { StarterCeramic(to, l, 2 * kPitch); }, u"C", true));
    files.push_back(StarterFile(
        "lib/electrolytic-5mm.vbf",
        [](TVemoContainer& to, const Layers& l) { StarterElectrolytic(to, l, 50, 20); }, u"C", true));
    files.push_back(StarterFile(
        "lib/electrolytic-8mm.vbf",
        [](TVemoContainer& to, const Layers& l) { StarterElectrolytic(to, l, 80, 35); }, u"C", true));
    // Headers named rows x pins per row, standing upright: 1x4 is one column of four.
    // (Not a structured binding: clang before 16 cannot capture one in a lambda.)
    for (const auto& size : {std::pair{1, 2}, {1, 4}, {2, 5}}) {
        const int across = size.first, down = size.second;
        files.push_back(StarterFile(
            "lib/header-" + std::to_string(across) + "x" + std::to_string(down) + ".vbf",
            [across, down](TVemoContainer& to, const Layers& l) { StarterHeader(to, l, down, across); }, u"J",
            true));
    }
    files.push_back(StarterFile(
        "lib/smd/r1608.vbf", [](TVemoContainer& to, const Layers& l) { StarterChip(to, l, 16, 8, 9); }, u"R",
        true));
    files.push_back(StarterFile(
        "lib/smd/r2012.vbf", [](TVemoContainer& to, const Layers& l) { StarterChip(to, l, 19, 11, 14); },
        u"R", true));
    files.push_back(StarterFile("lib/smd/sot23.vbf", StarterSot23, u"Q", true));
    return files;
}
