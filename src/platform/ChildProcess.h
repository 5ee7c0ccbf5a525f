// Runs a program and waits for it, giving up (and ending the program with
// everything it started) when the caller is told to stop.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tamsivane {

// Runs argv[0] (looked up in PATH) in a process group of its own, with
// standard input from /dev/null and standard output joined to standard error
// (so that it never mixes with what a program without windows prints).
// Returns its exit status, -1 when it could not be started or did not exit
// by itself.  stop() is asked every few milliseconds; once it turns true the
// whole group gets SIGTERM, and SIGKILL if the program has not ended within
// half a second; the program is always reaped before this returns.
int RunProgram(const std::vector<std::string>& argv, const std::function<bool()>& stop);

// Runs a command line through /bin/sh -c.
int RunShellCommand(const std::string& commandLine, const std::function<bool()>& stop);

// Plays a sound file with paplay or aplay; nothing when neither exists.
void PlaySoundFile(const std::string& path, const std::function<bool()>& stop);

} // namespace tamsivane
