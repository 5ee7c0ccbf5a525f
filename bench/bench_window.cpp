// End to end on a real X server: how long each terminal takes to show a
// large file that `cat` writes, from its start to its end, and how long a
// typed key takes to come back painted.  The desktop program runs beside the
// other terminals installed here (urxvt, st, xterm), each on the same display
// of an Xvfb that this program starts and ends.
//
//   tamsivane-bench-window --program PATH [--runs N] [--mib N] [--keys N] [--limit S]
//
// The other terminals end when their program ends, after painting; the
// desktop program is told so with --quit-at-end, which paints the last
// screen before it ends.  A terminal that takes longer than the limit is
// stopped and reported as "> limit".
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "config/SettingsStore.h"
#include "config/SetupFile.h"
#include "keyboard/KeyMap.h"
// After our own headers: X11 defines macros such as None.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace tamsivane;

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;
using Milliseconds = std::chrono::duration<double, std::milli>;

struct Options {
    std::string program;
    int runs = 3;
    size_t mib = 32;
    int keys = 50;
    int limitSeconds = 30;
};

// A program in a process group of its own, killed with the group unless it
// has ended.
class Child {
public:
    Child(const std::vector<std::string>& words, const std::vector<std::string>& environment) {
        std::vector<char*> argv;
        for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        started_ = Clock::now();
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            for (const std::string& variable : environment) putenv(const_cast<char*>(variable.c_str()));
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        setpgid(pid_, pid_);
        pidFd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    }
    ~Child() {
        if (!ended_) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        kill(-pid_, SIGKILL); // what it left behind
        if (pidFd_ >= 0) close(pidFd_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return pid_; }
    // Seconds from the start to the end, or nothing when it did not end in time.
    std::optional<double> WaitForEnd(std::chrono::milliseconds limit) {
        pollfd entry{pidFd_, POLLIN, 0};
        if (poll(&entry, 1, static_cast<int>(limit.count())) <= 0) return std::nullopt;
        const auto ended = Clock::now();
        int status = 0;
        waitpid(pid_, &status, 0);
        ended_ = true;
        status_ = status;
        return Seconds(ended - started_).count();
    }
    bool Succeeded() const { return ended_ && WIFEXITED(status_) && WEXITSTATUS(status_) == 0; }

private:
    pid_t pid_ = -1;
    int pidFd_ = -1;
    bool ended_ = false;
    int status_ = 0;
    Clock::time_point started_;
};

// An Xvfb of our own on a free display.
class XServer {
public:
    XServer() {
        int fds[2];
        if (pipe(fds) != 0) return;
        const std::string fd = std::to_string(fds[1]);
        server_ = std::make_unique<Child>(
            std::vector<std::string>{"Xvfb", "-displayfd", fd, "-screen", "0", "1600x1000x24",
                                     "-nolisten", "tcp"},
            std::vector<std::string>{});
        close(fds[1]);
        pollfd entry{fds[0], POLLIN, 0};
        char number[16] = {};
        if (poll(&entry, 1, 10000) > 0 && read(fds[0], number, sizeof number - 1) > 0) {
            display_ = ":" + std::string(number, strcspn(number, "\n"));
        }
        close(fds[0]);
    }
    const std::string& Display() const { return display_; }

private:
    std::unique_ptr<Child> server_;
    std::string display_;
};

std::string TempFolder() {
    char name[] = "/tmp/tamsivane-bench-XXXXXX";
    return mkdtemp(name) != nullptr ? name : "";
}

// `seq 1 N` up to size bytes, and the same numbers in colours: the first
// and the last word of each line in one of eight foregrounds, bold or
// underlined, with a background between.
void WriteFiles(const std::string& plain, const std::string& coloured, size_t size) {
    std::ofstream p(plain, std::ios::binary);
    std::ofstream c(coloured, std::ios::binary);
    std::string text;
    std::string colours;
    for (size_t n = 1; text.size() < size; ++n) {
        const std::string number = std::to_string(n);
        text += number + "\n";
        if (colours.size() < size) {
            const int fg = static_cast<int>(n % 8);
            colours += "\x1b[" + std::string(n % 3 == 0 ? "1;" : n % 3 == 1 ? "4;" : "") + "3" +
                       std::to_string(fg) + "m" + number + "\x1b[0m \x1b[4" +
                       std::to_string(7 - fg) + "mline\x1b[0;9" + std::to_string(fg) +
                       "m " + number + "\x1b[m\n";
        }
    }
    p << text;
    c << colours.substr(0, colours.rfind('\n', size) + 1);
}

bool Installed(const std::string& name) {
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    std::istringstream folders(path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (access((folder + "/" + name).c_str(), X_OK) == 0) return true;
    }
    return false;
}

struct Terminal {
    std::string name;
    std::vector<std::string> command; // up to "-e"
    std::vector<std::string> environment;
};

std::vector<std::string> Running(const Terminal& terminal, std::vector<std::string> program) {
    std::vector<std::string> words = terminal.command;
    words.push_back("-e");
    words.insert(words.end(), program.begin(), program.end());
    return words;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The median time of runs of the program in the terminal; nothing when a
// run took longer than the limit (or failed).
std::optional<double> TimeRuns(const Terminal& terminal, const std::vector<std::string>& program,
                               const Options& options) {
    std::vector<double> times;
    for (int run = 0; run < options.runs; ++run) {
        Child child(Running(terminal, program), terminal.environment);
        const auto time = child.WaitForEnd(std::chrono::seconds(options.limitSeconds));
        if (!time) return std::nullopt;
        times.push_back(*time);
    }
    return Median(times);
}

// --- key echo through the X server -----------------------------------------

class DisplayWatch {
public:
    explicit DisplayWatch(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}
    ~DisplayWatch() {
        if (display_ != nullptr) XCloseDisplay(display_);
    }
    DisplayWatch(const DisplayWatch&) = delete;
    DisplayWatch& operator=(const DisplayWatch&) = delete;
    Display* X() const { return display_; }

    // The largest viewable top-level window of the process, waited for.
    Window WindowOf(pid_t pid, std::chrono::seconds limit) const {
        const Atom pidAtom = XInternAtom(display_, "_NET_WM_PID", False);
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
            Window best = 0;
            int bestArea = 0;
            for (unsigned i = 0; i < count; ++i) {
                XWindowAttributes attributes;
                if (!XGetWindowAttributes(display_, children[i], &attributes) ||
                    attributes.map_state != IsViewable || PidOf(children[i], pidAtom) != pid) {
                    continue;
                }
                if (attributes.width * attributes.height > bestArea) {
                    best = children[i];
                    bestArea = attributes.width * attributes.height;
                }
            }
            if (children != nullptr) XFree(children);
            if (best != 0) return best;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return 0;
    }

    // The window's pixels, within the screen.
    std::vector<char> Grab(Window window) const {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display_, window, &attributes)) return {};
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
        const int right = std::min(x + attributes.width, DisplayWidth(display_, 0));
        const int bottom = std::min(y + attributes.height, DisplayHeight(display_, 0));
        x = std::max(x, 0);
        y = std::max(y, 0);
        if (right <= x || bottom <= y) return {};
        XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y,
                                  static_cast<unsigned>(right - x),
                                  static_cast<unsigned>(bottom - y), AllPlanes, ZPixmap);
        if (image == nullptr) return {};
        std::vector<char> pixels(image->data,
                                 image->data + static_cast<size_t>(image->bytes_per_line) *
                                                   static_cast<size_t>(image->height));
        XDestroyImage(image);
        return pixels;
    }

    // Until the window has looked the same for quiet, at most limit.
    void Settle(Window window, std::chrono::milliseconds quiet, std::chrono::seconds limit) const {
        const auto deadline = Clock::now() + limit;
        std::vector<char> last = Grab(window);
        auto since = Clock::now();
        while (Clock::now() < deadline && Clock::now() - since < quiet) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::vector<char> now = Grab(window);
            if (now != last) {
                last = std::move(now);
                since = Clock::now();
            }
        }
    }

private:
    pid_t PidOf(Window window, Atom pidAtom) const {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        pid_t pid = -1;
        if (XGetWindowProperty(display_, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                               &items, &after, &data) == Success &&
            data != nullptr && items == 1 && format == 32) {
            pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
        }
        if (data != nullptr) XFree(data);
        return pid;
    }

    Display* display_;
};

// Milliseconds from each key press to the first change of the window's
// pixels (the echo of `cat` on its terminal), one key after the other.
std::vector<double> KeyEchoTimes(const DisplayWatch& screen, const Terminal& terminal, int keys) {
    Child child(Running(terminal, {"cat"}), terminal.environment);
    const Window window = screen.WindowOf(child.Pid(), std::chrono::seconds(20));
    if (window == 0) return {};
    Display* x = screen.X();
    screen.Settle(window, std::chrono::milliseconds(500), std::chrono::seconds(10));
    XSetInputFocus(x, window, RevertToParent, CurrentTime);
    XSync(x, False);
    screen.Settle(window, std::chrono::milliseconds(300), std::chrono::seconds(10));
    const KeyCode key = XKeysymToKeycode(x, XK_a);
    std::vector<double> times;
    for (int i = 0; i < keys; ++i) {
        const std::vector<char> before = screen.Grab(window);
        const auto pressed = Clock::now();
        XTestFakeKeyEvent(x, key, True, CurrentTime);
        XFlush(x);
        while (screen.Grab(window) == before && Clock::now() - pressed < std::chrono::seconds(1)) {
        }
        times.push_back(Milliseconds(Clock::now() - pressed).count());
        XTestFakeKeyEvent(x, key, False, CurrentTime);
        XSync(x, False);
        screen.Settle(window, std::chrono::milliseconds(30), std::chrono::seconds(2));
    }
    return times;
}

// --- the desktop program's own set-up --------------------------------------

// A home of its own with a "default" template whose cursor does not blink
// (a blink would look like an echo), so every run starts alike.
std::vector<std::string> OwnEnvironment(const std::string& folder) {
    const std::string data = folder + "/data";
    mkdir(data.c_str(), 0700);
    mkdir((data + "/tamsivane").c_str(), 0700);
    SettingsStore settings;
    settings.SetNumber(P::CursorBlink, 0);
    SaveSetupFile(data + "/tamsivane/default.QZV", settings, KeyMap());
    return {"HOME=" + folder, "XDG_CONFIG_HOME=" + folder + "/config", "XDG_DATA_HOME=" + data,
            "XDG_RUNTIME_DIR=" + folder};
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Whether the page the program ends with shows the file's last lines (the
// row after the last new line is the empty one the cursor stands on).
bool EndsOnTheLastLines(const Terminal& own, const std::string& file, const std::string& folder,
                        const Options& options) {
    const std::string dump = folder + "/page.txt";
    Terminal dumping = own;
    dumping.command.insert(dumping.command.begin() + 1, {"--dump-text", dump});
    Child child(Running(dumping, {"cat", file}), own.environment);
    if (!child.WaitForEnd(std::chrono::seconds(options.limitSeconds)) || !child.Succeeded()) {
        return false;
    }
    const std::string text = ReadAll(file);
    const std::string page = ReadAll(dump);
    const size_t rows = static_cast<size_t>(std::count(page.begin(), page.end(), '\n'));
    size_t start = text.size();
    for (size_t row = 0; row < rows && start > 0; ++row) start = text.rfind('\n', start - 1);
    return rows > 0 && text.substr(start + 1) + "\n" == page;
}

std::string Figure(const std::optional<double>& seconds, const Options& options) {
    char text[32];
    if (seconds) {
        std::snprintf(text, sizeof text, "%.2f s", *seconds);
    } else {
        std::snprintf(text, sizeof text, "> %d s", options.limitSeconds);
    }
    return text;
}

std::string Ratio(const std::optional<double>& theirs, const std::optional<double>& ours,
                  const Options& options) {
    char text[32];
    if (!ours) return "-";
    std::snprintf(text, sizeof text, theirs ? "%.2f" : "> %.0f",
                  theirs.value_or(options.limitSeconds) / *ours);
    return text;
}

bool ReadOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--program") {
            options.program = value;
        } else if (name == "--runs") {
            options.runs = std::max(1, std::atoi(value));
        } else if (name == "--mib") {
            options.mib = static_cast<size_t>(std::max(1, std::atoi(value)));
        } else if (name == "--keys") {
            options.keys = std::max(1, std::atoi(value));
        } else if (name == "--limit") {
            options.limitSeconds = std::max(1, std::atoi(value));
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !options.program.empty();
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ReadOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s --program PATH [--runs N] [--mib N] [--keys N] [--limit S]\n",
                     argv[0]);
        return 2;
    }
    if (!Installed("Xvfb")) {
        std::printf("End to end: skipped, Xvfb is not installed.\n");
        return 0;
    }
    signal(SIGPIPE, SIG_IGN);
    const XServer server;
    if (server.Display().empty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", server.Display().c_str(), 1);
    const std::string folder = TempFolder();
    const std::string plain = folder + "/plain.txt";
    const std::string coloured = folder + "/coloured.txt";
    WriteFiles(plain, coloured, options.mib << 20);

    const Terminal own{"tamsivane", {options.program, "--quit-at-end"}, OwnEnvironment(folder)};
    std::vector<Terminal> terminals = {own};
    for (const char* peer : {"urxvt", "st", "xterm"}) {
        if (Installed(peer)) {
            terminals.push_back({peer, {peer}, {}});
        } else {
            std::printf("%s is not installed: left out.\n", peer);
        }
    }

    std::printf("End to end on Xvfb 1600x1000: `cat` of a %zu MiB file in each terminal, from "
                "its start to its end\n(median of %d; start: the same with `true`; ratio: their "
                "time / ours, above 1 means ours is faster)\n",
                options.mib, options.runs);
    std::printf("%-10s %9s %9s %6s %9s %6s\n", "terminal", "start", "plain", "ratio", "coloured",
                "ratio");
    std::optional<double> ourPlain, ourColoured;
    for (const Terminal& terminal : terminals) {
        const auto start = TimeRuns(terminal, {"true"}, options);
        const auto timePlain = TimeRuns(terminal, {"cat", plain}, options);
        const auto timeColoured = TimeRuns(terminal, {"cat", coloured}, options);
        if (&terminal == &terminals.front()) {
            ourPlain = timePlain;
            ourColoured = timeColoured;
        }
        std::printf("%-10s %9s %9s %6s %9s %6s\n", terminal.name.c_str(),
                    Figure(start, options).c_str(), Figure(timePlain, options).c_str(),
                    Ratio(timePlain, ourPlain, options).c_str(), Figure(timeColoured, options).c_str(),
                    Ratio(timeColoured, ourColoured, options).c_str());
        std::fflush(stdout);
    }
    std::printf("tamsivane's last page after the plain file: %s\n",
                EndsOnTheLastLines(own, plain, folder, options) ? "its last lines, right"
                                                                : "WRONG");

    const DisplayWatch screen(server.Display());
    std::printf("\nKey press to its echo painted (`cat` on the terminal), median of %d keys\n",
                options.keys);
    for (const Terminal& terminal : terminals) {
        const std::vector<double> times = KeyEchoTimes(screen, terminal, options.keys);
        if (times.empty()) {
            std::printf("%-10s no window found\n", terminal.name.c_str());
            continue;
        }
        std::printf("%-10s %6.1f ms (longest %.1f ms)\n", terminal.name.c_str(), Median(times),
                    *std::max_element(times.begin(), times.end()));
        std::fflush(stdout);
    }
    std::system(("rm -rf '" + folder + "'").c_str());
    return 0;
}
