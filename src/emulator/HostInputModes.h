// What the host asks of the user's input by DEC private modes: mouse
// tracking, its encoding, and bracketed paste.  Kept by the emulator, read
// by the view and the session when the user clicks or pastes.
#pragma once

#include <cstdint>

namespace tamsivane {

enum class MouseTracking : uint8_t {
    Off,
    Buttons, // 1000: presses, releases and the wheel
    Drags,   // 1002: and moves while a button is held
    Motion,  // 1003: and every move
};

struct HostInputModes {
    MouseTracking tracking = MouseTracking::Off;
    bool sgrEncoding = false;    // 1006: reports as CSI < b ; x ; y M/m
    bool bracketedPaste = false; // 2004: pastes between CSI 200~ and CSI 201~

    bool operator==(const HostInputModes&) const = default;
};

} // namespace tamsivane
