#pragma once
// Pointer gestures in document units on the fixture's window, which is
// 200 x 100 pixels at zoom 1 without pan: document point (x, y) lies under
// pixel (x + 100, y + 50). Snapping is off unless a test turns it on; the
// grid pitch is 10.

#include <memory>
#include <vector>

#include "model/Vemodocument.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "tests/states/Statefixture.h"

class GestureTest : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        Doc().ClearViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
        Doc().SetGrid(10.0);
    }
    TVemoDocument& Doc() { return context->Document(); }
    TVemoPart& Root() { return context->RootObject(); }
    TVemoEventState* Current() { return context->CurrentState(); }
    std::size_t Steps() { return context->History().Count(); }
    // The document as it is becomes the oldest undo state, as if it had been opened so.
    void Settled() { context->History().Restart(Doc()); }

    void Press(TShiftState shift, PointF p) { context->MouseDown(shift, int(p.x) + 100, int(p.y) + 50); }
    void Drag(TShiftState shift, PointF p) { context->MouseMove(shift, int(p.x) + 100, int(p.y) + 50); }
    void Release(TShiftState shift, PointF p) { context->MouseUp(shift, int(p.x) + 100, int(p.y) + 50); }
    void Click(TShiftState shift, PointF p) {
        Press(shift, p);
        Release(shift & ~TShiftState(ssLeft | ssRight), p);
    }

    // A path through the anchors with the given points (anchor, outgoing,
    // incoming of the next, ... as the path stores them), pen 2, not selected.
    TVemoPath* AddPathPoints(const std::vector<PointF>& pts, const std::vector<unsigned char>& types,
                             bool closed) {
        auto path = std::make_unique<TVemoPath>();
        EXPECT_TRUE(path->SetData(pts, types, closed));
        path->SetLayer(Doc().GetLayerList().Current());
        path->SetSurface(TVemoSurface(2.0f, false, false));
        path->Rebuild();
        path->Deselect();
        auto* added = static_cast<TVemoPath*>(Root().AddChild(std::move(path)));
        Settled();
        return added;
    }
    // An open polyline through the anchors (handles on their anchors, smooth type).
    TVemoPath* AddPolyline(const std::vector<PointF>& anchors, bool closed = false) {
        std::vector<PointF> pts;
        for (std::size_t k = 0; k < anchors.size(); ++k) {
            const PointF next = k + 1 < anchors.size() ? anchors[k + 1] : anchors[0];
            pts.insert(pts.end(), {anchors[k], anchors[k], next});
        }
        return AddPathPoints(pts, std::vector<unsigned char>(pts.size(), TVemoPath::TypeSmooth), closed);
    }
    static std::vector<PointF> Anchors(const TVemoPath& path) {
        const std::vector<PointF>& all = path.GetPoints().Vector();
        std::vector<PointF> out;
        for (std::size_t i = 0; i < all.size(); i += 3) out.push_back(all[i]);
        return out;
    }
    static std::vector<PointF> Points(const TVemoPath& path) { return path.GetPoints().Vector(); }
};
