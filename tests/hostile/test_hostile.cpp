// What hostile hosts and files must not achieve, run against the built
// programs.  Every *.cases file in this folder holds cases; a case is a few
// lines, run in order in a fresh folder ${DIR} that is also HOME and the
// working folder:
//
//   case NAME                    starts a case (letters, digits, "_")
//   peer telnetd                 the Telnet server with a shell, on ${PORT}
//   peer sends BYTES             a listener on ${PORT} that sends BYTES to the
//                                program and keeps the connection open
//   file PATH BYTES              writes a file (and its missing folders)
//   setup PATH KEY=VALUE ...     writes a setup file with those settings
//   run tamsivane-cli WORDS      runs the headless program, or the desktop
//   run tamsivane WORDS          program (offscreen); at most two minutes
//   expect status N              checks the last run's exit status
//   expect stdout|stderr|PATH has|lacks BYTES
//   expect PATH exists|absent
//
// BYTES are in the notation of "tamsivane-cli run --send" (<ESC>, ^[, \xNN,
// "\\" for a backslash); WORDS are split at blanks, a word that begins with
// a double quote runs to the next one.  "#" starts a comment line.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "TestPeers.h"
#include "cli/CommandLine.h"
#include "config/SetupFile.h"
#include "emulator/ControlNames.h"
#include "keyboard/KeyMap.h"
#include "session/StartupArgs.h"

namespace tamsivane::testing {
namespace {

struct HostileCase {
    std::string name;
    std::string where; // file:line, for failures
    std::vector<std::string> lines;
};

void PrintTo(const HostileCase& hostile, std::ostream* out) { *out << hostile.where; }

std::vector<HostileCase> LoadCases() {
    std::vector<HostileCase> cases;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(TAMSIVANE_TEST_DATA)) {
        if (entry.path().extension() == ".cases") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(file);
        int number = 0;
        for (std::string line; std::getline(in, line);) {
            ++number;
            if (line.empty() || line[0] == '#') continue;
            if (line.rfind("case ", 0) == 0) {
                cases.push_back({line.substr(5),
                                 file.filename().string() + ":" + std::to_string(number), {}});
            } else if (!cases.empty()) {
                cases.back().lines.push_back(line);
            }
        }
    }
    return cases;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Decoded(const std::string& notation) {
    std::string bytes;
    EXPECT_TRUE(DecodeNotation(notation, bytes)) << notation;
    return bytes;
}

// A listener that sends its bytes to the first connection and holds it until
// the program closes it.
class SendingPeer {
public:
    explicit SendingPeer(std::string bytes)
        : thread_([this, bytes = std::move(bytes)] {
              if (!listener_.Accept()) return;
              listener_.Write(bytes);
              listener_.Read(SIZE_MAX, 120s);
          }) {}
    ~SendingPeer() { thread_.join(); }
    int Port() const { return listener_.Port(); }

private:
    Listener listener_;
    std::thread thread_;
};

class HostileTest : public ::testing::TestWithParam<HostileCase> {
protected:
    std::string Path(const std::string& name) const {
        return name.starts_with('/') ? name : folder_.File(name);
    }
    std::string Expand(std::string text) const {
        for (const auto& [name, value] :
             {std::pair<std::string, std::string>{"${DIR}", folder_.Path()},
              {"${PORT}", std::to_string(port_)}}) {
            for (size_t at; (at = text.find(name)) != std::string::npos;) {
                text.replace(at, name.size(), value);
            }
        }
        return text;
    }

    void Step(const std::string& line) {
        std::istringstream words(line);
        std::string verb, first, second;
        words >> verb >> first;
        const auto rest = [&] {
            std::string text;
            std::getline(words >> std::ws, text);
            return text;
        };
        if (verb == "peer" && first == "telnetd") {
            telnetd_ = std::make_unique<ListeningProgram>(std::vector<std::string>{
                TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", "/bin/sh"});
            port_ = telnetd_->Port();
        } else if (verb == "peer" && first == "sends") {
            sender_ = std::make_unique<SendingPeer>(Decoded(rest()));
            port_ = sender_->Port();
        } else if (verb == "file") {
            std::filesystem::create_directories(std::filesystem::path(Path(first)).parent_path());
            std::ofstream(Path(first), std::ios::binary) << Decoded(rest());
        } else if (verb == "setup") {
            SettingsStore settings;
            for (const std::string& assignment : SplitCommandLine(rest())) {
                ASSERT_EQ(ApplySetting("case", settings, assignment), 0) << assignment;
            }
            ASSERT_TRUE(SaveSetupFile(Path(first), settings, KeyMap()).ok);
        } else if (verb == "run") {
            Run(first, SplitCommandLine(rest()));
        } else if (verb == "expect" && first == "status") {
            EXPECT_EQ(status_, std::stoi(rest())) << "stderr:\n" << Slurp(Path(".stderr"));
        } else if (verb == "expect") {
            words >> second;
            const std::string source = first == "stdout" || first == "stderr" ? "." + first : first;
            const std::string text = Slurp(Path(source));
            if (second == "exists" || second == "absent") {
                EXPECT_EQ(std::filesystem::exists(Path(first)), second == "exists") << first;
            } else if (second == "has" || second == "lacks") {
                const bool found = text.find(Decoded(rest())) != std::string::npos;
                EXPECT_EQ(found, second == "has") << first << ":\n" << text;
            } else {
                ADD_FAILURE() << "unknown expectation: " << line;
            }
        } else {
            ADD_FAILURE() << "unknown line: " << line;
        }
    }

    // The program in the case folder, with HOME and the XDG folders there.
    void Run(const std::string& which, std::vector<std::string> arguments) {
#ifdef TAMSIVANE_DESKTOP
        const std::string desktop = TAMSIVANE_DESKTOP;
#else
        const std::string desktop;
        if (which == "tamsivane") GTEST_SKIP() << "built without the desktop program";
#endif
        ASSERT_TRUE(which == "tamsivane" || which == "tamsivane-cli") << which;
        arguments.insert(arguments.begin(), which == "tamsivane" ? desktop : TAMSIVANE_CLI);
        const pid_t pid = fork();
        if (pid == 0) {
            const std::string& dir = folder_.Path();
            if (chdir(dir.c_str()) != 0) _exit(127);
            setenv("HOME", dir.c_str(), 1);
            setenv("XDG_CONFIG_HOME", (dir + "/.config").c_str(), 1);
            setenv("XDG_DATA_HOME", (dir + "/.local/share").c_str(), 1);
            setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            const int in = open("/dev/null", O_RDONLY);
            const int out = open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(in, 0);
            dup2(out, 1);
            dup2(err, 2);
            std::vector<char*> argv;
            for (std::string& argument : arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        int status = 0;
        const bool ended = WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 120s);
        if (!ended) StopChild(pid);
        ASSERT_TRUE(ended) << "still running after two minutes";
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    TempFolder folder_;
    std::unique_ptr<ListeningProgram> telnetd_;
    std::unique_ptr<SendingPeer> sender_;
    int port_ = 0;
    int status_ = -1;
};

TEST_P(HostileTest, DoesNoHarm) {
    SCOPED_TRACE(GetParam().where);
    for (const std::string& line : GetParam().lines) {
        SCOPED_TRACE(line);
        Step(Expand(line));
        if (HasFatalFailure() || IsSkipped()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileTest, ::testing::ValuesIn(LoadCases()),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace tamsivane::testing
