#pragma once
// The tool states of the editor. Each tool's own behaviour (selecting, point
// editing, drawing, placing pads and parts) is added by its own unit; what
// every tool state shares is here: Space, Space+X and Space+Z, tested after
// the key flags are updated on key-down and key-up, hand over to the
// temporary view states.

#include "states/Vemoeventstate.h"
#include "states/Vemodrawstate.h"
#include "states/Vemopointstate.h"
#include "states/Vemoselectstate.h"

class TVemoRectState : public TVemoEventState {
public:
    static constexpr int kBankIndex = 16;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
};
class TVemoEllipseState : public TVemoEventState {
public:
    static constexpr int kBankIndex = 17;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
};
class TVemoStringState : public TVemoEventState {
public:
    static constexpr int kBankIndex = 18;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
};

// Pads, library parts and placed parts.
class TVemoPadState : public TVemoEventState {
public:
    static constexpr int kBankIndex = 19;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
};
class TVemoLibState : public TVemoEventState {
public:
    static constexpr int kBankIndex = 20;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
};
class TVemoPartsStateIF : public TVemoEventState {};

class TVemoPartsState : public TVemoPartsStateIF {
public:
    static constexpr int kBankIndex = 21;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
};
