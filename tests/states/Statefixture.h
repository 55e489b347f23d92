#pragma once
// A context on the fake windows, with a 200 x 100 pixel design window, and a
// probe state that records what reaches it.

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "states/Vemoeventcontext.h"
#include "states/Vemostatebank.h"
#include "tests/states/Fakeui.h"

class TProbeState : public TVemoEventState {
public:
    using TVemoEventState::TVemoEventState;
    TVemoEventState* KeyDown(int key) override {
        keysDown.push_back(key);
        return TVemoEventState::KeyDown(key);
    }
    TVemoEventState* KeyUp(int key) override {
        keysUp.push_back(key);
        return TVemoEventState::KeyUp(key);
    }
    TVemoEventState* Command(TEditCommand code) override {
        commands.push_back(code);
        return TVemoEventState::Command(code);
    }
    TVemoEventState* Leave() override {
        ++leaves;
        return TVemoEventState::Leave();
    }
    std::vector<int> keysDown, keysUp;
    std::vector<TEditCommand> commands;
    int leaves = 0;
};

class StateTest : public testing::Test {
protected:
    void SetUp() override {
        context = std::make_unique<TVemoEventContext>(ui);
        context->Resize(200, 100);
    }
    void TearDown() override { context.reset(); }
    void Down(int key) { context->KeyDown(key); }
    void Up(int key) { context->KeyUp(key); }

    TFakeUi ui;
    std::unique_ptr<TVemoEventContext> context;
};
