#pragma once
// A chain of cubic Bezier segments, open or closed, stroked with the pen of its
// surface and optionally filled: tracks, lands, board outlines and polygons.
//
// Points form a ring whose length is a multiple of 3. For node k, index 3k is
// the anchor, 3k+1 its outgoing handle and 3k+2 the incoming handle of the next
// anchor, so the last point is the incoming handle of anchor 0. Segment k uses
// points 3k … 3k+3. An open path draws its first n−2 points (the closing
// segment's handles stay in the ring); a closed path draws all of them and
// point 0 again. Every point has a type byte (Type* bits).
//
// The cached outline (stroke and fill as one area under the nonzero rule) is
// what drawing, hit testing, merging and export use; Rebuild recomputes it after
// every change.

#include <cstddef>
#include <string_view>
#include <vector>

#include "model/Ringvector.h"
#include "model/Vemoinstance.h"

class TVemoPath : public TVemoInstance {
public:
    // Type byte bits.
    static constexpr unsigned char TypeSelected = 0x01;  // anchor: node selected; handle: the active handle
    static constexpr unsigned char TypeSmooth = 0x02;    // the opposite handle follows a moved one
    static constexpr unsigned char TypeCurved = 0x04;    // the handles are pulled out of the anchor

    TVemoPath();
    // Copies the common state, layer, surface, points, types and closed flag, then
    // rebuilds. The copy is not being edited: no node or handle is selected in it.
    TVemoPath(const TVemoPath& other);

    TVemoPath* Clone() const override;
    std::string_view GetTag() const override { return "PATH"; }

    void Rebuild() override;
    // Appends the outline (flattened at 1.0, stroke and fill united) to path and
    // replaces path by its winding outline.
    void AddOutline(GraphicsPath& path, int layerIndex) const override;
    void GetBounds(RectF& bounds) const override;

    void DrawFill(TVemoGraphics* graphics, int layerIndex) const override;
    void PrefetchForDrawing(int stage) const override { PrefetchOutline(stage, outline_, bounds_); }
    void DrawDecorations(TVemoGraphics* graphics) const override;
    void DrawMask(TVemoGraphics* graphics, int layerIndex) const override;

    bool HitPoint(PointF p) const override;
    bool HitRect(const RectF& rect, TVemoGraphics* graphics) const override;
    bool HitPath(const GraphicsPath& path, const RectF& pathBounds, TVemoGraphics* graphics) const override;
    bool HitSelected(PointF p) const override;
    // Both end any point editing first.
    void Select() override;
    void Deselect() override;

    int HitHandle(PointF p, float tol) const override;
    int AnchorsInRect(const RectF& rect) const override;
    int HitSelectedAnchor(PointF p, float tol) const override;
    int PickHandle(PointF p, float tol) override;
    int SelectAnchorsInRect(const RectF& rect) override;
    int SelectAllAnchors() override;
    void DeselectAnchors() override;

    // The first selected node gets its outgoing handle at p and the mirrored
    // incoming one; the node becomes smooth and curved.
    void PullHandles(PointF p) override;
    // On an anchor: retracts its handles. On a handle of a selected node: the node
    // becomes a cusp.
    void ToggleNodeKind(PointF p) override;
    // A node at p in the nearest segment; the neighbouring handles stay.
    void InsertNodeAt(PointF p) override;
    // Removes the first node whose anchor lies within tol pixels; a path keeps at
    // least two nodes.
    void DeleteNodeAt(PointF p, float tol) override;

    void Transform(const Matrix& m) override;
    void Translate(float dx, float dy) override;
    void Rotate(float angle, PointF centre) override;
    void MoveSelection(float dx, float dy) override;
    void RotateSelection(float angle, PointF centre) override;
    void MoveActiveHandle(float dx, float dy) override;
    void RotateActiveHandle(float angle, PointF centre) override;
    // Reverses the direction of travel; every node keeps its own type bytes.
    void Reverse() override;

    // Drawing a new path: Reset, AppendNode per click, PullHandles while
    // dragging, Close or Finish at the end.
    void Reset();
    void AppendNode(PointF p);
    // Point 0 lies within tol pixels of p.
    bool IsNearStart(PointF p, float tol) const;
    void Close();
    void Finish();

    // Replaces the path by the curve running at distance beside it (positive
    // towards the left of the direction of travel, i.e. −y when travelling +x).
    // False, with the path unchanged, when there is no segment to offset or the
    // offset cannot be computed.
    bool Offset(double distance);
    // Inserts a node on the nearest segment without changing the curve's shape.
    // False when no segment comes near p along either axis.
    bool SplitAt(PointF p);
    // Selects the anchors that lie inside other's area; anchors selected before
    // stay selected. 2 when at least one was selected, else 0.
    int SelectAnchorsOn(const TVemoObject& other);

    const TRingVector<PointF>& GetPoints() const { return points_; }
    const TRingVector<unsigned char>& GetTypes() const { return types_; }
    bool IsClosed() const { return closed_ != 0; }
    // A single control handle is the active edit target.
    bool IsHandleMode() const { return handleMode_ != 0; }
    const GraphicsPath& GetOutline() const { return outline_; }

    // Replaces points, types and the closed flag at once (document reading). The
    // type bytes are kept as given. False, with the path unchanged, unless both
    // lists have the same length and it is a multiple of 3. Call Rebuild afterwards.
    bool SetData(const std::vector<PointF>& points, const std::vector<unsigned char>& types, bool closed);
    // Ends the edit of a single control handle, as a path just read has none
    // (the type bytes stay as they are).
    void EndHandleMode() { handleMode_ = 0; }
    // Whether points, types and the closed flag are these, bit for bit.
    bool HasData(const std::vector<PointF>& points, const std::vector<unsigned char>& types,
                 bool closed) const;

private:
    struct SegmentHit {
        std::ptrdiff_t start = -1;  // index of the segment's start anchor; -1 none
        double t = 0.0;
    };

    // The points the curve is drawn from: 3k+1 of them, or none.
    std::vector<PointF> CurvePoints() const;
    GraphicsPath CurvePath() const;
    std::size_t AnchorCount() const { return points_.size() / 3; }
    bool AnchorSelected(std::ptrdiff_t k) const { return (types_[k] & TypeSelected) != 0; }
    // Clears the active-handle bit on every handle and leaves handle mode.
    void ClearHandleSelection();
    // The first selected anchor, or -1.
    std::ptrdiff_t FirstSelectedAnchor() const;
    // The first handle with the active bit, or -1.
    std::ptrdiff_t ActiveHandle() const;
    // Turns the opposite handle of the node of handle i to stay collinear with it.
    void KeepCollinear(std::ptrdiff_t i);
    // The segment whose curve comes nearest to p where its x or y equals p's.
    SegmentHit NearestSegment(PointF p) const;

    unsigned char handleMode_ = 0;
    unsigned char closed_ = 0;
    TRingVector<PointF> points_;
    TRingVector<unsigned char> types_;
    GraphicsPath outline_;
    RectF bounds_;
};
