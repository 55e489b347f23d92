#pragma once
// A named, coloured layer of a document. Objects and the layer list share it
// (TVemoLayerPtr). The colours objects are painted in are derived from the layer
// colour and its flags and recomputed after every change.

#include <cstdint>
#include <string>

#include "model/Vemobase.h"
#include "model/Vemotypes.h"

class TVemoLayer : public TVemoBase {
public:
    static constexpr std::int32_t FlagCurrent = 0x001;
    static constexpr std::int32_t FlagVisible = 0x002;
    static constexpr std::int32_t FlagLocked = 0x004;
    static constexpr std::int32_t FlagCutOut = 0x008;
    static constexpr std::int32_t FlagOutput = 0x010;
    static constexpr std::int32_t FlagWireFrame = 0x020;
    static constexpr std::int32_t FlagHole = 0x040;
    static constexpr std::int32_t FlagOpaque = 0x080;
    static constexpr std::int32_t FlagTextOutput = 0x100;
    static constexpr std::int32_t DefaultFlags = FlagVisible | FlagOutput;

    static constexpr Argb AlphaTranslucent = 90;
    static constexpr Argb AlphaCurrent = 160;

    // The alpha of colour is ignored. The cut-out colour is the draw style's at
    // the time the layer is made.
    explicit TVemoLayer(Argb colour, std::string name = "new layer");
    // A copy takes the draw style's present cut-out colour, like any new layer.
    TVemoLayer(const TVemoLayer& other);
    TVemoLayer& operator=(const TVemoLayer&) = delete;

    TVemoLayer* Clone() const override;

    void SetColour(Argb colour);
    Argb GetEffectiveColour() const { return effective_; }
    Argb GetContrastColour() const { return contrast_; }
    Argb GetOpaqueColour() const { return opaque_; }
    Argb GetCurrentColour() const { return current_; }
    // The colour kept in the document file.
    Argb GetTranslucentColour() const { return translucent_; }
    Argb GetCutOutColour() const { return cutOutColour_; }

    void SetName(const std::string& name) { name_ = name; }
    const std::string& GetName() const { return name_; }
    int GetIndex() const { return index_; }
    void SetIndex(int index) { index_ = index; }
    std::int32_t GetFlags() const { return flags_; }
    // Replaces every flag at once (used when reading a document).
    void SetFlags(std::int32_t flags);

    void SetCurrent(bool on) { SetFlag(FlagCurrent, on); }
    bool IsCurrent() const { return Has(FlagCurrent); }
    void SetVisible(bool on) { SetFlag(FlagVisible, on); }
    bool IsVisible() const { return Has(FlagVisible); }
    void SetLocked(bool on) { SetFlag(FlagLocked, on); }
    bool IsLocked() const { return Has(FlagLocked); }
    void SetCutOut(bool on) { SetFlag(FlagCutOut, on); }
    bool IsCutOut() const { return Has(FlagCutOut); }
    void SetOutput(bool on) { SetFlag(FlagOutput, on); }
    bool IsOutput() const { return Has(FlagOutput); }
    void SetWireFrame(bool on) { SetFlag(FlagWireFrame, on); }
    bool IsWireFrame() const { return Has(FlagWireFrame); }
    void SetHole(bool on) { SetFlag(FlagHole, on); }
    bool IsHole() const { return Has(FlagHole); }
    void SetOpaque(bool on) { SetFlag(FlagOpaque, on); }
    bool IsOpaque() const { return Has(FlagOpaque); }
    void SetTextOutput(bool on) { SetFlag(FlagTextOutput, on); }
    bool IsTextOutput() const { return Has(FlagTextOutput); }

private:
    bool Has(std::int32_t flag) const { return (flags_ & flag) != 0; }
    void SetFlag(std::int32_t flag, bool on);
    void Recompute();

    int index_ = 0;
    std::int32_t flags_ = DefaultFlags;
    std::string name_;
    Argb translucent_ = 0;
    Argb current_ = 0;
    Argb opaque_ = 0;
    Argb cutOutColour_ = 0;
    Argb contrast_ = 0;
    Argb effective_ = 0;
};
