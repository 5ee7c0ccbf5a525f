// The desktop program's command line: which setup file, Telnet host or local
// program to open at start-up, whether to connect, which script to run, and
// the program's own "--" options for support and tests.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamsivane {

// The "--" options, taken out before the rest is read.
struct DesktopOptions {
    std::string screenshot;  // --screenshot PNG: the main window, taken at quit-after
    std::string dumpText;    // --dump-text FILE: the active session's page as text
    int quitAfterSeconds = -1; // --quit-after SECONDS; -1: run until closed
    std::string faultReport; // --fault-report FILE: show that report and end
    std::string replay;      // --replay FILE: a loop-back session fed with the file
    bool quitAtEnd = false;  // --quit-at-end: quit once the session ended and is painted
};

// What the rest of the command line asks to open.
struct StartupRequest {
    enum class Open { Nothing, SetupFile, Telnet, Program };
    Open open = Open::Nothing;
    std::string setupFile;
    std::string host;
    int port = 23;
    bool noConnect = false; // -E: setup files open without connecting
    std::string script;     // -S FILE: run in the new session
    // -e COMMAND [ARG...]: a local-shell session running these words as
    // the program's argument vector, the program first.
    std::vector<std::string> program;
};

struct StartupCommandLine {
    DesktopOptions desktop;
    StartupRequest request;
    // The words could not be read: show Msg::CommandLineError, open nothing, go on.
    bool error = false;
};

// Splits a command-line text into words: blanks and TABs separate them; a
// word that begins with a double quote runs to the next one (or the end),
// without the quotes.
std::vector<std::string> SplitCommandLine(std::string_view text);

// Where "-e COMMAND [ARG...]" begins in words: the index of its "-e", or
// words.size().  Every word after it belongs to the command, whatever it
// looks like.  A lower-case "-e" before a setup file, a link, an option or
// nothing keeps its older meaning, the same as "-E".
size_t ProgramOptionAt(std::span<const std::string> words,
                       const std::function<bool(const std::string&)>& isFile);

// The words as a POSIX shell reads them back: quoted where they need it.
std::string ShellQuoted(std::span<const std::string> words);

// Reads the words after the program name.  isFile tells whether a regular
// file of that name exists (a bare target is opened as a setup file when one
// does).
StartupCommandLine ParseStartupWords(std::span<const std::string> words,
                                     const std::function<bool(const std::string&)>& isFile);

// Whether a regular file of that name exists.
bool RegularFileExists(const std::string& path);

} // namespace tamsivane
