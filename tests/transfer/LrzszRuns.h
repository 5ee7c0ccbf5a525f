// Whole runs of the engine against sz and rz, for the transfer tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "PeerProgram.h"
#include "TempFolder.h"
#include "transfer/CZModemReceiver.h"
#include "transfer/CZModemSender.h"

namespace tamsivane::testing {

using Outcome = CZModemTransfer::Outcome;

// A folder for the peer's side and one where our files arrive.
struct Folders {
    TempFolder root;
    std::string host = root.File("host");
    std::string received = root.File("received");
    Folders() { ::mkdir(host.c_str(), 0700); }
};

// Receives what `sz ARGS` sends; the outcome and the peer's exit status.
struct Reception {
    Outcome outcome;
    int peerExit;
    std::vector<std::string> finished;
    std::vector<TransferStatus> statuses;
};

inline Reception ReceiveFrom(const Folders& folders, std::vector<std::string> arguments,
                             TransferTiming timing = {}) {
    PeerProgram peer(arguments, folders.host);
    EXPECT_TRUE(peer.Started());
    CZModemReceiver receiver(peer, folders.received, timing);
    peer.Run(receiver);
    EXPECT_TRUE(peer.WaitFinished());
    const int exit = peer.WaitExit();
    return {receiver.Result(), exit, peer.Finished(), peer.Statuses()};
}

inline Reception SendTo(const Folders& folders, const std::vector<std::string>& paths,
                        std::vector<std::string> arguments = {"rz"}, TransferTiming timing = {}) {
    PeerProgram peer(arguments, folders.host);
    EXPECT_TRUE(peer.Started());
    CZModemSender sender(peer, paths, "", std::chrono::milliseconds(0), timing);
    peer.Run(sender);
    EXPECT_TRUE(peer.WaitFinished());
    const int exit = peer.WaitExit();
    return {sender.Result(), exit, peer.Finished(), peer.Statuses()};
}

} // namespace tamsivane::testing
