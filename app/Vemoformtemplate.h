#pragma once
// Window placements remembered in the settings file, one section per window
// (named after the window), read when the window is made and written when it
// goes. A placement is brought onto the screens that exist before it is used,
// so a window last seen on a monitor that is gone still opens within reach.

#include <string>
#include <string_view>
#include <vector>

#include <QRect>

#include "settings/Settings.h"

class QWidget;

namespace app {

// The placement moved onto the screen (available areas) it overlaps most, or
// onto the first when it overlaps none, and shrunk to fit it. Sizes are at
// least 120 x 80. No screens: unchanged.
settings::TFormPlacement ClampToScreens(const settings::TFormPlacement& placement,
                                        const std::vector<QRect>& screens);
// The available areas of the screens there are.
std::vector<QRect> ScreenAreas();
// A first-run placement of width x height centred on the first screen (at 0, 0
// when there is no screen).
settings::TFormPlacement CentredOnFirstScreen(int width, int height);

// Applies the window's section of the settings file (left, top, width, height,
// window state; minimised opens as normal). firstRun is used when the file has
// no section for the window.
void LoadFormPlacement(QWidget& window, const std::string& settingsPath, std::string_view section,
                       const settings::TFormPlacement& firstRun = {});
// Writes Top, Left, WindowState, and Width and Height only for a normal window.
// False, with the reason, when the file could not be written.
bool SaveFormPlacement(const QWidget& window, const std::string& settingsPath, std::string_view section,
                       std::string& error);

}  // namespace app
