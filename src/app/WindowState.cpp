#include "app/WindowState.h"

namespace tamsivane {
namespace {

bool Flag(const AppProfile& profile, const char* name, bool fallback) {
    return profile.GetInt(kWindowSection, name, fallback ? 1 : 0) != 0;
}

} // namespace

ProfileWindowValues ReadWindowValues(const AppProfile& profile) {
    ProfileWindowValues values;
    const ProfileWindowValues defaults;
    const int width = profile.GetInt(kWindowSection, "width", 0) - 1;
    const int height = profile.GetInt(kWindowSection, "height", 0) - 1;
    if (width > 0 && height > 0) values.size = QSize(width, height);
    values.maximized = Flag(profile, "maximized", defaults.maximized);
    values.menu = Flag(profile, "menu", defaults.menu);
    values.bars.toolBar = Flag(profile, "toolbar", defaults.bars.toolBar);
    values.bars.statusBar = Flag(profile, "statusbar", defaults.bars.statusBar);
    values.bars.buttonBar = Flag(profile, "buttonbar", defaults.bars.buttonBar);
    values.bars.chatLine = Flag(profile, "chatline", defaults.bars.chatLine);
    values.sysMenu = Flag(profile, "sysmenu", defaults.sysMenu);
    values.titleBar = Flag(profile, "titlebar", defaults.titleBar);
    return values;
}

QSize FirstStartSize(const QRect& available) {
    const QSize room = available.size();
    const QSize wanted = (room * 2 / 3).expandedTo(QSize(800, 600));
    return wanted.boundedTo(room);
}

QRect KeptInside(QRect window, const QRect& room) {
    window.setSize(window.size().boundedTo(room.size()));
    if (window.right() > room.right()) window.moveRight(room.right());
    if (window.bottom() > room.bottom()) window.moveBottom(room.bottom());
    if (window.left() < room.left()) window.moveLeft(room.left());
    if (window.top() < room.top()) window.moveTop(room.top());
    return window;
}

void WriteWindowValues(AppProfile& profile, const WindowPlacement& placement) {
    profile.SetInt(kWindowSection, "width", placement.normal.width() + 1);
    profile.SetInt(kWindowSection, "height", placement.normal.height() + 1);
    profile.SetInt(kWindowSection, "maximized", placement.maximized ? 1 : 0);
    profile.SetInt(kWindowSection, "toolbar", placement.bars.toolBar ? 1 : 0);
    profile.SetInt(kWindowSection, "statusbar", placement.bars.statusBar ? 1 : 0);
    profile.SetInt(kWindowSection, "buttonbar", placement.bars.buttonBar ? 1 : 0);
    profile.SetInt(kWindowSection, "chatline", placement.bars.chatLine ? 1 : 0);
}

void StorePlacement(SettingsStore& settings, const WindowPlacement& placement) {
    settings.SetNumber(P::Width, placement.normal.width() + 1);
    settings.SetNumber(P::Height, placement.normal.height() + 1);
    settings.SetNumber(P::XPos, placement.normal.x());
    settings.SetNumber(P::YPos, placement.normal.y());
    settings.SetNumber(P::Maximized, placement.maximized ? 1 : 0);
    settings.SetNumber(P::ToolBar, placement.bars.toolBar ? 1 : 0);
    settings.SetNumber(P::StatusBar, placement.bars.statusBar ? 1 : 0);
    settings.SetNumber(P::ButtonBar, placement.bars.buttonBar ? 1 : 0);
    settings.SetNumber(P::ChatLine, placement.bars.chatLine ? 1 : 0);
}

std::optional<WindowPlacement> PlacementFromSettings(const SettingsStore& settings) {
    const int width = settings.GetNumber(P::Width) - 1;
    const int height = settings.GetNumber(P::Height) - 1;
    if (width <= 0 || height <= 0) return std::nullopt;
    WindowPlacement placement;
    placement.normal =
        QRect(settings.GetNumber(P::XPos), settings.GetNumber(P::YPos), width, height);
    placement.maximized = settings.GetNumber(P::Maximized) != 0;
    placement.bars.toolBar = settings.GetNumber(P::ToolBar) != 0;
    placement.bars.statusBar = settings.GetNumber(P::StatusBar) != 0;
    placement.bars.buttonBar = settings.GetNumber(P::ButtonBar) != 0;
    placement.bars.chatLine = settings.GetNumber(P::ChatLine) != 0;
    return placement;
}

} // namespace tamsivane
