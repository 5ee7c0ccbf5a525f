// What the build fixes: the program's version, and where an installed
// program finds its plug-ins.
#pragma once

namespace tamsivane {

// The version of this build, as "4.4".
const char* ProgramVersion();
// The folder of the installed plug-ins, relative to the installation prefix
// (the parent of the programs' folder): "lib/tamsivane", or with the
// architecture's library folder "lib/x86_64-linux-gnu/tamsivane".
const char* InstalledPluginFolder();

} // namespace tamsivane
