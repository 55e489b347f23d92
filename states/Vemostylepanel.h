#pragma once
// What the style panel shows and edits, without its widgets: the stroke
// styles of the selected objects (or, with nothing selected, the style new
// objects get), which of their values differ, and the edits the panel's
// controls make. The tools report the selection here; the window hears of
// every change through TVemoUi::ShowSelectionStyle and reads its controls'
// contents back from this object.

#include <optional>
#include <string>
#include <vector>

#include "model/Vemosurface.h"

class TVemoEventContext;
class TVemoObject;

class TVemoStylePanel {
public:
    // Widths are refused from this many document units on (300 mm).
    static constexpr double kWidthLimit = 3000.0;

    explicit TVemoStylePanel(TVemoEventContext& context);

    // The style new objects get: 0.75 mm, not filled, not cut out, round.
    TVemoSurface& CurrentSurface() { return current_; }
    const TVemoSurface& CurrentSurface() const { return current_; }

    // The selection changed. Each first hands the style shown alone, if there
    // is exactly one, to the current surface, so the last object picked alone
    // sets the style of the next new one.
    void ShowStyle(TVemoObject* object);
    void ShowStyles(const std::vector<TVemoObject*>& objects);
    void ClearStyles();

    // How many styles are shown, and which values differ among them
    // (TVemoSurface::Diff* bits).
    int ShownCount() const { return int(shown_.size()); }
    int Mixed() const { return mixed_; }
    // The objects whose styles are shown.
    std::vector<TVemoObject*> ShownObjects() const;

    // What the controls show. The width in millimetres as text, empty when
    // the widths differ; fill and cut-out none when undecided; join 1 bevel,
    // 2 round, 0 when undecided (both buttons up); dash 0 to 4, or -1 for none.
    std::string WidthText() const;
    std::optional<bool> Fill() const;
    std::optional<bool> CutOut() const;
    int Join() const;
    int Dash() const;

    // The controls' edits. With styles shown they change those styles, and a
    // change that altered any of them rebuilds the objects, asks for a redraw
    // and records one undo step; with none shown they change the current
    // surface. Each returns whether an object's style changed.
    bool SetCutOut(bool on);
    bool SetFill(bool on);
    // Bevel: bevelled corners and square ends (join 1, cap 1); round: 2 and 2.
    bool SetBevel();
    bool SetRound();
    bool SetDash(int dash);
    // A width typed in the width field, in millimetres: ignored unless
    // 0 <= w < 300 mm; a width of 0 reaches filled styles only.
    bool TypeWidth(double millimetres);
    // A width chosen from the list: the same, and the current surface takes it too.
    bool ChooseWidth(double millimetres);

private:
    struct TShown {
        TVemoObject* object;
        TVemoSurface* style;
    };
    // Forgets shown styles whose objects are no longer in the document.
    void DropGone();
    void TakeOverSingle();
    // Applies edit to every shown style; on any change: rebuild, redraw, undo step.
    template <class Edit>
    bool Apply(Edit edit, bool refresh = true);
    void Changed();

    TVemoEventContext& context_;
    TVemoSurface current_;
    std::vector<TShown> shown_;
    int mixed_ = 0;
};

// The shortest decimal text of a number ("0.75", "12.7", "1e-05" never: no
// exponent for the lengths the panel shows).
std::string ShortestDecimal(double value);
