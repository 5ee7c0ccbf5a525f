// Sends files to the other end's ZModem receiver, all in one batch: the
// receiving program is started by typing an initial string, then each file
// streams in subpackets with an acknowledgement window, and ZFIN follows the
// last file.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "transfer/CZModemTransfer.h"

namespace tamsivane {

class CZModemSender final : public CZModemTransfer {
public:
    // Data goes in subpackets of kBlock bytes, down to kMinBlock where the
    // line damages them.
    static constexpr size_t kBlock = 1024;
    static constexpr size_t kMinBlock = 64;
    // Data not yet acknowledged, at most: the window shrinks to kMinWindow
    // when the receiver asks for data again, so that little goes out that it
    // must skip, and grows back by what is acknowledged.  An acknowledgement
    // is asked for eight times a window.
    static constexpr uint32_t kWindow = 128 * 1024;
    static constexpr uint32_t kMinWindow = 16 * 1024;
    // Subpackets are written together up to about this many bytes.
    static constexpr size_t kWriteSize = 16 * 1024;

    // initText is typed first (the receiving program's command); ZRQINIT
    // follows pause later unless the receiver has spoken by then.
    CZModemSender(TransferLink& link, std::vector<std::string> paths, std::string initText,
                  std::chrono::milliseconds pause, TransferTiming timing = {});
    ~CZModemSender() override;

    // Whether every file can be read: false with the first that cannot.
    static bool CanSendAll(const std::vector<std::string>& paths, std::string& failed);

private:
    enum class State { Starting, WaitInit, WaitPosition, Streaming, WaitAck, WaitEof, WaitFin };

    void Begin() override;
    void OnEvent(zmodem::Reader::Event event) override;
    void OnTimeout(bool counted) override;
    bool Pump() override;
    void OnEnd(Outcome outcome) override;
    bool Delivered() const override;

    void OnHeader();
    void TakeReceiverOptions();
    void SendFileHeader();
    void StartData(uint32_t position);
    // Sends again from where the receiver asks; kMaxTries requests for one
    // position end the transfer.
    void Resend(uint32_t position);
    void SendEof();
    void NextFile();
    bool OpenCurrent();
    void CloseCurrent();
    // Sends and remembers what a timeout or ZNAK repeats; then waits.
    void SendRepeatable(std::string frame);

    const std::vector<std::string> paths_;
    const std::string initText_;
    const std::chrono::milliseconds pause_;
    std::chrono::steady_clock::time_point startAt_;

    State state_ = State::Starting;
    bool crc32_ = false;
    uint32_t receiverBuffer_ = 0; // 0: the receiver takes a stream
    size_t index_ = 0;            // the file being sent
    int fd_ = -1;
    std::string name_;
    uint32_t size_ = 0;
    uint32_t sent_ = 0;       // data up to here is on its way
    uint32_t acked_ = 0;      // the receiver has confirmed this much
    uint32_t segment_ = 0;    // where the current acknowledged segment began
    uint32_t window_ = kWindow;
    size_t blockSize_ = kBlock;
    uint32_t repeatedAt_ = 0; // the position of the last ZRPOS, asked for repeats_ times
    int repeats_ = 0;
    bool deferred_ = false; // that position was asked for again while it went out
    std::string lastFrame_;
    std::vector<uint8_t> block_; // what one write sends, read from the file
};

} // namespace tamsivane
