// Build step: draws the version artwork, the board shown by the version box,
// and writes it as a document: zelko_make_version OUT.vbf [DEFAULT.vbf]
// With a second file it also writes the starter board the editor opens when
// started without a file: the usual layers and a 100 x 80 mm board outline.
// The box relies on a layer "zelko_back" and a text "zelko_version", which it
// replaces by the program's version.

#include <cstdio>

#include <QGuiApplication>

#include "archive/Vemodocumentfile.h"
#include "boardgen/Shapes.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "model/Vemosurface.h"

namespace {

using namespace boardgen;

std::unique_ptr<TVemoDocument> Artwork() {
    auto doc = std::make_unique<TVemoDocument>();
    doc->SetAreaOrigin(0, 0);
    doc->SetAreaSize(800, 400);
    TVemoLayerList& layers = doc->GetLayerList();
    layers.Clear();
    const auto layer = [&](const char* name, Argb colour) {
        auto l = std::make_shared<TVemoLayer>(colour, name);
        l->SetFlags(TVemoLayer::FlagVisible | TVemoLayer::FlagOpaque);
        layers.Insert(l);
        return l;
    };
    // Inserted bottom first: each goes in front of the one before.
    const TVemoLayerPtr back = layer("zelko_back", 0xFF1E5B3Cu);
    const TVemoLayerPtr copper = layer("zelko_copper", 0xFFD9A441u);
    const TVemoLayerPtr silk = layer("zelko_silk", 0xFFF4F4F0u);
    TVemoPart& root = doc->GetRoot();

    root.AddChild(SquarePad({400, 200}, 800, 400, 0, back));
    // A few tracks and lands along the right, as on a real board.
    const PointF lands[] = {{600, 70}, {700, 70}, {600, 150}, {700, 150}, {560, 320}, {740, 320}};
    for (PointF c : lands) {
        root.AddChild(RoundPad(c, 34, copper));
        root.AddChild(Disc(c, 7, 7, true, copper));  // the drill, cut out of the land
    }
    const auto track = [&](const std::vector<PointF>& points) {
        auto t = Polyline(points, false);
        TVemoSurface style(12.0f, false, false);
        style.SetCap(geom::CapRound);
        t->SetSurface(style);
        t->SetLayer(copper);
        root.AddChild(std::move(t));
    };
    track({{600, 87}, {600, 133}});
    track({{700, 87}, {700, 120}, {650, 170}, {650, 260}, {740, 303}});
    track({{600, 167}, {600, 250}, {560, 303}});
    track({{40, 360}, {480, 360}, {520, 320}, {543, 320}});

    root.AddChild(Label({40, 60}, u"zelko", 120, silk));
    root.AddChild(Label({44, 200}, u"printed-circuit-board artwork", 30, silk));
    root.AddChild(Label({44, 250}, u"zelko_version", 30, silk));
    layers.SetCurrentByName("zelko_silk");
    root.Rebuild();
    return doc;
}

std::unique_ptr<TVemoDocument> StarterBoard() {
    auto doc = std::make_unique<TVemoDocument>();
    doc->SetAreaOrigin(0, 0);
    doc->SetAreaSize(1000, 800);
    auto outline = Polyline({{0, 0}, {1000, 0}, {1000, 800}, {0, 800}}, true);
    outline->SetSurface(TVemoSurface(2.0f, false, false));
    outline->SetLayer(doc->GetLayerList().Find("dimension"));
    doc->GetRoot().AddChild(std::move(outline));
    doc->GetRoot().Rebuild();
    return doc;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);  // text outlines need the fonts
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: zelko_make_version OUT.vbf [DEFAULT.vbf]\n");
        return 2;
    }
    std::string error;
    if (!WriteDocumentFile(*Artwork(), argv[1], error) ||
        (argc == 3 && !WriteDocumentFile(*StarterBoard(), argv[2], error))) {
        std::fprintf(stderr, "zelko_make_version: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
