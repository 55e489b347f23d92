#include "model/Vemorectangle.h"

TVemoRect::TVemoRect() : TVemoShape("Rectangle") {}

TVemoRect::TVemoRect(const TVemoRect& other) : TVemoShape(other) {
    Rebuild();
}

TVemoRect* TVemoRect::Clone() const {
    return new TVemoRect(*this);
}

void TVemoRect::SetCorners(PointF a, PointF b) {
    const PointF m((a.x + b.x) / 2.0f, (a.y + b.y) / 2.0f);
    Select();
    placement_.Reset();
    placement_.Translate(m.x, m.y);
    local_[0] = PointF(0.0f, 0.0f);
    local_[1] = a - m;
    local_[3] = b - m;
    local_[2] = PointF(local_[3].x, local_[1].y);
    local_[4] = PointF(local_[1].x, local_[3].y);
    Rebuild();
}

PointF TVemoRect::GetHandle(int handle) const {
    return (handle >= 0 && handle < kHandleCount) ? world_[std::size_t(handle)] : PointF();
}

void TVemoRect::ComputeWorldPoints() {
    for (int i = 0; i < kHandleCount; ++i) world_[std::size_t(i)] = placement_.Map(local_[std::size_t(i)]);
    world_[5] = world_[1];
}

void TVemoRect::AddFigure(GraphicsPath& path) const {
    path.StartFigure();
    path.AddPolygon(&world_[1], 5);
}

void TVemoRect::MoveHandle(int handle, PointF d) {
    PointF* p = local_.data();
    switch (handle) {
        case 1:
            p[1] += d;
            p[2].y += d.y;
            p[4].x += d.x;
            break;
        case 2:
            p[1].y += d.y;
            p[2] += d;
            p[3].x += d.x;
            break;
        case 3:
            p[2].x += d.x;
            p[3] += d;
            p[4].y += d.y;
            break;
        case 4:
            p[1].x += d.x;
            p[3].y += d.y;
            p[4] += d;
            break;
        default:
            return;
    }
    // The placement stays: the centre point follows the corners in the own frame.
    p[0] = PointF((p[1].x + p[2].x) / 2.0f, (p[1].y + p[4].y) / 2.0f);
}
