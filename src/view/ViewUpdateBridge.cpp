#include "view/ViewUpdateBridge.h"

#include <algorithm>
#include <utility>

namespace tamsivane {

ViewUpdateBridge::ViewUpdateBridge(Receiver receiver, QObject* parent)
    : QObject(parent), receiver_(std::move(receiver)) {
    frame_.setSingleShot(true);
    frame_.setTimerType(Qt::PreciseTimer);
    connect(&frame_, &QTimer::timeout, this, &ViewUpdateBridge::Deliver);
}

template <typename Change>
void ViewUpdateBridge::Record(Change change) {
    std::lock_guard lock(mutex_);
    change(pending_);
    if (posted_) return;
    posted_ = true;
    ++updatesPosted_;
    QMetaObject::invokeMethod(this, &ViewUpdateBridge::Deliver, Qt::QueuedConnection);
}

void ViewUpdateBridge::ScreenChanged(int firstRow, int lastRow, bool historyChanged) {
    Record([&](PendingUpdate& p) {
        p.screen = true;
        p.history = p.history || historyChanged;
        if (firstRow < 0 || lastRow < firstRow) return;
        p.firstRow = p.firstRow < 0 ? firstRow : std::min(p.firstRow, firstRow);
        p.lastRow = std::max(p.lastRow, lastRow);
    });
}

void ViewUpdateBridge::LayoutChanged() {
    Record([](PendingUpdate& p) { p.layout = true; });
}

void ViewUpdateBridge::DisconnectedChanged(bool disconnected) {
    Record([&](PendingUpdate& p) { p.disconnected = disconnected; });
}

void ViewUpdateBridge::TitleChanged(std::string_view) {
    Record([](PendingUpdate& p) { p.title = true; });
}

int ViewUpdateBridge::UpdatesPosted() const {
    std::lock_guard lock(mutex_);
    return updatesPosted_;
}

bool ViewUpdateBridge::Waiting() const {
    std::lock_guard lock(mutex_);
    return posted_;
}

void ViewUpdateBridge::Deliver() { Take(false); }

void ViewUpdateBridge::TakeNow() { Take(true); }

void ViewUpdateBridge::Take(bool now) {
    if (!Waiting()) return;
    const qint64 since = sinceTaken_.isValid() ? sinceTaken_.elapsed() : kFrameMs;
    if (!now && since < kFrameMs) {
        if (!frame_.isActive()) frame_.start(static_cast<int>(kFrameMs - since));
        return;
    }
    frame_.stop();
    sinceTaken_.start();
    PendingUpdate update;
    {
        std::lock_guard lock(mutex_);
        update = std::exchange(pending_, PendingUpdate{});
        posted_ = false;
    }
    receiver_(update);
}

} // namespace tamsivane
