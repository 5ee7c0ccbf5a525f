// Receives files from the other end's ZModem sender into one folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "transfer/CZModemTransfer.h"
#include "transfer/ReceiveFolder.h"

namespace tamsivane {

class CZModemReceiver final : public CZModemTransfer {
public:
    // Twenty failures of data at one position end the transfer.
    static constexpr int kMaxFailures = 20;
    // How long the final "OO" is awaited after our ZFIN.
    static constexpr std::chrono::milliseconds kGoodbyeWait{1000};
    // How far a file may grow past the size announced for it.
    static constexpr uint64_t kGrowthAllowance = 64 * 1024;
    // Received data is written to the file in pieces of about this size.
    static constexpr size_t kFileBuffer = 64 * 1024;

    CZModemReceiver(TransferLink& link, std::string folder, TransferTiming timing = {});
    ~CZModemReceiver() override;

private:
    enum class Expect { Header, Options, FileInfo, FileData, Command, Goodbye };

    void Begin() override;
    void OnEvent(zmodem::Reader::Event event) override;
    void OnTimeout(bool counted) override;
    void OnEnd(Outcome outcome) override;
    void ProcessByte(uint8_t byte) override;
    bool AtHostOutput(uint8_t byte) const override;
    bool Delivered() const override;

    void OnHeader();
    void OnData();
    void OnDamagedData();
    void OpenFile();
    void WriteData();
    void EndOfFile(uint32_t position);
    // Data sent from the position asked for arrived damaged: asks for it
    // again, kMaxFailures times at one position.  Data the receiver skips
    // after a request, and what the sender sends before it hears one, are
    // no such failure.
    void Resync();
    // ZRINIT, or ZRPOS at what was received; then the answer is awaited.
    void SendInit();
    void AskPosition();
    // Asks for what is due next again: the data from what was received, or
    // the next file.
    void AskAgain();
    // Writes what is buffered; false (errno says why) when the file cannot
    // take it.
    bool WritePending();
    // Writes what is buffered and closes the file, a whole one with the
    // sender's time; false as WritePending.
    bool CloseFile(bool whole = false);

    ReceiveFolder folder_;
    Expect expect_ = Expect::Header;
    bool escapeRequested_ = false;
    bool append_ = false; // the sender asked to add to an existing file
    int fd_ = -1;
    std::string name_;     // as written
    std::string sentName_; // as the sender gave it
    int64_t size_ = -1;
    int64_t modified_ = -1; // seconds since 1970, as the sender gave it
    uint32_t written_ = 0;           // received in order, buffered or written
    std::vector<uint8_t> pending_;   // received, not yet written
    bool discarding_ = false; // after a ZRPOS, until a ZDATA at the right position
    uint32_t failedAt_ = 0;
    int failures_ = 0;
    int goodbye_ = 0; // "O" bytes seen after our ZFIN
};

} // namespace tamsivane
