#include "model/Vemoellipse.h"

#include "geom/Pointf.h"

TVemoEllipse::TVemoEllipse() : TVemoShape("Ellipse") {}

TVemoEllipse::TVemoEllipse(const TVemoEllipse& other) : TVemoShape(other) {
    Rebuild();
}

TVemoEllipse* TVemoEllipse::Clone() const {
    return new TVemoEllipse(*this);
}

void TVemoEllipse::SetCircle(PointF centre, PointF q) {
    Select();
    placement_.Reset();
    placement_.Translate(centre.x, centre.y);
    const float r = float(geom::Distance(q, centre));
    local_ = {PointF(0.0f, 0.0f), PointF(r, 0.0f), PointF(0.0f, r), PointF(-r, 0.0f), PointF(0.0f, -r)};
    Rebuild();
}

PointF TVemoEllipse::GetHandle(int handle) const {
    static constexpr std::size_t kWorldOfHandle[kHandleCount] = {0, 1, 4, 7, 10};
    return (handle >= 0 && handle < kHandleCount) ? world_[kWorldOfHandle[handle]] : PointF();
}

void TVemoEllipse::ComputeWorldPoints() {
    const float k = float(kKappa);
    const PointF* p = local_.data();
    world_ = {
        p[0],
        p[1],
        PointF(p[1].x, k * (p[1].y + p[2].y)),
        PointF(k * (p[1].x + p[2].x), p[2].y),
        p[2],
        PointF(k * (p[2].x + p[3].x), p[2].y),
        PointF(p[3].x, k * (p[1].y + p[2].y)),
        p[3],
        PointF(p[3].x, k * (p[3].y + p[4].y)),
        PointF(k * (p[2].x + p[3].x), p[4].y),
        p[4],
        PointF(k * (p[1].x + p[2].x), p[4].y),
        PointF(p[1].x, k * (p[3].y + p[4].y)),
        p[1],
    };
    placement_.TransformPoints(world_.data(), world_.size());
}

void TVemoEllipse::AddFigure(GraphicsPath& path) const {
    path.StartFigure();
    path.AddBeziers(&world_[1], kWorldPointCount - 1);
    path.CloseFigure();
}

void TVemoEllipse::MoveHandle(int handle, PointF d) {
    PointF* p = local_.data();
    switch (handle) {
        case 1:
            p[1].x += d.x;
            p[3].x -= d.x;
            break;
        case 2:
            p[2].y += d.y;
            p[4].y -= d.y;
            break;
        case 3:
            p[3].x += d.x;
            p[1].x -= d.x;
            break;
        case 4:
            p[4].y += d.y;
            p[2].y -= d.y;
            break;
        default:
            break;
    }
}
