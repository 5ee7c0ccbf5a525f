#include "app/SessionInput.h"

#include <mutex>

#include "emulator/ControlNames.h"

namespace tamsivane {

std::string ButtonBytes(std::string_view notation) {
    std::string bytes;
    return DecodeNotation(notation, bytes) ? bytes : std::string();
}

std::string ChatLineBytes(CVT420Doc& doc, const QString& text, bool lineEnd) {
    std::string bytes;
    const SessionLock locked = doc.Locked();
    VtEmulator& emulator = locked.Emulator();
    for (const QChar ch : text) bytes += emulator.Charsets().Encode(ch.unicode());
    if (lineEnd) bytes += emulator.Settings().GetNumber(P::NewLine) == 0 ? "\r" : "\r\n";
    return bytes;
}

} // namespace tamsivane
