#pragma once
// The tool panel: ten main tool buttons, of which exactly one is down and
// whose state is current, and below them the sub-tool buttons of the active
// tool, which send edit commands to the current state. The windows show these
// buttons and hear of every change through TVemoUi::ToolPanelChanged.

#include <memory>
#include <string>
#include <vector>

#include "states/Vemotoolbutton.h"

class TVemoEventContext;

class TMenuControl {
public:
    // Spacing of the buttons in the panel, in pixels.
    static constexpr int kPanelWidth = 34;
    static constexpr int kButtonSize = 30;
    static constexpr int kButtonPitch = 33;

    TMenuControl();
    TMenuControl(const TMenuControl&) = delete;
    TMenuControl& operator=(const TMenuControl&) = delete;
    ~TMenuControl();

    // Takes the context the buttons act on and clicks the select tool.
    void SetContext(TVemoEventContext* context);
    TVemoEventContext* Context() const { return context_; }

    // The button with that command name, main tools first; null when none.
    TVemoToolButton* Find(const std::string& name) const;
    // Clicks the button as a program would (PressTool): its click behaviour only.
    void PressTool(const std::string& name);
    // Puts the button up without running anything.
    void ReleaseTool(const std::string& name);
    // A click of the user: a main tool goes down, a toggle changes, then Click().
    void UserClick(TVemoToolButton& button);

    // Replaces the sub-tool buttons by the set's.
    void BuildSubTools(TToolSet set);
    TToolSet SubToolSet() const { return subSet_; }
    // Puts down one main button and every other one up.
    void SetMainDown(TVemoToolButton& button);

    const std::vector<std::unique_ptr<TVemoToolButton>>& MainButtons() const { return main_; }
    const std::vector<std::unique_ptr<TVemoToolButton>>& SubButtons() const { return sub_; }
    // Counts the sub-tool sets built, so a window can tell a new set from the old one.
    int SubToolGeneration() const { return subGeneration_; }

private:
    void Changed();

    TVemoEventContext* context_ = nullptr;
    std::vector<std::unique_ptr<TVemoToolButton>> main_;
    std::vector<std::unique_ptr<TVemoToolButton>> sub_;
    TToolSet subSet_ = TToolSet::None;
    int subGeneration_ = 0;
};
