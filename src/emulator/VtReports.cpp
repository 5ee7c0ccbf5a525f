// Replies to the host and the hand-offs to user-defined keys, the soft font
// and host-started scripts.
#include <cstdio>
#include <string>

#include "emulator/EmulatorHost.h"
#include "emulator/VtEmulator.h"
#include "platform/BuildInfo.h"

namespace tamsivane {

namespace {
// Primary device attributes by TermID.
constexpr const char* kPrimaryAttributes[] = {
    "\x1b[?64;1;2;6;7;8;9;15;18;19;21c", // VT420
    "\x1b[?63;1;2;6;7;8;9c",             // VT320
    "\x1b[?62;1;2;6;7;8;9c",             // VT220
    "\x1b[?6c",                          // VT102
    "\x1b[?1;0c",                        // VT101
    "\x1b[?1;2c",                        // VT100
};
constexpr const char kSecondaryAttributes[] = "\x1b[>41;1;0c";
} // namespace

void VtEmulator::Send(std::string_view bytes) {
    if (!bytes.empty()) host_->SendToHost(bytes);
}

void VtEmulator::PrimaryDeviceAttributes() {
    const int id = settings_.GetNumber(P::TermID);
    constexpr int kIds = sizeof(kPrimaryAttributes) / sizeof(kPrimaryAttributes[0]);
    Send(kPrimaryAttributes[id >= 0 && id < kIds ? id : 2]);
}

void VtEmulator::SecondaryDeviceAttributes() { Send(kSecondaryAttributes); }
void VtEmulator::TertiaryDeviceAttributes() {
    Send(std::string("\x1bP!|BRELL SOFTWARE Tamsivane ") + ProgramVersion() + "\x1b\\");
}

// Page coordinates, also in origin mode; the status line is row Lines + 1.
void VtEmulator::CursorPositionReport() {
    char reply[32];
    const int row = statusActive_ ? lines_ + 1 : cursorRow_ + 1;
    const int n = std::snprintf(reply, sizeof reply, "\x1b[%d;%dR", row, cursorColumn_ + 1);
    Send(std::string_view(reply, static_cast<size_t>(n)));
}

void VtEmulator::Answerback() { Send(settings_.GetString(P::AnswerBack)); }

void VtEmulator::DefineUserKeys(std::string_view data) { userKeys_.Define(data); }

void VtEmulator::DownloadSoftFont(const SoftFont::LoadParameters& parameters,
                                  std::string_view data) {
    softFont_.Load(parameters, data);
    screen_.MarkAllChanged();
}

// The session reads a named file on the script's own thread, never while
// the received block holds the session.
void VtEmulator::RunHostScript(std::string_view data, bool isFileName) {
    host_->RunHostScript(data, isFileName);
}

} // namespace tamsivane
