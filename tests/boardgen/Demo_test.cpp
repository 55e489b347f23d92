#include <cmath>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "archive/Safefile.h"
#include "archive/Vemodocumentfile.h"
#include "boardgen/Demo.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"

namespace {

const std::filesystem::path kRepository = std::filesystem::path(ZELKO_TEST_DATA).parent_path().parent_path();

// The shipped files are remade by zelko_make_demo; a change to the demo code
// without remaking them (or an edit of the files by hand) shows up here.
TEST(Demo, CheckedInFilesAreWhatTheDemoCodeMakes) {
    const auto files = BuildDemoContent();
    ASSERT_EQ(files.size(), 24u);
    for (const TDemoFile& file : files) {
        std::string bytes, error;
        ASSERT_TRUE(ReadWholeFile((kRepository / file.path).string(), bytes, error))
            << file.path << ": " << error;
        EXPECT_TRUE(bytes == DocumentBytes(*file.document))
            << file.path << " differs: run zelko_make_demo on the repository";
    }
}

TEST(Demo, PartsSitAroundTheOriginAndTheBoardInsideItsArea) {
    for (const TDemoFile& file : BuildDemoContent()) {
        const TVemoDocument& doc = *file.document;
        ASSERT_GT(doc.GetRoot().GetChildCount(), 0) << file.path;
        RectF bounds;
        doc.GetRoot().GetBounds(bounds);
        const RectF& area = doc.GetAreaRect();
        EXPECT_GE(bounds.Left(), area.Left() - 1) << file.path;
        EXPECT_GE(bounds.Top(), area.Top() - 1) << file.path;
        EXPECT_LE(bounds.Right(), area.Right() + 1) << file.path;
        EXPECT_LE(bounds.Bottom(), area.Bottom() + 1) << file.path;
        if (file.path.rfind("pad/", 0) == 0) {
            // A placed pad lands where the user clicks: its middle is the origin.
            EXPECT_NEAR(bounds.x + bounds.width / 2, 0, 30) << file.path;
            EXPECT_NEAR(bounds.y + bounds.height / 2, 0, 30) << file.path;
        } else if (file.path.rfind("lib/", 0) == 0) {
            // A placed part puts its pin 1 where the user clicks.
            RectF pin1;
            doc.GetRoot().GetChild(0)->GetBounds(pin1);
            EXPECT_NEAR(pin1.x + pin1.width / 2, 0, 0.01) << file.path;
            EXPECT_NEAR(pin1.y + pin1.height / 2, 0, 0.01) << file.path;
        }
    }
}

// The drills of a file (centres), and the copper lands by layer.
struct Holes {
    std::vector<PointF> centres;
    int component = 0, solder = 0, resist = 0;
};
Holes HolesOf(const TVemoDocument& doc) {
    Holes h;
    const TVemoPart& root = doc.GetRoot();
    for (int i = 0; i < root.GetChildCount(); ++i) {
        const TVemoObject& o = *root.GetChild(i);
        const std::string layer = o.GetLayer() ? o.GetLayer()->GetName() : "";
        RectF b;
        o.GetBounds(b);
        // A drill is a path of one point: that point is the centre (the bounds
        // of its flattened circle are off by a hundredth of a unit).
        const auto* dot = dynamic_cast<const TVemoPath*>(&o);
        if (layer == "hole")
            h.centres.push_back(dot && !dot->GetPoints().empty()
                                    ? dot->GetPoints()[0]
                                    : PointF{b.x + b.width / 2, b.y + b.height / 2});
        h.component += layer == "component";
        h.solder += layer == "solder";
        h.resist += layer == "stop_cmp" || layer == "stop_sol";
    }
    return h;
}

// The starter parts have their real dimensions (0.1 mm units): pin counts,
// pitch and the distance between the first and the last pin.
TEST(Demo, StarterPartsHaveRealWorldPitches) {
    struct Case {
        const char* path;
        int holes, smdLands;
        float firstToLastX, firstToLastY;
    } const cases[] = {
        {"lib/dip8.vbf", 8, 0, 76.2f, 0},  // pin 1 top left, pin 8 top right: 7.62 mm rows
        {"lib/dip14.vbf", 14, 0, 76.2f, 0},
        {"lib/dip16.vbf", 16, 0, 76.2f, 0},
        {"lib/resistor.vbf", 2, 0, 101.6f, 0},  // 10.16 mm lead spacing
        {"lib/capacitor-2.54.vbf", 2, 0, 25.4f, 0},
        {"lib/capacitor-5.08.vbf", 2, 0, 50.8f, 0},
        {"lib/electrolytic-5mm.vbf", 2, 0, 20.0f, 0},
        {"lib/header-1x2.vbf", 2, 0, 0, 25.4f},
        {"lib/header-1x4.vbf", 4, 0, 0, 76.2f},
        {"lib/header-2x5.vbf", 10, 0, 25.4f, 101.6f},
        {"lib/smd/r1608.vbf", 0, 2, 0, 0},
        {"lib/smd/r2012.vbf", 0, 2, 0, 0},
        {"lib/smd/sot23.vbf", 0, 3, 0, 0},
        {"pad/round-1.6.vbf", 1, 0, 0, 0},
        {"pad/smd-1.5x0.8.vbf", 0, 1, 0, 0},
    };
    const auto files = BuildDemoContent();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto it =
            std::find_if(files.begin(), files.end(), [&](const TDemoFile& f) { return f.path == c.path; });
        ASSERT_NE(it, files.end());
        const Holes h = HolesOf(*it->document);
        ASSERT_EQ(int(h.centres.size()), c.holes);
        // Through-hole lands on both sides with resist; surface lands on the component side.
        EXPECT_EQ(h.solder, c.holes);
        EXPECT_EQ(h.component, c.holes + c.smdLands);
        EXPECT_EQ(h.resist, 2 * c.holes + c.smdLands);
        if (c.holes < 2) continue;
        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (const PointF& p : h.centres) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
        EXPECT_NEAR(maxX - minX, c.firstToLastX, 0.01);
        // DIPs: pins in rows at 2.54 mm.
        const bool dip = std::string(c.path).find("dip") != std::string::npos;
        const int perRow = c.holes / 2;
        EXPECT_NEAR(maxY - minY, dip ? float(perRow - 1) * 25.4f : c.firstToLastY, 0.01);
        // Pin 1 on the origin: a part of 2.54 mm pitch has every pin on the 2.54 mm grid.
        if (std::fmod(c.firstToLastX, 25.4f) < 0.01f && std::fmod(c.firstToLastY, 25.4f) < 0.01f) {
            for (const PointF& p : h.centres) {
                EXPECT_NEAR(std::remainder(p.x, 25.4f), 0, 1e-4) << p.x;
                EXPECT_NEAR(std::remainder(p.y, 25.4f), 0, 1e-4) << p.y;
            }
        }
    }
}

}  // namespace
