#include "emulator/MouseReport.h"

#include <cstdio>

namespace tamsivane {
namespace {

// Tracking button codes and the additions for moves and modifier keys.
constexpr int kReleaseCode = 3;
constexpr int kMotionFlag = 32;
constexpr int kWheelCode = 64;
constexpr int kShiftFlag = 4;
constexpr int kAltFlag = 8;
constexpr int kCtrlFlag = 16;
// The default encoding carries each value in one byte offset by 32.
constexpr int kLargestByteValue = 255 - 32;

int ButtonCode(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return 0;
    case MouseButton::Middle:
        return 1;
    case MouseButton::Right:
        return 2;
    case MouseButton::None:
        break;
    }
    return kReleaseCode;
}

// The first held button, in the order of the codes.
MouseButton FirstHeld(int held) {
    if (held & MouseButtons::Left) return MouseButton::Left;
    if (held & MouseButtons::Middle) return MouseButton::Middle;
    if (held & MouseButtons::Right) return MouseButton::Right;
    return MouseButton::None;
}

// The code of a tracking report, or nothing when the mode leaves the event out.
std::optional<int> TrackingCode(MouseTracking tracking, const MouseInput& input) {
    int code = 0;
    switch (input.action) {
    case MouseAction::Press:
        if (input.button == MouseButton::None) return std::nullopt;
        code = ButtonCode(input.button);
        break;
    case MouseAction::Release:
        code = kReleaseCode;
        break;
    case MouseAction::WheelUp:
        code = kWheelCode;
        break;
    case MouseAction::WheelDown:
        code = kWheelCode + 1;
        break;
    case MouseAction::Move: {
        const MouseButton held = FirstHeld(input.held);
        if (tracking == MouseTracking::Buttons) return std::nullopt;
        if (held == MouseButton::None && tracking != MouseTracking::Motion) return std::nullopt;
        code = ButtonCode(held) + kMotionFlag;
        break;
    }
    }
    return code + (input.shift ? kShiftFlag : 0) + (input.alt ? kAltFlag : 0) +
           (input.ctrl ? kCtrlFlag : 0);
}

std::string TrackingBytes(const HostInputModes& modes, const MouseInput& input) {
    const std::optional<int> code = TrackingCode(modes.tracking, input);
    if (!code) return {};
    if (modes.sgrEncoding) {
        // A release names its button, and 'm' ends it.
        int value = *code;
        if (input.action == MouseAction::Release) value += ButtonCode(input.button) - kReleaseCode;
        char text[48];
        const int n =
            std::snprintf(text, sizeof text, "\x1b[<%d;%d;%d%c", value, input.column + 1,
                          input.row + 1, input.action == MouseAction::Release ? 'm' : 'M');
        return std::string(text, static_cast<size_t>(n));
    }
    if (input.column + 1 > kLargestByteValue || input.row + 1 > kLargestByteValue) return {};
    return std::string("\x1b[M") + static_cast<char>(32 + *code) +
           static_cast<char>(33 + input.column) + static_cast<char>(33 + input.row);
}

// MouseSupport 1: press and release of the left and right buttons.
std::string SettingOneBytes(const MouseInput& input) {
    char button;
    if (input.action == MouseAction::Press && input.button == MouseButton::Left) {
        button = '#';
    } else if (input.action == MouseAction::Press && input.button == MouseButton::Right) {
        button = '!';
    } else if (input.action == MouseAction::Release &&
               (input.button == MouseButton::Left || input.button == MouseButton::Right)) {
        button = ' ';
    } else {
        return {};
    }
    return std::string("\x1b[M") + button + static_cast<char>(input.column + 33) +
           static_cast<char>(input.row + 33);
}

// MouseSupport 2: an event number, the left and right buttons held, the cell.
std::string SettingTwoBytes(const MouseInput& input) {
    const bool left = input.button == MouseButton::Left;
    const bool right = input.button == MouseButton::Right;
    int event;
    if (input.action == MouseAction::Move) {
        event = 1;
    } else if (input.action == MouseAction::Press && (left || right)) {
        event = left ? 2 : 6;
    } else if (input.action == MouseAction::Release && (left || right)) {
        event = left ? 3 : 7;
    } else {
        return {};
    }
    char text[64];
    const int n = std::snprintf(text, sizeof text, "\x1b[%d;%d;%d;%d&w", event,
                                input.held & (MouseButtons::Left | MouseButtons::Right),
                                input.row + 1, input.column + 1);
    return std::string(text, static_cast<size_t>(n));
}

} // namespace

bool MouseReporting::Takes(const MouseInput& input) const {
    const bool pressOrWheel =
        input.action != MouseAction::Move && input.action != MouseAction::Release;
    if (Tracking()) return !pressOrWheel || !input.shift;
    if (mouseSupport != 1 && mouseSupport != 2) return false;
    if (!pressOrWheel) return true;
    // The settings' reporting leaves Shift and Ctrl with the left button for
    // selecting, and the other buttons and the wheel with the view.
    if (input.action != MouseAction::Press) return false;
    if (input.button == MouseButton::Left) return !input.shift && !input.ctrl;
    return input.button == MouseButton::Right;
}

std::string MouseReporter::Report(const MouseReporting& reporting, const MouseInput& input) {
    const Cell cell{input.row, input.column};
    if (input.action == MouseAction::Move && last_ == cell) return {};
    std::string bytes;
    if (reporting.Tracking()) {
        bytes = TrackingBytes(reporting.modes, input);
    } else if (reporting.mouseSupport == 1) {
        bytes = SettingOneBytes(input);
    } else if (reporting.mouseSupport == 2) {
        bytes = SettingTwoBytes(input);
    }
    // A tracking host hears of a move only once the mouse leaves the cell
    // it last heard of, also after a press or release there.
    if (input.action == MouseAction::Move || (reporting.Tracking() && !bytes.empty())) last_ = cell;
    return bytes;
}

} // namespace tamsivane
