#pragma once
// An ellipse placed by a matrix. Local points: 0 centre, then the axis end
// points in order around the shape, 1 = (rx, 0), 2 = (0, ry), 3 = (-rx, 0),
// 4 = (0, -ry) when untouched. Handles move only along their own axis and keep
// the ellipse symmetric about its centre. The outline is four cubic quarter arcs.

#include <array>

#include "model/Vemoshape.h"

class TVemoEllipse : public TVemoShape {
public:
    static constexpr int kWorldPointCount = 14;
    // Handle length of a cubic quarter arc relative to its radius: 4/3 tan(90deg / 4).
    static constexpr double kKappa = 0.5522847498307936;

    TVemoEllipse();
    // Copies the shape and rebuilds.
    TVemoEllipse(const TVemoEllipse& other);

    TVemoEllipse* Clone() const override;
    std::string_view GetTag() const override { return "ELPS"; }

    // The circle about centre through q; the object becomes selected.
    void SetCircle(PointF centre, PointF q);

    // 0 the centre, 1 ... 13 the Bezier points of the four quarter arcs from
    // axis point 1 round to it again, in document coordinates.
    const std::array<PointF, kWorldPointCount>& GetWorldPoints() const { return world_; }
    PointF GetHandle(int handle) const override;

protected:
    void ComputeWorldPoints() override;
    void AddFigure(GraphicsPath& path) const override;
    void MoveHandle(int handle, PointF d) override;

private:
    std::array<PointF, kWorldPointCount> world_{};
};
