// The session lock: one mutex per session guarding its emulator, screen
// buffer and settings, which the I/O thread, the GUI thread, script threads
// and the transfer worker all reach.  Every entry point takes it: a received
// block, a key press, a paint, a script call, a settings apply, a transfer
// hand-back.
//
// Rules for whoever holds it:
//  1. Never block on another thread: no join, no waiting for the GUI, no
//     blocking write.  Bytes for the host are sent without waiting (the
//     transports queue what the line cannot take at once).
//  2. Lock order: the session lock first, then inner locks (receive ring,
//     socket output, script queue, transfer input).  Inner locks never call
//     out of their object.
//  3. View updates are posted to the GUI, never waited for.
#pragma once

#include <mutex>

namespace tamsivane {

using SessionLock = std::mutex;

} // namespace tamsivane
