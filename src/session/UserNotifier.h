// Messages for the user (an OK box in the desktop program, a line on standard
// error in the headless one).  Callers may hold the session lock, so an
// implementation shows the message without making its caller wait for the
// user: the desktop program queues the box to the GUI thread.
#pragma once

#include <string_view>

#include "config/ResourceStrings.h"

namespace tamsivane {

class UserNotifier {
public:
    virtual ~UserNotifier() = default;

    // stringId: the message's number in the resource-string table; text: the
    // message, already filled in.  Any thread.
    virtual void ShowMessage(int stringId, std::string_view text) = 0;

    // A resource string shown as it stands.
    void Notify(int stringId) { ShowMessage(stringId, ResourceString(stringId)); }
};

} // namespace tamsivane
