// The session's settings: a SettingsStore whose change hook records what an
// accepted change affects in a ChangeSet, acted upon by the emulator and views.
#pragma once

#include "config/SettingsStore.h"

namespace tamsivane {

struct ChangeSet {
    // In the order they are acted on.
    bool historySize = false;
    bool historyClear = false;
    bool pageGeometry = false;
    bool screenReset = false;
    bool fonts = false;
    bool relayout = false;
    bool repaint = false;
    bool cursor = false;
    bool margins = false;
    int printModeOff = 0; // 1 ends auto print; other non-zero ends the printer controller
    int printModeOn = 0;  // 1 starts auto print; other non-zero starts the printer controller
    bool keyboardLights = false;
    bool communication = false;
    // Acted on by the view after a settings dialog.
    bool title = false;
    bool buttons = false;

    void Clear() { *this = ChangeSet{}; }
    bool Any() const;
};

class SessionSettings : public SettingsStore {
protected:
    // Records the change in changes (when given); every change is accepted.
    bool OnChange(ChangeSet* changes, int param, std::optional<int> element) override;
};

// Records in set what a change of param affects.
void RecordChange(ChangeSet& set, int param);

} // namespace tamsivane
