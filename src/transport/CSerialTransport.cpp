#include "transport/CSerialTransport.h"

#include "config/SettingsStore.h"
#include "emulator/VtEmulator.h"
#include "session/UserNotifier.h"

namespace tamsivane {

std::string ComPortName(int port) { return "COM" + std::to_string(int64_t{port} + 1); }

CSerialTransport::CSerialTransport(TransportHost& host)
    : CLineTransport(host, TransportType::Serial),
      portIndex_(host.Emulator().Settings().GetNumber(P::Port)),
      device_(host.Lines().SerialDevice(portIndex_)) {}

CSerialTransport::~CSerialTransport() { Shutdown(); }

bool CSerialTransport::Connect(const SettingsStore& settings) {
    std::string reason;
    if (OpenLine(device_, LineSettingsOf(settings), reason) == CSerialPort::OpenResult::Opened) {
        return true;
    }
    // The reason stays on the screen under the "Cannot connect" message.
    failure_ = reason;
    ShowText(reason + "\r\n");
    return false;
}

bool CSerialTransport::ApplySettings(const SettingsStore& settings) {
    if (settings.GetNumber(P::HostType) != static_cast<int32_t>(TransportType::Serial) ||
        settings.GetNumber(P::Port) != portIndex_) {
        Host().Notifier().Notify(Msg::RestartForSettings);
        return true;
    }
    const std::string reason = Reconfigure(LineSettingsOf(settings));
    if (reason.empty()) return true;
    Host().Notifier().ShowMessage(0, reason);
    return false;
}

std::string CSerialTransport::GetName(const SettingsStore& settings) const {
    return ComPortName(settings.GetNumber(P::Port));
}

} // namespace tamsivane
