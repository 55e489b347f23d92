#pragma once
// The point tool: edits anchors and control handles inside objects.

#include "states/Vemoeventstate.h"

class TVemoPointStateIF : public TVemoEventState {};

class TVemoPointState : public TVemoPointStateIF {
public:
    static constexpr int kBankIndex = 7;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
};
class TVemoPointNullState : public TVemoPointStateIF {
public:
    static constexpr int kBankIndex = 8;
};
class TVemoPointRectState : public TVemoPointStateIF {
public:
    static constexpr int kBankIndex = 9;
};
class TVemoPointHandleState : public TVemoPointStateIF {
public:
    static constexpr int kBankIndex = 10;
};
class TVemoHandleRemakeState : public TVemoPointStateIF {
public:
    static constexpr int kBankIndex = 11;
};
class TVemoAddPointState : public TVemoPointStateIF {
public:
    static constexpr int kBankIndex = 12;
};
class TVemoAddPointToolState : public TVemoAddPointState {
public:
    static constexpr int kBankIndex = 13;
};
