#include "app/Vemoformtemplate.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace app {

namespace {

constexpr int kMinWidth = 120;
constexpr int kMinHeight = 80;

}  // namespace

settings::TFormPlacement ClampToScreens(const settings::TFormPlacement& placement,
                                        const std::vector<QRect>& screens) {
    if (screens.empty()) return placement;
    settings::TFormPlacement p = placement;
    p.width = std::max(p.width, kMinWidth);
    p.height = std::max(p.height, kMinHeight);
    const QRect window(p.left, p.top, p.width, p.height);
    const QRect* best = &screens.front();
    long long bestArea = -1;
    for (const QRect& screen : screens) {
        const QRect common = screen.intersected(window);
        const long long area = common.isEmpty() ? 0 : (long long)common.width() * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = &screen;
        }
    }
    if (bestArea == 0) best = &screens.front();
    const QRect& s = *best;
    p.width = std::min(p.width, s.width());
    p.height = std::min(p.height, s.height());
    p.left = std::clamp(p.left, s.left(), s.left() + s.width() - p.width);
    p.top = std::clamp(p.top, s.top(), s.top() + s.height() - p.height);
    return p;
}

std::vector<QRect> ScreenAreas() {
    std::vector<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) areas.push_back(screen->availableGeometry());
    return areas;
}

settings::TFormPlacement CentredOnFirstScreen(int width, int height) {
    settings::TFormPlacement p;
    p.width = width;
    p.height = height;
    const std::vector<QRect> screens = ScreenAreas();
    if (!screens.empty()) {
        p.left = screens.front().center().x() - width / 2;
        p.top = screens.front().center().y() - height / 2;
    }
    return p;
}

void LoadFormPlacement(QWidget& window, const std::string& settingsPath, std::string_view section,
                       const settings::TFormPlacement& firstRun) {
    const settings::TIniFile ini = settings::ReadSettingsFile(settingsPath);
    settings::TFormPlacement p =
        ini.HasSection(section) ? settings::ReadFormPlacement(ini, section) : firstRun;
    p = ClampToScreens(p, ScreenAreas());
    window.move(p.left, p.top);
    window.resize(p.width, p.height);
    window.setWindowState(p.windowState == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
}

bool SaveFormPlacement(const QWidget& window, const std::string& settingsPath, std::string_view section,
                       std::string& error) {
    settings::TFormPlacement p;
    p.left = window.pos().x();
    p.top = window.pos().y();
    p.width = window.width();
    p.height = window.height();
    const Qt::WindowStates states = window.windowState();
    p.windowState = states & Qt::WindowMinimized                            ? 1
                    : states & (Qt::WindowMaximized | Qt::WindowFullScreen) ? 2
                                                                            : 0;
    return settings::UpdateSettingsFile(
        settingsPath, [&](settings::TIniFile& ini) { settings::WriteFormPlacement(ini, section, p); }, error);
}

}  // namespace app
