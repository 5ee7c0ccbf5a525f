// What painting costs the receive path: host output fed as the I/O thread
// feeds it (2048-byte blocks under the session lock) into a loop-back session
// with a shown view on Qt's offscreen platform, beside the same session
// without a view; and the median time of a full repaint of a 132x48 page of
// mixed attributes, colours and line drawing.
//
//   tamsivane-bench-view [--runs N] [--mib N]   (defaults 3 and 32)
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Payloads.h"
#include "session/CVT420Doc.h"
#include "view/CVT420View.h"
#include "view/ViewHost.h"

using namespace tamsivane;
using tamsivane::bench::Payload;

namespace {

constexpr size_t kChunk = 2048;
using Clock = std::chrono::steady_clock;

class SilentUser final : public UserInteraction {
public:
    void ShowMessage(int, std::string_view) override {}
    Answer Ask(std::string_view, std::string_view, Answer answer) override { return answer; }
    std::string ChooseSaveFile(std::string_view) override { return {}; }
};

class NullHost final : public ViewHost {
public:
    void ShowSessionTitle(const QString&) override {}
    QString FrameTitle() const override { return {}; }
    void SetFrameTitle(const QString&) override {}
    void CloseSessionWindow() override {}
    bool IsFrameClosing() const override { return false; }
    void PostCommand(int) override {}
    void RunScript(bool, const std::string&) override {}
    void RebuildButtonBar() override {}
    void StatusChanged(const QString&, bool) override {}
    void HideMenuBar() override {}
    AppProfile& Profile() override { return profile_; }

private:
    MemoryProfile profile_;
};

// A loop-back session at a page size, font fixed so the window fits it.
std::unique_ptr<CVT420Doc> OpenSession(SilentUser& user, int columns, int lines) {
    auto session = std::make_unique<CVT420Doc>(user);
    {
        const SessionLock locked = session->Locked();
        SettingsStore& s = locked.Settings();
        s.SetNumber(P::HostType, 2);
        s.SetPageGeometry(columns, lines, std::max(1, std::min(6, 144 / lines)));
        s.SetNumber(P::FitFont, 0);
        s.SetNumber(P::FontSize, 9);
        s.SetNumber(P::FontUse80, 1);
        s.SetNumber(P::SaveLines, 10000);
    }
    if (!session->OpenConnection(CVT420Doc::Connect::Now)) {
        std::fprintf(stderr, "cannot open a loop-back session\n");
        std::exit(1);
    }
    return session;
}

std::unique_ptr<CVT420View> ShowView(CVT420Doc& session, NullHost& host, int columns, int lines) {
    auto view = std::make_unique<CVT420View>(session, host);
    view->resize(view->Font().width * columns + 20, view->Font().height * lines + 20);
    view->show();
    QCoreApplication::processEvents();
    return view;
}

// Feeds the bytes from another thread as the I/O thread does while the GUI
// thread runs its event loop; returns the seconds the feeding took.
double Feed(CVT420Doc& session, const std::string& bytes) {
    std::atomic<bool> done{false};
    double seconds = 0;
    std::thread io([&] {
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        const auto start = Clock::now();
        for (size_t i = 0; i < bytes.size(); i += kChunk) {
            const SessionLock locked = session.Locked();
            locked.Emulator().ReceiveBlock(data + i, std::min(kChunk, bytes.size() - i));
        }
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        done.store(true);
    });
    while (!done.load()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    io.join();
    QCoreApplication::processEvents();
    return seconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// 132x48 rows of coloured, bold, underlined and inverse runs and boxes.
std::string MixedPage() {
    std::string page = "\x1b[H";
    for (int row = 0; row < 48; ++row) {
        page += "\x1b[" + std::to_string(row + 1) + ";1H";
        for (int run = 0; run < 11; ++run) {
            const int kind = (row + run) % 6;
            page += "\x1b[0;" + std::to_string(30 + (row + run) % 8) + ";" +
                    std::to_string(40 + (row * 3 + run) % 8);
            if (kind == 1) page += ";1";
            if (kind == 2) page += ";4";
            if (kind == 3) page += ";7";
            page += "m";
            if (kind == 4) {
                page += "\x1b(0lqqqqqwqqqk\x1b(B";
            } else {
                page += "Tamsivane " + std::to_string(row % 10) + ".";
            }
        }
    }
    return page + "\x1b[0m";
}

void MeasureFullRepaint(SilentUser& user, int runs) {
    NullHost host;
    auto session = OpenSession(user, 132, 48);
    auto view = ShowView(*session, host, 132, 48);
    Feed(*session, MixedPage());
    std::vector<double> times;
    for (int i = 0; i < std::max(runs * 20, 50); ++i) {
        QElapsedTimer timer;
        timer.start();
        view->viewport()->repaint();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("\nfull repaint of a 132x48 mixed page (%dx%d px cells): median %.3f ms\n",
                view->Font().width, view->Font().height, Median(times));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 3;
    size_t mib = 32;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--mib")
            mib = static_cast<size_t>(std::max(1, std::atoi(argv[i + 1])));
    }
    SilentUser user;
    // Plain text at both page sizes, the coloured updates at their own.
    std::vector<Payload> payloads;
    for (const Payload& p : bench::MakePayloads(mib << 20, "plain text")) {
        payloads.push_back(p);
        payloads.push_back(p);
        payloads.back().columns = 132;
        payloads.back().lines = 48;
    }
    for (const Payload& p : bench::MakePayloads(mib << 20, "coloured updates"))
        payloads.push_back(p);

    std::printf("%-20s %8s %14s %14s %8s %8s\n", "payload", "page", "no view MB/s", "view MB/s",
                "ratio", "frames");
    double smallest = 0;
    for (const Payload& p : payloads) {
        std::vector<double> bare, shown;
        int frames = 0;
        for (int r = 0; r < runs; ++r) {
            {
                auto session = OpenSession(user, p.columns, p.lines);
                bare.push_back(Feed(*session, p.bytes));
            }
            NullHost host;
            auto session = OpenSession(user, p.columns, p.lines);
            auto view = ShowView(*session, host, p.columns, p.lines);
            const int before = view->FramesPainted();
            shown.push_back(Feed(*session, p.bytes));
            frames = view->FramesPainted() - before;
        }
        const double mb = static_cast<double>(p.bytes.size()) / 1e6;
        const double bareRate = mb / Median(bare);
        const double shownRate = mb / Median(shown);
        const double ratio = shownRate / bareRate;
        smallest = smallest == 0 ? ratio : std::min(smallest, ratio);
        const std::string name = p.name.substr(0, p.name.rfind(' '));
        std::printf("%-20s %4dx%-3d %14.1f %14.1f %8.2f %8d\n", name.c_str(), p.columns, p.lines,
                    bareRate, shownRate, ratio, frames);
        std::fflush(stdout);
    }
    std::printf("\nsmallest ratio with view / without: %.2f (goal: at least 0.50)\n", smallest);
    MeasureFullRepaint(user, runs);
    return 0;
}
