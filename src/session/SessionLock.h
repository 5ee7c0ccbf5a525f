// The session lock: one mutex per session guarding its emulator (with the
// screen buffer and the settings) and its key map, which the I/O thread, the
// GUI thread, script threads and the transfer worker all reach.  Every entry
// point takes it: a received block, a key press, a paint, a script call, a
// settings apply, a transfer hand-back.
//
// SessionLock is the held lock: it is the only way from outside the session
// to what the lock guards, so code that reaches the emulator without holding
// the lock does not compile.
//
// Rules for whoever holds it:
//  1. Never block on another thread: no join, no waiting for the GUI, no
//     blocking write.  Bytes for the host are sent without waiting (the
//     transports queue what the line cannot take at once).
//  2. Lock order: the session lock first, then inner locks (receive ring,
//     socket output, script queue, transfer input).  Inner locks never call
//     out of their object.
//  3. View updates are posted to the GUI, never waited for.
//  4. No call back into the session's own operations: they take the lock
//     themselves.
#pragma once

#include <mutex>

#include "emulator/VtEmulator.h"

namespace tamsivane {

class KeyMap;

class [[nodiscard]] SessionLock {
public:
    VtEmulator& Emulator() const { return *emulator_; }
    ScreenBuffer& Screen() const { return emulator_->Screen(); }
    SessionSettings& Settings() const { return emulator_->Settings(); }
    KeyMap& Keys() const { return *keys_; }

private:
    friend class CVT420Doc;
    SessionLock(std::unique_lock<std::mutex> lock, VtEmulator& emulator, KeyMap& keys)
        : lock_(std::move(lock)), emulator_(&emulator), keys_(&keys) {}

    std::unique_lock<std::mutex> lock_;
    VtEmulator* emulator_;
    KeyMap* keys_;
};

} // namespace tamsivane
