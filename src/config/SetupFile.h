// The setup file (".QZV"): every session parameter as a self-describing
// record, then the key map.  Texts are stored in the application's ANSI code
// page and held as UTF-8 in the settings store.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "config/SettingsStore.h"
#include "keyboard/KeyMap.h"

namespace tamsivane {

inline constexpr std::string_view kSetupFileMagic = "QZV V3.00 Setup File";
// Far above any real setup file; keeps a hostile file from filling the memory.
inline constexpr size_t kMaxSetupFileSize = 16 * 1024 * 1024;

enum class SetupReadStatus { Ok, PreviousVersion, Invalid };

struct SetupReadResult {
    SetupReadStatus status = SetupReadStatus::Ok;
    std::string reason; // what is wrong with an invalid file

    bool ok() const { return status == SetupReadStatus::Ok; }
};

// The file's bytes for these settings and this key map.
std::string EncodeSetupFile(const SettingsStore& settings, const KeyMap& keys);

// Reads a whole setup file image into scratch copies of settings and keys
// (parameters absent from the file keep their values; the key map's entry list
// starts empty and gets the built-in menu entries afterwards).  Only when the
// whole image is valid are the copies taken into settings and keys; otherwise
// both are left untouched.  A caller that needs a change set passes a scratch
// store and compares it with the session's store afterwards.
SetupReadResult DecodeSetupFile(std::string_view image, SettingsStore& settings, KeyMap& keys);

struct SetupFileResult {
    bool ok = false;
    int stringId = 0;    // the message's number when !ok
    std::string message; // for the user when !ok
};

// Reads the setup file at path as DecodeSetupFile does.  The message is the
// previous-version message, or Msg::CannotReadSetupFile naming the file.
SetupFileResult LoadSetupFile(const std::string& path, SettingsStore& settings, KeyMap& keys);
// Writes the setup file so that a failure leaves any old file at path intact.
SetupFileResult SaveSetupFile(const std::string& path, const SettingsStore& settings,
                              const KeyMap& keys);

} // namespace tamsivane
