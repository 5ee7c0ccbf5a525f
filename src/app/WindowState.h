// The main window's remembered state: the application profile's "Window"
// section and the copy each session keeps in its settings.  Widths and
// heights are stored one larger than the window, as the stored files have
// always had them.
#pragma once

#include <QRect>

#include <optional>

#include "config/AppProfile.h"
#include "config/SettingsStore.h"

namespace tamsivane {

inline constexpr const char* kWindowSection = "Window";

struct BarVisibility {
    bool toolBar = true;
    bool statusBar = true;
    bool buttonBar = false;
    bool chatLine = false;
};

// What the main window looks like now: its normal (restored) rectangle,
// whether it is maximized and which bars are shown.
struct WindowPlacement {
    QRect normal;
    bool maximized = false;
    BarVisibility bars;
};

// The profile's values, with the defaults of a first start.
struct ProfileWindowValues {
    // The window's size, already one smaller than stored; empty on a first
    // start (nothing stored), when FirstStartSize applies.
    QSize size;
    bool maximized = false;
    bool menu = true;
    BarVisibility bars;
    bool sysMenu = true;
    bool titleBar = true;
};

ProfileWindowValues ReadWindowValues(const AppProfile& profile);
// The main window's size when none is stored: two thirds of the screen's
// free area, at least 800 by 600 where the screen has that, never more than
// the screen.  Room for a maximized 80x24 session in a readable font.
QSize FirstStartSize(const QRect& available);
// A window rectangle moved, and shrunk where it must be, to lie within room.
QRect KeptInside(QRect window, const QRect& room);
// Writes the values the main window changes (never "menu", "sysmenu",
// "titlebar", which only the user edits).
void WriteWindowValues(AppProfile& profile, const WindowPlacement& placement);

// The session's copy: Width, Height, XPos, YPos, Maximized and the bars.
void StorePlacement(SettingsStore& settings, const WindowPlacement& placement);
// The placement a session's copy asks for; none when the session never
// stored one (a size of 0), so that such a file hides no bar.
std::optional<WindowPlacement> PlacementFromSettings(const SettingsStore& settings);

} // namespace tamsivane
