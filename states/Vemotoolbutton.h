#pragma once
// The tool panel's buttons as the states see them: a command name, a picture
// name, a tooltip and whether the button is down. The windows draw them; a
// click on the real button reaches Click() here through TMenuControl.

#include <string>

class TVemoEventContext;
class TMenuControl;

enum class TToolSet { None, Select, Point, Drawing, Plain };

class TVemoToolButton {
public:
    // Buttons of group 0 are plain push buttons; group 1 holds the main tools,
    // of which exactly one is down; the numeric (2) and add-point (3) buttons
    // are toggles that may be up.
    TVemoToolButton(std::string command, std::string picture, std::string tooltip, int group)
        : command_(std::move(command)),
          picture_(std::move(picture)),
          tooltip_(std::move(tooltip)),
          group_(group) {}
    TVemoToolButton(const TVemoToolButton&) = delete;
    TVemoToolButton& operator=(const TVemoToolButton&) = delete;
    virtual ~TVemoToolButton() = default;

    const std::string& CommandName() const { return command_; }
    const std::string& Picture() const { return picture_; }
    const std::string& Tooltip() const { return tooltip_; }
    int GroupIndex() const { return group_; }
    bool IsToggle() const { return group_ >= 2; }
    bool IsMainTool() const { return group_ == 1; }
    bool IsDown() const { return down_; }
    void SetDown(bool down) { down_ = down; }

    // What the button does when clicked, after the user's click has put it
    // down or up (see TMenuControl::UserClick).
    virtual void Click() = 0;

    // The panel the button belongs to, which leads to the event context.
    void SetMenuControl(TMenuControl* control) { menuControl_ = control; }

protected:
    // The panel's event context; null while the panel has none.
    TVemoEventContext* Context() const;

    TMenuControl* menuControl_ = nullptr;

private:
    std::string command_;
    std::string picture_;
    std::string tooltip_;
    int group_ = 0;
    bool down_ = false;
};
