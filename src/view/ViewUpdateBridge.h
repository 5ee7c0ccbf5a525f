// Turns what a session tells a view, from any thread, into one queued update
// on the GUI thread.  Calls that arrive before the GUI has taken the last
// update merge into it: the changed rows widen to one band, flags add up, the
// last connection mark wins.  The calling thread never waits for the GUI.
// While output streams the GUI takes at most one update a display frame, so
// the view paints the latest screen once a frame and skips those between;
// after a quiet spell (a key's echo) the update is taken at once.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <mutex>
#include <optional>

#include "session/SessionObserver.h"

namespace tamsivane {

struct PendingUpdate {
    bool screen = false; // rows changed or the cursor may have moved
    int firstRow = -1;   // changed page rows, -1 when none
    int lastRow = -1;
    bool history = false; // the history changed: new layout, whole view
    bool layout = false;  // page size, status line or fonts changed
    bool title = false;
    std::optional<bool> disconnected;
};

class ViewUpdateBridge final : public QObject, public SessionObserver {
public:
    using Receiver = std::function<void(const PendingUpdate&)>;

    // receiver runs on the thread of parent (the GUI thread).
    ViewUpdateBridge(Receiver receiver, QObject* parent);

    void ScreenChanged(int firstRow, int lastRow, bool historyChanged) override;
    void LayoutChanged() override;
    void DisconnectedChanged(bool disconnected) override;
    void TitleChanged(std::string_view title) override;

    // Updates handed to the GUI so far (each one merges any number of calls).
    int UpdatesPosted() const;
    // Whether an update waits for the GUI to take it.
    bool Waiting() const;
    // GUI thread: takes a waiting update without waiting for the next frame.
    void TakeNow();

    // Shortest time between two updates taken by the GUI.
    static constexpr int kFrameMs = 16;

private:
    // Merges a change and posts one update unless one is waiting.
    template <typename Change>
    void Record(Change change);
    void Deliver();
    void Take(bool now);

    Receiver receiver_;
    mutable std::mutex mutex_;
    PendingUpdate pending_;
    bool posted_ = false;
    int updatesPosted_ = 0;
    QElapsedTimer sinceTaken_; // GUI thread: since the last update was taken
    QTimer frame_;             // GUI thread: takes a waiting update at the next frame
};

} // namespace tamsivane
