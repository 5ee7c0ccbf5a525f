#include "transport/CLocalTransport.h"

#include "config/SettingsStore.h"
#include "session/UserNotifier.h"

namespace tamsivane {

CLocalTransport::CLocalTransport(TransportHost& host) : CTransport(host, TransportType::Local) {}

CLocalTransport::~CLocalTransport() { Shutdown(); }

bool CLocalTransport::Connect(const SettingsStore&) { return true; }

CTransport::Input CLocalTransport::WaitForInput(bool) {
    Doorbell().Wait(kWaitTick);
    return Input::None;
}

bool CLocalTransport::Write(const uint8_t* bytes, size_t n) {
    EchoLocally(bytes, n);
    return true;
}

bool CLocalTransport::ApplySettings(const SettingsStore& settings) {
    if (settings.GetNumber(P::HostType) != static_cast<int32_t>(TransportType::Local)) {
        Host().Notifier().Notify(Msg::RestartForSettings);
    }
    return true;
}

std::string CLocalTransport::GetName(const SettingsStore&) const { return "Echo"; }

} // namespace tamsivane
