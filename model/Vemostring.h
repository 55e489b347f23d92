#pragma once
// A text: characters in a font, placed by a matrix, turned into glyph outlines.
// Everything but text-output drawing treats it as the filled shape of its
// outline; its single handle is the start of the baseline box (bottom-left).

#include <array>
#include <string>

#include "model/Vemofont.h"
#include "model/Vemoinstance.h"

class TVemoString : public TVemoInstance {
public:
    TVemoString();
    TVemoString(const TVemoString& other);

    TVemoString* Clone() const override;
    std::string_view GetTag() const override { return "TEXT"; }

    void SetText(const std::u16string& text);
    void SetFont(const TVemoFont& font);
    const std::u16string& GetText() const { return text_; }
    const TVemoFont& GetFont() const { return font_; }
    const Matrix& GetPlacement() const { return placement_; }
    // Sets placement, font and text at once and rebuilds (used when reading files).
    void SetData(const Matrix& placement, const std::u16string& text, const TVemoFont& font);
    // The same without rebuilding (see TVemoInstance::AssignLayer).
    void AssignData(const Matrix& placement, const std::u16string& text, const TVemoFont& font);
    // Whether placement, text and font are these, bit for bit.
    bool HasData(const Matrix& placement, const std::u16string& text, const TVemoFont& font) const;
    // Layout box corners in document coordinates: bottom-left, bottom-right, top-right, top-left.
    const std::array<PointF, 4>& GetCorners() const { return corners_; }
    const GraphicsPath& GetOutline() const { return outline_; }
    bool IsHandleSelected() const { return handleSelected_; }

    void Rebuild() override;
    void GetBounds(RectF& bounds) const override { bounds = bounds_; }

    void DrawFill(TVemoGraphics* graphics, int layerIndex) const override;
    void DrawDecorations(TVemoGraphics* graphics) const override;
    void DrawMask(TVemoGraphics* graphics, int layerIndex) const override;

    bool HitPoint(PointF p) const override;
    bool HitRect(const RectF& rect, TVemoGraphics* graphics) const override;
    bool HitPath(const GraphicsPath& path, const RectF& pathBounds, TVemoGraphics* graphics) const override;
    bool HitSelected(PointF p) const override;
    bool SelectAt(PointF p) override;
    bool SelectInRect(const RectF& rect, TVemoGraphics* graphics) override;
    void Select() override;
    void Deselect() override;

    int HitHandle(PointF p, float tol) const override;
    int AnchorsInRect(const RectF& rect) const override;
    int HitSelectedAnchor(PointF p, float tol) const override;
    int PickHandle(PointF p, float tol) override;
    int SelectAnchorsInRect(const RectF& rect) override;
    int SelectAllAnchors() override;
    void DeselectAnchors() override;

    void Transform(const Matrix& m) override;
    void Translate(float dx, float dy) override;
    void Rotate(float angle, PointF centre) override;
    void MoveSelection(float dx, float dy) override;

private:
    RectF bounds_;
    GraphicsPath outline_{geom::FillMode::Winding};
    Matrix placement_;
    std::array<PointF, 4> corners_{};
    bool handleSelected_ = false;
    std::u16string text_;
    TVemoFont font_;
};
