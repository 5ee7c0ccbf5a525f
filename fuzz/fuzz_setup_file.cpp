// Reads arbitrary bytes as a setup file.  A refused file must leave the
// session as it was; an accepted one must write out as a file that reads back
// to the same session and writes out to the same bytes again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/SetupFile.h"

namespace {

using namespace tamsivane;

void Fail(const char* what) {
    std::fprintf(stderr, "setup file: %s\n", what);
    std::abort();
}

bool SameSettings(const SettingsStore& a, const SettingsStore& b) {
    for (int param = 0; param < kParameterCount; ++param) {
        if (!a.Equals(param, b)) return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    SettingsStore settings;
    KeyMap keys;
    settings.SetString(P::HostName, "session");
    keys.SetEntry('A', Modifier::Alt, KeyAction::Send,
                  "\x1b"
                  "a");
    SettingsStore before;
    before.CopyFrom(settings);
    const KeyMap keysBefore = keys;

    if (!DecodeSetupFile(image, settings, keys).ok()) {
        if (!SameSettings(settings, before) || !(keys == keysBefore)) {
            Fail("a refused file changed the session");
        }
        return 0;
    }

    const std::string written = EncodeSetupFile(settings, keys);
    SettingsStore reread;
    KeyMap rereadKeys;
    if (!DecodeSetupFile(written, reread, rereadKeys).ok()) Fail("a written file is refused");
    if (!SameSettings(settings, reread)) Fail("the settings changed on the way through a file");
    if (!(keys == rereadKeys)) Fail("the key map changed on the way through a file");
    if (EncodeSetupFile(reread, rereadKeys) != written) Fail("a second write differs");
    return 0;
}
