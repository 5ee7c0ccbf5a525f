// Runs a program and waits for it, giving up (and ending the program) when
// the caller is told to stop.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tamsivane {

// Runs argv[0] (looked up in PATH) with the arguments; returns its exit
// status, -1 when it could not be started, or -1 after ending it because
// stop() turned true (asked every few milliseconds).
int RunProgram(const std::vector<std::string>& argv, const std::function<bool()>& stop);

// Runs a command line through /bin/sh -c.
int RunShellCommand(const std::string& commandLine, const std::function<bool()>& stop);

// Plays a sound file with paplay or aplay; nothing when neither exists.
void PlaySoundFile(const std::string& path, const std::function<bool()>& stop);

} // namespace tamsivane
