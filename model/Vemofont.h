#pragma once
// A text's font: family name, style bits and em size in document units.
//
// The family name is kept exactly as given or read from a file, so saving
// writes it back unchanged even on a machine that lacks the font; drawing then
// uses a substitute (the common Japanese Windows families map to the IPA
// gothic faces, everything else goes through fontconfig). This is the only
// file of the model that talks to Qt.

#include <string>
#include <vector>

#include "geom/Graphicspath.h"

class TVemoFont {
public:
    enum Style : int { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
    static constexpr const char* kDefaultFamily = "MS UI Gothic";

    TVemoFont();  // the default family, regular, 0.5 mm
    TVemoFont(const std::string& family, float size, int style);

    // Takes a family the machine can draw (installed or substitutable); the style
    // falls back to regular when the new family lacks it. Unknown names change
    // nothing and answer false.
    bool SetFamily(const std::string& family);
    void SetStyle(int style) { style_ = style; }
    void SetSize(float size) { size_ = size; }
    // For fonts read from files: keeps the name whatever this machine has installed.
    void SetFamilyName(const std::string& family) { family_ = family; }

    const std::string& FamilyName() const { return family_; }
    int GetStyle() const { return style_; }
    float GetSize() const { return size_; }
    void Assign(const TVemoFont& other) { *this = other; }

    // The family actually used for glyphs on this machine.
    std::string ResolvedFamily() const;

    // Appends the glyph outlines of text, laid out from (0, 0) as the top-left of
    // the first line, lines one under the other, no wrapping. Needs a running
    // QGuiApplication; without one nothing is added.
    void AddText(geom::GraphicsPath& out, const std::u16string& text) const;

    bool operator==(const TVemoFont&) const = default;

    // Whether a family name can be drawn here (installed, or has a substitute).
    static bool IsKnownFamily(const std::string& family);
    // Installed families, sorted, for the text window's list.
    static std::vector<std::string> InstalledFamilies();

private:
    std::string family_;
    int style_ = 0;
    float size_ = 5.0f;
};
