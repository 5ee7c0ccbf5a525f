// Throughput of the emulator's receive path beside libvterm on the same bytes,
// in the same run: MB/s for each and the ratio ours/libvterm (medians).  Text
// in a double-byte code page, which libvterm cannot read, is set beside the
// same text in UTF-8: the ratio of our times, code page over UTF-8.
//
//   tamsivane-bench [--runs N] [--mib N] [--only NAME-PREFIX] [--without-peer]
//
// --without-peer measures ours alone (for profiling).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <vterm.h>
}

#include "Payloads.h"
#include "emulator/VtEmulator.h"

using namespace tamsivane;
using tamsivane::bench::Payload;

namespace {

constexpr size_t kChunk = 2048; // what the I/O thread hands over at a time
constexpr int kHistoryLines = 10000;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Configure(SettingsStore& settings, const Payload& p) {
    const int pages = 144 / p.lines;
    if (!settings.SetPageGeometry(p.columns, p.lines, std::min(pages, 6)) ||
        !settings.SetNumber(P::SaveLines, kHistoryLines)) {
        std::fprintf(stderr, "cannot configure %s\n", p.name.c_str());
        std::exit(1);
    }
    if (p.dbcsSet != Payload::kSingleByte) {
        settings.SetNumber(P::DBCS, 1);
        settings.SetNumber(P::DBCSSet, p.dbcsSet);
    }
}

double RunOurs(const Payload& p) {
    VtEmulator emulator;
    Configure(emulator.Settings(), p);
    if (!emulator.Start()) std::exit(1);
    const auto* data = reinterpret_cast<const uint8_t*>(p.bytes.data());
    const auto start = Clock::now();
    for (size_t i = 0; i < p.bytes.size(); i += kChunk)
        emulator.ReceiveBlock(data + i, std::min(kChunk, p.bytes.size() - i));
    return Seconds(start);
}

// libvterm's scroll-back: lines pushed off the top are kept in a ring of the
// same size as ours, copied cell by cell as it hands them over.
struct VtermHistory {
    std::vector<VTermScreenCell> cells;
    int columns = 0;
    size_t next = 0;

    static int Push(int cols, const VTermScreenCell* line, void* user) {
        auto* self = static_cast<VtermHistory*>(user);
        const size_t n = static_cast<size_t>(std::min(cols, self->columns));
        std::memcpy(&self->cells[self->next * static_cast<size_t>(self->columns)], line,
                    n * sizeof(VTermScreenCell));
        self->next = (self->next + 1) % kHistoryLines;
        return 1;
    }
};

double RunVterm(const Payload& p) {
    VTerm* vt = vterm_new(p.lines, p.columns);
    vterm_set_utf8(vt, p.Utf8() ? 1 : 0);
    VTermScreen* screen = vterm_obtain_screen(vt);
    VtermHistory history;
    history.columns = p.columns;
    history.cells.resize(static_cast<size_t>(kHistoryLines) * static_cast<size_t>(p.columns));
    VTermScreenCallbacks callbacks{};
    callbacks.sb_pushline = &VtermHistory::Push;
    vterm_screen_set_callbacks(screen, &callbacks, &history);
    vterm_screen_set_damage_merge(screen, VTERM_DAMAGE_SCROLL);
    vterm_screen_reset(screen, 1);
    const auto start = Clock::now();
    for (size_t i = 0; i < p.bytes.size(); i += kChunk)
        vterm_input_write(vt, p.bytes.data() + i, std::min(kChunk, p.bytes.size() - i));
    const double seconds = Seconds(start);
    vterm_free(vt);
    return seconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

// Memory one session holds after its history has filled: the resident size
// it adds to the process, the payload itself already counted.
void ReportSessionMemory(const Payload& plain) {
    const long before = ResidentKiB();
    {
        auto emulator = std::make_unique<VtEmulator>();
        Configure(emulator->Settings(), plain);
        emulator->Start();
        emulator->ReceiveBlock(plain.bytes);
        const long after = ResidentKiB();
        std::printf("session memory with SaveLines %d: %.1f MiB (history %d of %d lines)\n\n",
                    kHistoryLines, static_cast<double>(after - before) / 1024.0,
                    emulator->Screen().HistoryCount(), kHistoryLines);
    }
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    size_t mib = 32;
    bool peer = true;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (option == "--without-peer") {
            peer = false;
            continue;
        }
        if (option == "--runs") runs = std::max(1, std::atoi(value));
        else if (option == "--mib") mib = static_cast<size_t>(std::max(1, std::atoi(value)));
        else if (option == "--only") only = value;
        else {
            std::fprintf(stderr, "usage: %s [--runs N] [--mib N] [--only PREFIX] [--without-peer]\n",
                         argv[0]);
            return 2;
        }
        ++i;
    }
    const std::vector<Payload> payloads = bench::MakePayloads(mib << 20, only);
    if (payloads.empty()) {
        std::fprintf(stderr, "no payload named %s...\n", only.c_str());
        return 2;
    }
    if (only.empty()) ReportSessionMemory(payloads.front());

    std::printf("%-26s %9s %12s %12s %8s\n", "payload", "MiB", "ours MB/s", "libvterm MB/s",
                "ratio");
    double smallest = 0;
    std::map<std::string, double> seconds; // median of ours, by payload name
    std::vector<std::string> sameText;     // lines comparing a code page with UTF-8
    for (const Payload& p : payloads) {
        std::vector<double> ours, theirs;
        const bool withPeer = peer && p.PeerReadable();
        for (int r = 0; r < runs; ++r) {
            ours.push_back(RunOurs(p));
            if (withPeer) theirs.push_back(RunVterm(p));
        }
        seconds[p.name] = Median(ours);
        const double mb = static_cast<double>(p.bytes.size()) / 1e6;
        const double oursRate = mb / seconds[p.name];
        std::printf("%-26s %9.1f %12.1f", p.name.c_str(),
                    static_cast<double>(p.bytes.size()) / (1 << 20), oursRate);
        if (withPeer) {
            const double theirRate = mb / Median(theirs);
            const double ratio = oursRate / theirRate;
            smallest = smallest == 0 ? ratio : std::min(smallest, ratio);
            std::printf(" %12.1f %8.2f", theirRate, ratio);
        }
        std::printf("\n");
        std::fflush(stdout);
        if (const auto twin = seconds.find(p.sameTextAs); twin != seconds.end()) {
            char line[160];
            std::snprintf(line, sizeof line, "%-26s %.2f times the time of %s", p.name.c_str(),
                          seconds[p.name] / twin->second, p.sameTextAs.c_str());
            sameText.push_back(line);
        }
    }
    if (!sameText.empty()) std::printf("\nthe same text in a code page and in UTF-8:\n");
    for (const std::string& line : sameText) std::printf("%s\n", line.c_str());
    if (!peer) return 0;
    std::printf("\nsmallest ratio ours/libvterm: %.2f\n", smallest);
    return 0;
}
