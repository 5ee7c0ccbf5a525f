// The one QApplication of the test program, on Qt's offscreen platform, with
// the XDG folders in a temporary folder so that no test reads or writes the
// user's own settings.
#pragma once

#include <QApplication>

#include <cstdlib>

#include "SessionFixture.h"

namespace tamsivane::testing {

// The face that view and printing tests ask for by name, so that their
// measures do not follow the machine's preferred fixed-pitch font; the
// project's package list installs it.
inline constexpr const char* kTestFace = "DejaVu Sans Mono";

inline void EnsureApplication() {
    if (QApplication::instance() != nullptr) return;
    static TempFolder home;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                             "XDG_RUNTIME_DIR"}) {
        setenv(name, home.Path().c_str(), 1);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace tamsivane::testing
