// The loop-back transport: whatever is sent comes back as received data and
// goes through the emulator like bytes from a host.
#pragma once

#include "transport/CTransport.h"

namespace tamsivane {

class CLocalTransport final : public CTransport {
public:
    explicit CLocalTransport(TransportHost& host);
    ~CLocalTransport() override;

    bool Connect(const SettingsStore& settings) override;
    void Close() override {}
    bool Write(const uint8_t* bytes, size_t n) override;
    bool ApplySettings(const SettingsStore& settings) override;
    std::string GetName(const SettingsStore& settings) const override;

private:
    // Everything arrives through the ring: only waits for the doorbell.
    Input WaitForInput(bool wantInput) override;
};

} // namespace tamsivane
