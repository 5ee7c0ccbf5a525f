// Opening a session from an address-book entry: the entry's template, then
// the connection its type and address name, then its login script.
#pragma once

#include "config/AddressBook.h"
#include "config/SettingsStore.h"
#include "keyboard/KeyMap.h"
#include "session/UserNotifier.h"

namespace tamsivane {

class Templates;

// HostType of the address book's SSH1 entries: an obsolete protocol, never
// connected (SSH2 entries open an SSH session).
inline constexpr int32_t kSsh1HostType = 6;

// Applies the entry to a new session's settings and key map.  A template
// that cannot be loaded is reported and the settings stay as they were;
// an address that is no host with a valid port, or a type the address
// book does not know, is reported and false returned.
bool ApplyAddressBookEntry(const AddressBookEntry& entry, const Templates& templates,
                           SettingsStore& settings, KeyMap& keys, UserNotifier& user);

} // namespace tamsivane
