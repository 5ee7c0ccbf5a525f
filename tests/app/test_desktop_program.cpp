// The desktop program run as a user runs it: a child process on the
// offscreen platform with its own home and XDG folders, against the Telnet
// server under the test launcher.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "GuiApplication.h"
#include "SessionFixture.h"
#include "TestPeers.h"
#include "app/DesktopStartup.h"
#include "app/QSettingsProfile.h"
#include "config/RecentList.h"
#include "config/SettingsStore.h"
#include "config/SetupFile.h"
#include "keyboard/KeyMap.h"

namespace tamsivane {
namespace {

using testing::ListeningProgram;

constexpr const char* kPrompt = "ready>";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quote(const std::string& text) { return "'" + text + "'"; }

struct Outcome {
    int status = -1;
    std::string errors;
};

class DesktopProgramTest : public ::testing::Test {
protected:
    DesktopProgramTest() {
        testing::EnsureApplication();
        // The shell prints a prompt the tests know.
        shell_ = folder_.File("shell.sh");
        std::ofstream(shell_) << "#!/bin/sh\nPS1='" << kPrompt << " ' exec /bin/sh -i\n";
        chmod(shell_.c_str(), 0700);
    }

    ListeningProgram ShellServer() const {
        return ListeningProgram({TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", shell_});
    }

    // Runs tamsivane with arguments (already quoted); display: the
    // environment that names the window system.  Bounded by `timeout`.
    Outcome Run(const std::string& arguments,
                const std::string& display = "QT_QPA_PLATFORM=offscreen") const {
        const std::string errors = folder_.File("errors.txt");
        const std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME=" + Quote(folder_.Path()) +
            " XDG_CONFIG_HOME=" + Quote(folder_.File("config")) +
            " XDG_DATA_HOME=" + Quote(folder_.File("data")) +
            " XDG_RUNTIME_DIR=" + Quote(folder_.Path()) + " " + display + " timeout 60 " +
            TAMSIVANE_DESKTOP + " " + arguments + " 2>" + Quote(errors) + " </dev/null";
        Outcome outcome;
        const int status = std::system(command.c_str());
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.errors = ReadFile(errors);
        return outcome;
    }
    std::string SupportOptions(const std::string& seconds = "5") const {
        return "--screenshot " + Quote(Screenshot()) + " --dump-text " + Quote(Dump()) +
               " --quit-after " + seconds;
    }
    std::string Screenshot() const { return folder_.File("shot.png"); }
    std::string Dump() const { return folder_.File("page.txt"); }

    std::string SetupFileFor(int port) const {
        SettingsStore settings;
        settings.SetString(P::HostName, "127.0.0.1");
        settings.SetNumber(P::Port, port);
        settings.SetNumber(P::HostType, 0);
        const std::string path = folder_.File("site.qzv");
        EXPECT_TRUE(SaveSetupFile(path, settings, KeyMap()).ok);
        return path;
    }

    testing::TempFolder folder_;
    std::string shell_;
};

// The row of the page that begins with the prompt (the Telnet server
// greets first), or -1.
int PromptRow(const std::string& page) {
    std::istringstream rows(page);
    int row = 0;
    for (std::string line; std::getline(rows, line); ++row) {
        if (line.rfind(kPrompt, 0) == 0) return row;
    }
    return -1;
}

// The lines of text drawn in the first `cells` cells of the terminal area:
// runs of pixel rows with anything but the black background there.  The
// area is where black pixels are dense: rows and columns with at least 100
// of them (menu and title texts have far fewer).
int InkedLinesInFirstCells(const QImage& image, int cells, int columns = 80) {
    constexpr int kDense = 100;
    const QRgb background = qRgb(0, 0, 0);
    std::vector<int> perRow(image.height()), perColumn(image.width());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background) continue;
            ++perRow[y];
            ++perColumn[x];
        }
    }
    const auto dense = [](int n) { return n >= kDense; };
    const int left = int(std::find_if(perColumn.begin(), perColumn.end(), dense) - perColumn.begin());
    const int right = int(perColumn.rend() - std::find_if(perColumn.rbegin(), perColumn.rend(), dense)) - 1;
    const int top = int(std::find_if(perRow.begin(), perRow.end(), dense) - perRow.begin());
    const int bottom = int(perRow.rend() - std::find_if(perRow.rbegin(), perRow.rend(), dense)) - 1;
    if (right <= left || bottom <= top) return 0;
    const int stripRight = left + cells * (right - left + 1) / columns;
    int lines = 0;
    bool inLine = false;
    for (int y = top; y <= bottom; ++y) {
        bool ink = false;
        for (int x = left; x < stripRight && !ink; ++x) ink = image.pixel(x, y) != background;
        if (ink && !inLine) ++lines;
        inLine = ink;
    }
    return lines;
}

TEST_F(DesktopProgramTest, TelnetHostShowsThePrompt) {
    ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
    ListeningProgram server = ShellServer();
    ASSERT_GT(server.Port(), 0);
    const Outcome outcome =
        Run("-H 127.0.0.1 " + std::to_string(server.Port()) + " " + SupportOptions());
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    // The server's greeting, a blank row, the prompt.
    EXPECT_GE(PromptRow(ReadFile(Dump())), 2) << ReadFile(Dump());
    const QImage shot(QString::fromStdString(Screenshot()));
    ASSERT_FALSE(shot.isNull());
    // The greeting and the prompt leave ink in their first six cells, as two
    // separate lines (the cursor stands after the prompt, beyond them).
    EXPECT_EQ(InkedLinesInFirstCells(shot, 6), 2);
}

TEST_F(DesktopProgramTest, TelnetLinkShowsThePrompt) {
    ListeningProgram server = ShellServer();
    const Outcome outcome =
        Run("telnet://127.0.0.1:" + std::to_string(server.Port()) + "/ " + SupportOptions());
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_GE(PromptRow(ReadFile(Dump())), 0) << ReadFile(Dump());
}

TEST_F(DesktopProgramTest, SetupFileConnectsAndJoinsTheRecentFiles) {
    ListeningProgram server = ShellServer();
    const std::string setup = SetupFileFor(server.Port());
    const Outcome outcome = Run("-F " + Quote(setup) + " " + SupportOptions());
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_GE(PromptRow(ReadFile(Dump())), 0) << ReadFile(Dump());
    QSettingsProfile profile(QString::fromStdString(folder_.File("config/Gallimox/Tamsivane.conf")));
    EXPECT_EQ(RecentFiles(profile).Load(), std::vector<std::string>{setup});
}

TEST_F(DesktopProgramTest, SetupFileWithoutConnecting) {
    ListeningProgram server = ShellServer();
    const std::string setup = SetupFileFor(server.Port());
    const Outcome outcome = Run("-E " + Quote(setup) + " " + SupportOptions("2"));
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_EQ(ReadFile(Dump()).find(kPrompt), std::string::npos);
    EXPECT_EQ(ReadFile(Dump()).size(), 24u); // 24 empty rows
}

// The words after -e reach the program as they were given, Qt's option
// names among them; the program quits once the command has ended.
TEST_F(DesktopProgramTest, CommandRunsWithItsWordsUnchanged) {
    const Outcome outcome = Run("--dump-text " + Quote(Dump()) +
                                " --quit-at-end -e printf '%s|' 'a  b' \"it's\" '\"q\"' -style '' "
                                "--quit-after");
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    const std::string page = ReadFile(Dump());
    EXPECT_EQ(page.substr(0, page.find('\n')), "a  b|it's|\"q\"|-style||--quit-after|");
}

TEST_F(DesktopProgramTest, ReplayShowsWhatTheHeadlessProgramShows) {
    const std::string demo = TAMSIVANE_TEST_DATA "/../../resources/demo.vt";
    const Outcome outcome = Run("--replay " + Quote(demo) + " " + SupportOptions("2"));
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    const std::string expected = folder_.File("expected.txt");
    ASSERT_EQ(std::system((std::string(TAMSIVANE_CLI) + " replay " + Quote(demo) + " >" +
                           Quote(expected))
                              .c_str()),
              0);
    EXPECT_EQ(ReadFile(Dump()), ReadFile(expected));
}

// A new session reads UTF-8 where the locale is UTF-8, Latin-1 elsewhere.
TEST_F(DesktopProgramTest, NewSessionsFollowTheLocalesCharacterSet) {
    const std::string text = folder_.File("accent.vt");
    std::ofstream(text) << "h\xc3\xa9llo\r\n";
    for (const auto& [locale, shown] :
         {std::pair{"C.UTF-8", "h\xc3\xa9llo"}, std::pair{"C", "h\xc3\x83\xc2\xa9llo"}}) {
        const Outcome outcome = Run("--replay " + Quote(text) + " " + SupportOptions("2"),
                                    std::string("QT_QPA_PLATFORM=offscreen LC_ALL=") + locale);
        ASSERT_EQ(outcome.status, 0) << outcome.errors;
        EXPECT_EQ(ReadFile(Dump()).substr(0, ReadFile(Dump()).find('\n')), shown) << locale;
    }
}

TEST_F(DesktopProgramTest, WithoutADisplayItNamesTheHeadlessProgram) {
    const Outcome outcome = Run("--quit-after 1", "");
    EXPECT_NE(outcome.status, 0);
    EXPECT_NE(outcome.errors.find("tamsivane-cli"), std::string::npos) << outcome.errors;
}

TEST_F(DesktopProgramTest, FaultReportIsShownInABox) {
    const std::string report = folder_.File("fault.txt");
    std::ofstream(report) << "Severe problem happened to Tamsivane. Tag = \"Main\", \n"
                             "Error message: Address: 0x00401000, Divided by zero.\n";
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->windowTitle() + "|" + box->text();
            box->accept();
        }
    });
    EXPECT_EQ(ShowFaultReport(report), 0);
    EXPECT_EQ(shown.toStdString(), "Tamsivane|" + ReadFile(report));
}

} // namespace
} // namespace tamsivane
