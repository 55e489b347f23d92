#pragma once
// A rectangle placed by a matrix. Local points: 0 centre, 1 first corner,
// 2 (corner 3's x, corner 1's y), 3 opposite corner, 4 (corner 1's x, corner
// 3's y); the outline runs 1 -> 2 -> 3 -> 4 -> 1. Handles are the centre and
// the four corners.

#include <array>

#include "model/Vemoshape.h"

class TVemoRect : public TVemoShape {
public:
    static constexpr int kWorldPointCount = 6;

    TVemoRect();
    // Copies the shape and rebuilds.
    TVemoRect(const TVemoRect& other);

    TVemoRect* Clone() const override;
    std::string_view GetTag() const override { return "RECT"; }

    // The rectangle with corners a and b (in that order), centred on their
    // midpoint by the placement; the object becomes selected.
    void SetCorners(PointF a, PointF b);

    // Local points 0 ... 4 in document coordinates, then point 1 again.
    const std::array<PointF, kWorldPointCount>& GetWorldPoints() const { return world_; }
    PointF GetHandle(int handle) const override;

protected:
    void ComputeWorldPoints() override;
    void AddFigure(GraphicsPath& path) const override;
    void MoveHandle(int handle, PointF d) override;

private:
    std::array<PointF, kWorldPointCount> world_{};
};
