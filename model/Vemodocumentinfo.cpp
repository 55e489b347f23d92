#include "model/Vemodocumentinfo.h"

#include <algorithm>
#include <cmath>

namespace {

double ClampPan(double v) {
    return std::clamp(v, -TVemoDocumentInfo::kMaxPan, TVemoDocumentInfo::kMaxPan);
}

}  // namespace

TVemoDocumentInfo::TVemoDocumentInfo() {
    RebuildViewMatrix();
}

void TVemoDocumentInfo::SetWindowSize(int width, int height) {
    windowWidth_ = std::max(width, 0);
    windowHeight_ = std::max(height, 0);
    UpdateExtent();
    RebuildViewMatrix();
}

void TVemoDocumentInfo::Pan(double dx, double dy) {
    if (!std::isfinite(dx) || !std::isfinite(dy)) return;
    SetPan(panX_ + dx, panY_ + dy);
}

void TVemoDocumentInfo::SetPan(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    panX_ = ClampPan(x);
    panY_ = ClampPan(y);
    RebuildViewMatrix();
}

void TVemoDocumentInfo::Zoom(double factor) {
    if (!std::isfinite(factor) || factor <= 0.0) return;
    SetZoom(zoom_ * factor);
}

void TVemoDocumentInfo::ZoomAt(double factor, PointF point) {
    SetPan(-double(point.x), -double(point.y));
    Zoom(factor);
}

void TVemoDocumentInfo::SetZoom(double zoom) {
    if (!std::isfinite(zoom) || zoom <= 0.0) return;
    zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
    UpdateExtent();
    RebuildViewMatrix();
}

void TVemoDocumentInfo::Snap(PointF& p) const {
    p.x = float(std::floor(double(p.x) / grid_ + 0.5) * grid_);
    p.y = float(std::floor(double(p.y) / grid_ + 0.5) * grid_);
}

bool TVemoDocumentInfo::SetGrid(double grid) {
    // A zero or negative pitch would make Snap divide by zero.
    if (!std::isfinite(grid) || grid <= 0.0) return false;
    grid_ = grid;
    return true;
}

void TVemoDocumentInfo::SetAreaOrigin(double x, double y) {
    areaX_ = x;
    areaY_ = y;
    areaRect_.x = float(x);
    areaRect_.y = float(y);
}

void TVemoDocumentInfo::SetAreaSize(double width, double height) {
    areaWidth_ = width;
    areaHeight_ = height;
    areaRect_.width = float(width);
    areaRect_.height = float(height);
}

void TVemoDocumentInfo::UpdateExtent() {
    extentX_ = windowWidth_ / zoom_;
    extentY_ = windowHeight_ / zoom_;
}

void TVemoDocumentInfo::RebuildViewMatrix() {
    viewMatrix_.Reset();
    viewMatrix_.Translate(float(panX_), float(panY_));
    viewMatrix_.Scale(float(zoom_), float(zoom_));
    viewMatrix_.Translate(float(windowWidth_ * 0.5), float(windowHeight_ * 0.5));
}
