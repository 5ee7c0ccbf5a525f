// What the host is told of the mouse.  A host that enabled tracking (DECSET
// 1000, 1002, 1003) gets its reports whatever MouseSupport says, in the
// default or the SGR encoding; Shift keeps the mouse for selecting.  Without
// tracking, MouseSupport 1 and 2 report in their own forms, and 0 leaves
// the mouse to the view.
#pragma once

#include <optional>
#include <string>

#include "emulator/HostInputModes.h"

namespace tamsivane {

enum class MouseAction : uint8_t { Press, Release, Move, WheelUp, WheelDown };
enum class MouseButton : uint8_t { None, Left, Middle, Right };

// The buttons held, as MouseSupport 2 reports them.
namespace MouseButtons {
inline constexpr int Right = 1;
inline constexpr int Middle = 2;
inline constexpr int Left = 4;
} // namespace MouseButtons

struct MouseInput {
    MouseAction action = MouseAction::Move;
    MouseButton button = MouseButton::None; // the one pressed or released
    int held = 0;                           // MouseButtons held once the event is done
    bool shift = false;
    bool alt = false;
    bool ctrl = false;
    int row = 0; // 0-based cell of the page
    int column = 0;
};

// The reporting in force: the host's tracking or the MouseSupport setting.
struct MouseReporting {
    HostInputModes modes;
    int mouseSupport = 0;

    bool Tracking() const { return modes.tracking != MouseTracking::Off; }
    // Whether the event goes to the host rather than the view (a selection
    // being dragged aside, whose moves and release stay the view's).
    bool Takes(const MouseInput& input) const;
};

// Turns mouse events into report bytes; remembers the last cell reported so
// that moves within one cell are reported once.
class MouseReporter {
public:
    // The bytes for the host, empty when the event is not reported.
    std::string Report(const MouseReporting& reporting, const MouseInput& input);

private:
    struct Cell {
        int row;
        int column;
        bool operator==(const Cell&) const = default;
    };
    std::optional<Cell> last_;
};

} // namespace tamsivane
