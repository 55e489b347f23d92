#pragma once
// The settings and view of a document: view flags, zoom, pan, grid, design
// area, window size and the view transform from document units to window
// pixels. Zoom and pan are kept within fixed limits by every operation.

#include <cstdint>
#include <string>

#include "model/Vemotypes.h"

class TVemoDocumentInfo {
public:
    // View flags.
    static constexpr std::int32_t ViewShowGrid = 0x01;
    static constexpr std::int32_t ViewSnapToGrid = 0x02;
    static constexpr std::int32_t ViewLineGrid = 0x04;
    static constexpr std::int32_t ViewShowBackground = 0x08;
    static constexpr std::int32_t ViewFixedAspect = 0x10;
    static constexpr std::int32_t DefaultViewFlags = ViewShowGrid | ViewSnapToGrid;

    static constexpr double kMinZoom = 0.0625;
    static constexpr double kMaxZoom = 32.0;
    static constexpr double kMaxPan = 10000.0;
    static constexpr double kDefaultGrid = 12.7;
    static constexpr int kDefaultSmoothing = 4;

    TVemoDocumentInfo();

    // Window size in pixels; negative sizes count as 0.
    void SetWindowSize(int width, int height);
    int GetWindowWidth() const { return windowWidth_; }
    int GetWindowHeight() const { return windowHeight_; }
    // Window size divided by zoom, in document units.
    double GetViewExtentX() const { return extentX_; }
    double GetViewExtentY() const { return extentY_; }

    // Pan += (dx, dy), clamped. Non-finite amounts are ignored.
    void Pan(double dx, double dy);
    void SetPan(double x, double y);
    double GetPanX() const { return panX_; }
    double GetPanY() const { return panY_; }

    // Zoom *= factor, clamped. A factor that is not a positive finite number is ignored.
    void Zoom(double factor);
    // Brings point to the window centre, then zooms by factor.
    void ZoomAt(double factor, PointF point);
    // Sets the zoom, clamped; ignored like Zoom's factor.
    void SetZoom(double zoom);
    double GetZoom() const { return zoom_; }

    // Rounds the point to the nearest grid crossing.
    void Snap(PointF& p) const;
    // False, and the grid unchanged, unless grid is a positive finite number.
    bool SetGrid(double grid);
    double GetGrid() const { return grid_; }

    void SetAreaOrigin(double x, double y);
    void SetAreaSize(double width, double height);
    double GetAreaX() const { return areaX_; }
    double GetAreaY() const { return areaY_; }
    double GetAreaWidth() const { return areaWidth_; }
    double GetAreaHeight() const { return areaHeight_; }
    // The same area in single precision.
    const RectF& GetAreaRect() const { return areaRect_; }

    void SetViewFlags(std::int32_t mask) { viewFlags_ |= mask; }
    void ClearViewFlags(std::int32_t mask) { viewFlags_ &= ~mask; }
    bool TestViewFlags(std::int32_t mask) const { return (viewFlags_ & mask) != 0; }
    std::int32_t GetViewFlags() const { return viewFlags_; }

    void SetSmoothing(std::int32_t mode) { smoothing_ = mode; }
    std::int32_t GetSmoothing() const { return smoothing_; }

    // The file the document was read from or written to; not kept in the file.
    void SetFileName(const std::string& name) { fileName_ = name; }
    const std::string& GetFileName() const { return fileName_; }

    // Document units to window pixels: (p + pan) * zoom + window centre.
    const Matrix& GetViewMatrix() const { return viewMatrix_; }

private:
    void UpdateExtent();
    void RebuildViewMatrix();

    std::int32_t viewFlags_ = DefaultViewFlags;
    double zoom_ = 1.0;
    double grid_ = kDefaultGrid;
    double panX_ = 0.0, panY_ = 0.0;
    double extentX_ = 640.0, extentY_ = 480.0;
    int windowWidth_ = 640, windowHeight_ = 480;
    double areaX_ = 0.0, areaY_ = 0.0;
    double areaWidth_ = 1000.0, areaHeight_ = 750.0;
    RectF areaRect_{0.0f, 0.0f, 1000.0f, 750.0f};
    std::string fileName_;
    Matrix viewMatrix_;
    std::int32_t smoothing_ = kDefaultSmoothing;
};
