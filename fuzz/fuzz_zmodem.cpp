// Feeds arbitrary bytes to a ZModem receiver or sender as the other end
// would send them, in blocks.  The receiver writes into an emptied folder;
// the sender offers one small file.  Afterwards nothing may exist beside those
// two, nothing may have been shown that was not fed, and the transfer must
// have ended once asked to.
//
// The first byte chooses the direction, the second the block size.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "transfer/CZModemReceiver.h"
#include "transfer/CZModemSender.h"

namespace {

using namespace tamsivane;
namespace fs = std::filesystem;

constexpr size_t kMaxBlock = 4096;

class Link final : public TransferLink {
public:
    bool WriteToHost(const uint8_t*, size_t n) override {
        std::lock_guard lock(mutex_);
        written_ += n;
        return true;
    }
    void ShowReceived(const uint8_t*, size_t n) override {
        std::lock_guard lock(mutex_);
        shown_ += n;
    }
    void ReportStatus(const TransferStatus&) override {}
    size_t Shown() {
        std::lock_guard lock(mutex_);
        return shown_;
    }

private:
    std::mutex mutex_;
    size_t written_ = 0;
    size_t shown_ = 0;
};

// The run's folder: the file offered for sending, and the inbox, emptied
// before each input.  Removed when the run ends.
class Scratch {
public:
    Scratch() {
        char name[] = "/tmp/fuzz-zmodem-XXXXXX";
        if (mkdtemp(name) == nullptr) std::abort();
        path_ = name;
        std::ofstream(Offered(), std::ios::binary) << std::string(3000, 'x');
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    std::string Inbox() const { return path_ + "/in"; }
    std::string Offered() const { return path_ + "/out"; }
    void EmptyInbox() const {
        std::error_code ignored;
        fs::remove_all(Inbox(), ignored);
    }

private:
    std::string path_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const bool sending = (data[0] & 1) != 0;
    const size_t block = 1 + data[1] % kMaxBlock;
    static const Scratch scratch;
    scratch.EmptyInbox();
    const std::string inbox = scratch.Inbox();
    const std::string offered = scratch.Offered();

    Link link;
    size_t fed = 0;
    {
        std::unique_ptr<CZModemTransfer> transfer;
        if (sending) {
            transfer = std::make_unique<CZModemSender>(link, std::vector<std::string>{offered}, "",
                                                       std::chrono::milliseconds(0));
        } else {
            transfer = std::make_unique<CZModemReceiver>(link, inbox);
        }
        transfer->Start();
        for (size_t offset = 2; offset < size; offset += block) {
            const size_t length = std::min(block, size - offset);
            if (!transfer->Feed(data + offset, length)) break;
            fed += length;
        }
        transfer->Shutdown();
        if (transfer->Running()) std::abort();
    }
    if (link.Shown() > fed) std::abort();
    // Whatever names came, files land in the inbox and nowhere else.
    for (const auto& entry : fs::directory_iterator(scratch.Path())) {
        const std::string name = entry.path().filename().string();
        if (name != "in" && name != "out") std::abort();
    }
    if (fs::exists(inbox)) {
        for (const auto& entry : fs::recursive_directory_iterator(inbox)) {
            if (!entry.is_regular_file() || entry.path().parent_path() != inbox) std::abort();
        }
    }
    return 0;
}
