#include "model/Vemolayer.h"

#include <utility>

#include "model/Vemodrawstyle.h"

namespace {

constexpr Argb kRgbMask = 0x00FFFFFFu;

Argb WithAlpha(Argb colour, Argb alpha) {
    return (colour & kRgbMask) | (alpha << 24);
}

}  // namespace

TVemoLayer::TVemoLayer(Argb colour, std::string name)
    : name_(std::move(name)), cutOutColour_(DrawStyle().GetColour(dcCutOut)) {
    SetColour(colour);
}

TVemoLayer::TVemoLayer(const TVemoLayer& other)
    : TVemoBase(other),
      index_(other.index_),
      flags_(other.flags_),
      name_(other.name_),
      translucent_(other.translucent_),
      current_(other.current_),
      opaque_(other.opaque_),
      cutOutColour_(DrawStyle().GetColour(dcCutOut)) {
    Recompute();
}

TVemoLayer* TVemoLayer::Clone() const {
    return new TVemoLayer(*this);
}

void TVemoLayer::SetColour(Argb colour) {
    translucent_ = WithAlpha(colour, AlphaTranslucent);
    current_ = WithAlpha(colour, AlphaCurrent);
    opaque_ = WithAlpha(colour, 0xFF);
    Recompute();
}

void TVemoLayer::SetFlags(std::int32_t flags) {
    flags_ = flags;
    Recompute();
}

void TVemoLayer::SetFlag(std::int32_t flag, bool on) {
    if (on)
        flags_ |= flag;
    else
        flags_ &= ~flag;
    Recompute();
}

void TVemoLayer::Recompute() {
    if (IsCutOut())
        effective_ = cutOutColour_;
    else if (IsOpaque())
        effective_ = opaque_;
    else if (IsCurrent())
        effective_ = current_;
    else
        effective_ = translucent_;

    // Handles on a dark opaque layer would vanish in black, so they turn grey there.
    const Argb r = (opaque_ >> 16) & 0xFF, g = (opaque_ >> 8) & 0xFF, b = opaque_ & 0xFF;
    contrast_ = (IsOpaque() && r + g + b < 256) ? 0xFF969696u : 0xFF000000u;
}
