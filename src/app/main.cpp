// tamsivane: the desktop program.
#include <QApplication>

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/DesktopStartup.h"
#include "app/QSettingsProfile.h"
#include "platform/BuildInfo.h"
#include "session/StartupArgs.h"

namespace {

// What --help prints; the manual page is made from it.
constexpr std::string_view kHelp = R"(Usage: tamsivane [OPTION]... [-F] SETUP[.qzv]
  or:  tamsivane [OPTION]... -H HOST [PORT]
  or:  tamsivane [OPTION]... HOST[:PORT] | telnet://HOST[:PORT]/ | file:///PATH/SETUP.qzv
  or:  tamsivane [OPTION]... -e COMMAND [ARG...]
  or:  tamsivane --help | --version
Open the main window of the terminal emulator, with the session the command
line names, or none.  Each session is a terminal of the VT420 family
connected by Telnet, SSH, a serial line, a modem, a local shell or the
loop-back, in its own window inside the main window.

A plain target is a setup file when a file of that name, or with .QZV or
.qzv added, exists; otherwise a Telnet address: host, host:port, [::1]:port.
A telnet: link is always an address, never a file.  A command line that
cannot be read (an unknown option, a third target, a port that is not a
number from 1 to 65535, a port after a setup file) shows "Error while
processing command line." and the program starts without a session.
Options are one letter right after -, in any case; Qt's own options
(-platform offscreen, -style ...) are taken first.

Options:
  -F FILE             FILE is a setup file (a port after it is an error)
  -H HOST [PORT]      a Telnet session to HOST, port 23 unless PORT is given
  -E                  setup files open without connecting and without their
                      login script
  -S SCRIPT           run the script file in the new session once it is open
  -P                  accepted, no effect
  -e COMMAND [ARG...]
                      a local-shell session running COMMAND (found along
                      PATH) with the words after it as its arguments,
                      exactly as given; comes last.  With AutoExit set the
                      program ends when the command does.  A lower-case -e
                      before a setup file, a link or an option means -E
  --help              print this help and exit
  --version           print the version and exit

Support options:
  --screenshot PNG    write the main window as a PNG file
  --dump-text FILE    write the active session's displayed page, one line
                      per row, as tamsivane-cli replay prints it
  --quit-after SECONDS
                      end the program then; the screenshot and the dump are
                      taken at that moment (otherwise when the program ends)
  --replay FILE       a loop-back session showing the host bytes of FILE
  --quit-at-end       end the program once the session's connection has
                      ended and its last screen is painted
  --fault-report FILE
                      show a fault report in a box (the program starts
                      itself so after a crash)

Exit status:
  0                   the program ended normally
  1                   no display to show windows on, or the screenshot or
                      the page dump could not be written

Files:
  ~/.config/Gallimox/Tamsivane.conf
                      the program's own settings: window placement, bars,
                      recent files and hosts, serial devices
                      (SerialPorts/COMn), modems, Settings/HostScripts
  ~/.local/share/tamsivane
                      the user's templates, the address book (AddrBook.Txt)
                      and fault-report.txt, read before the shipped files
                      ($XDG_DATA_HOME/tamsivane when XDG_DATA_HOME is set)
  /usr/share/tamsivane
                      the shipped "default" template and the help pages
                      (../share/tamsivane from the program's folder)
  ~/Downloads/Tamsivane
                      received files, unless the session's RecvDir names
                      another folder
  ~/.config/mimeapps.list
                      the program makes itself the default for setup files
                      and telnet links only where no default is set
  ~/.terminfo         the terminal description "tamsivane" is copied here
                      when the program runs from its build folder
  ~/.ssh/known_hosts  the SSH host keys checked and stored

Environment:
  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM
                      the window system; with none of them set the program
                      points to tamsivane-cli and exits with 1
  XDG_CONFIG_HOME     the folder of the program's settings, mimeapps.list
                      and user-dirs.dirs (else ~/.config)
  XDG_DATA_HOME       the user's data folder is tamsivane in it
  XDG_DOWNLOAD_DIR    received files go to Tamsivane in this folder (else in
                      the one user-dirs.dirs names, else ~/Downloads)
  HOME                the user's home folder
  SHELL               the shell of local shell sessions
  TERMINFO, TERMINFO_DIRS
                      where the local shell's programs find the terminal
                      description "tamsivane"

Examples:
  tamsivane -H host.example.org
                      a Telnet session to that host
  tamsivane -E lab.qzv
                      the session of a setup file, not connected yet
  tamsivane -S login.scr telnet://[::1]:2323/
                      a Telnet session that runs a script once open
  tamsivane -e top -d 5
                      a window running a program
  tamsivane --replay demo.vt --screenshot demo.png --quit-after 3
                      a picture of the screen a file of host bytes makes
                      (with QT_QPA_PLATFORM=offscreen, without a display)
)";

// --help or --version among the program's own words (those before
// "-e COMMAND", which belong to the command), or nullptr.
const char* InformationAsked(const std::vector<std::string>& words, size_t programAt) {
    for (size_t i = 0; i < programAt; ++i) {
        if (words[i] == "--help" || words[i] == "--version") return words[i].c_str();
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    // "-e COMMAND [ARG...]" is kept from Qt, which would take words such as
    // "-style" out of the command.
    const std::vector<std::string> words(argv + 1, argv + argc);
    const size_t programAt = tamsivane::ProgramOptionAt(words, tamsivane::RegularFileExists);
    // Answered at once, even without a display.
    if (const char* asked = InformationAsked(words, programAt)) {
        if (std::string_view(asked) == "--help") {
            std::fwrite(kHelp.data(), 1, kHelp.size(), stdout);
        } else {
            std::printf("tamsivane %s\n", tamsivane::ProgramVersion());
        }
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (!tamsivane::HaveDisplay()) {
        std::fputs(tamsivane::kNoDisplayMessage, stderr);
        return 1;
    }
    QApplication::setOrganizationName(tamsivane::kOrganisation);
    QApplication::setApplicationName(tamsivane::kApplication);
    int qtCount = static_cast<int>(programAt) + 1;
    QApplication app(qtCount, argv);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    return tamsivane::RunDesktop(arguments, std::span(words).subspan(programAt));
}
