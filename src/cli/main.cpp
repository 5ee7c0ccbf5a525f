// tamsivane-cli: the terminal engine without windows.
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "cli/Commands.h"
#include "platform/BuildInfo.h"

namespace {

struct Command {
    std::string_view name;
    int (*run)(std::span<const std::string_view> args);
    std::string_view usage;
    std::string_view synopsis; // one line, for --help
};

constexpr Command kCommands[] = {
    {"replay", tamsivane::RunReplay,
     "replay [--set KEY=VALUE]... [--chunk N] [--dump text|json|none]\n"
     "      [--print-to FILE [--print-page LINESxCOLUMNS]] [FILE|-]",
     "replay [OPTION]... [FILE|-]"},
    {"run", tamsivane::RunSession,
     "run [SETUP.qzv | telnet://HOST[:PORT] | ssh://[USER@]HOST[:PORT] |\n"
     "      --host HOST [--port PORT] | --loopback | --local-shell | --entry NAME]\n"
     "      [--ssh-accept-new] [--host-scripts] [--term NAME]\n"
     "      [--set KEY=VALUE]... [--device PATH] [--send TEXT]... [--script FILE]\n"
     "      [--capture FILE] [--recv-dir DIR] [--zmodem-send FILE]... [--timeout SECONDS]\n"
     "      [--print-to FILE [--print-page LINESxCOLUMNS]] [--dump text|json|none]",
     "run [OPTION]... [SETUP.qzv | telnet://HOST[:PORT] | ssh://[USER@]HOST[:PORT]]"},
    {"keys", tamsivane::RunKeys, "keys [--set KEY=VALUE]... [--setup FILE.qzv] KEY...",
     "keys [OPTION]... KEY..."},
    {"settings", tamsivane::RunSettings,
     "settings [--setup FILE.qzv] [--set KEY=VALUE]... [KEY...]",
     "settings [OPTION]... [KEY...]"},
};

// What --help adds to the usage: the commands, every option, the notation
// of texts, the exit statuses, the files and environment the program uses,
// examples.  The manual page is made from this text.
constexpr std::string_view kHelp = R"(Run terminal sessions of the VT420 family without windows: feed host output
to a terminal, run a whole session over Telnet, SSH, a serial line, a modem,
a local shell or the loop-back, show what keys send, list the session
parameters.  replay and run print the terminal's displayed page at the end.

Commands:
  replay              feed the bytes of FILE (standard input for - or no
                      file) to a fresh terminal, as a host would send them
  run                 open a session, send each TEXT in order, keep it until
                      the host closes it or the timeout has passed since the
                      texts were sent
  keys                print, one line per KEY, what pressing that PC key
                      sends or does in a session, without connecting; KEY is
                      a key name (A, F1, Up, Page Down, Numpad 5 ...) with
                      any of Alt+, Ctrl+ and Shift+ in front
  settings            list the session parameters (all, or the KEYs named),
                      one line each, fields separated by tabs: number, key,
                      value, default, accepted values

Options:
  --set KEY=VALUE     set a session parameter by its key name, after the
                      setup file or template: --set Columns=132,
                      --set TermID=0; number lists as --set FKeys=1,1,1,1,1;
                      texts in the notation below; may be repeated (replay,
                      run, keys, settings)
  --setup FILE.qzv    take settings and key map from a setup file instead of
                      the "default" template (keys, settings)
  --chunk N           hand the input to the terminal in blocks of N bytes
                      (default 2048) (replay)
  --dump text|json|none
                      print the displayed page as text (default), as one
                      JSON object, or not at all (replay, run)
  --print-to FILE     what the terminal prints goes to FILE instead of a
                      printer: raw output as its bytes, documents as text
                      pages (replay, run)
  --print-page LINESxCOLUMNS
                      the size of a text page in the --print-to file
                      (default 60x80) (replay, run)
  --host HOST         a Telnet session to HOST (run)
  --port PORT         the port of --host: a number or a service name (run)
  --loopback          the loop-back connection: what is sent comes back (run)
  --local-shell       a shell on this machine: the user's login shell, or
                      with --set HostName=COMMAND that command (run)
  --entry NAME        the address-book entry with that site name (run)
  --ssh-accept-new    store the key of an SSH host met for the first time; a
                      changed key is always refused (run)
  --host-scripts      let the host start scripts, which are refused without
                      it (run)
  --term NAME         the terminal name told to the host: TERM of a local
                      shell, the terminal type of Telnet and SSH (run)
  --device PATH       the serial device of a serial or modem session (run)
  --send TEXT         bytes for the host in the notation below, sent once
                      connected; may be repeated (run)
  --script FILE       run a script file in the session; the session ends
                      with the script (run)
  --capture FILE      write what the session displays to FILE (run)
  --recv-dir DIR      the folder received files go to (run)
  --zmodem-send FILE  send FILE by ZModem after the texts; may be repeated
                      (run)
  --timeout SECONDS   how long the session is kept after the texts were sent
                      (default 10, fractions allowed) (run)
  -h, --help          print this help; after a command, that command's usage
  --version           print the version

Targets of run:
  SETUP.qzv           a setup file saved by the desktop program
  telnet://HOST[:PORT]
                      a Telnet session (port 23 by default) on the "default"
                      template
  ssh://[USER@]HOST[:PORT]
                      an SSH session (port 22 by default); the password
                      comes from --set SshPassword=..., else it is asked for

Texts:
  The --send texts and the text parameters of --set are bytes in a notation:
  <NAME> for a control by name (<ESC>, <CSI>, <CR>, <LF>, <BEL> ...), ^ and a
  character from @ to _ for a C0 control (^C), \xHH for any byte, and \\, \<
  and \^ for the three special characters themselves.  A <NAME> that names no
  control stays as written, except in --send, where it is an error.

Exit status:
  0                   success
  1                   a failure while running (an output file not written
                      in full)
  2                   bad usage, an unknown key or value, an unreadable
                      file, or a session that could not be opened or
                      connected
  3                   the --script failed
  4                   a file transfer failed, was cancelled or was cut by
                      the timeout
  5                   the --script did not end before the timeout

Files:
  ~/.local/share/tamsivane
                      the user's templates and address book (AddrBook.Txt),
                      read before the shipped ones ($XDG_DATA_HOME/tamsivane
                      when XDG_DATA_HOME is set)
  /usr/share/tamsivane
                      the shipped "default" template (../share/tamsivane
                      from the program's folder)
  ~/.ssh/known_hosts  the SSH host keys checked and stored
  ~/.config/Gallimox/Tamsivane.conf
                      the desktop program's settings, which name the serial
                      devices (SerialPorts/COMn) and the modems

Environment:
  XDG_DATA_HOME       the user's data folder is tamsivane in it
  XDG_DOWNLOAD_DIR    received files go to Tamsivane in this folder (else in
                      the one user-dirs.dirs names, else ~/Downloads) unless
                      the session's RecvDir names another
  XDG_CONFIG_HOME     the folder of user-dirs.dirs and of the desktop
                      program's settings (else ~/.config)
  HOME                the user's home folder
  SHELL               the user's shell for --local-shell
  TERMINFO, TERMINFO_DIRS
                      where the local shell's programs find the terminal
                      description "tamsivane"

Examples:
  printf 'Hello\r\n\033[c' | tamsivane-cli replay --dump json
                      the page and the terminal's answer to a device
                      attributes request, as JSON
  tamsivane-cli run --host 127.0.0.1 --send 'uname -a<CR>' --timeout 2
                      a Telnet session that types a command and shows the
                      screen two seconds later
  tamsivane-cli run --loopback --send '<ESC>#8' --timeout 0
                      the screen alignment pattern
  tamsivane-cli keys --set CursorKeys=0 Up Shift+F1 'Ctrl+Page Down'
                      what three keys do with application cursor keys
  tamsivane-cli settings TermID Columns
                      two session parameters of the "default" template
)";

int Usage(std::FILE* stream, int status) {
    std::fputs("usage:\n", stream);
    for (const Command& command : kCommands) {
        std::fprintf(stream, "  tamsivane-cli %.*s\n", static_cast<int>(command.usage.size()),
                     command.usage.data());
    }
    return status;
}

// The commands in one line each, then the help text.
int Help() {
    const char* lead = "Usage:";
    for (const Command& command : kCommands) {
        std::printf("%s tamsivane-cli %.*s\n", lead, static_cast<int>(command.synopsis.size()),
                    command.synopsis.data());
        lead = "  or: ";
    }
    std::printf("  or:  tamsivane-cli --help | --version\n\n%.*s", static_cast<int>(kHelp.size()),
                kHelp.data());
    return std::fflush(stdout) == 0 ? 0 : tamsivane::kExitFailure;
}

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

// Whether the command's options (those before "--") ask for its usage.
bool AsksForHelp(std::span<const std::string_view> args) {
    for (const std::string_view arg : args) {
        if (arg == "--") return false;
        if (IsHelp(arg)) return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage(stderr, tamsivane::kExitUsage);
    const std::string_view name = argv[1];
    for (const Command& command : kCommands) {
        if (name == command.name) {
            const std::vector<std::string_view> args(argv + 2, argv + argc);
            if (AsksForHelp(args)) {
                std::printf("usage: tamsivane-cli %.*s\n", static_cast<int>(command.usage.size()),
                            command.usage.data());
                return std::fflush(stdout) == 0 ? 0 : tamsivane::kExitFailure;
            }
            return command.run(args);
        }
    }
    if (IsHelp(name)) return Help();
    if (name == "--version") {
        std::printf("tamsivane-cli %s\n", tamsivane::ProgramVersion());
        return std::fflush(stdout) == 0 ? 0 : tamsivane::kExitFailure;
    }
    std::fprintf(stderr, "tamsivane-cli: unknown command \"%s\"\n", argv[1]);
    return Usage(stderr, tamsivane::kExitUsage);
}
