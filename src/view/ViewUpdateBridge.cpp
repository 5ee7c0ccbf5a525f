#include "view/ViewUpdateBridge.h"

#include <algorithm>
#include <utility>

namespace tamsivane {

ViewUpdateBridge::ViewUpdateBridge(Receiver receiver, QObject* parent)
    : QObject(parent), receiver_(std::move(receiver)) {}

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

void ViewUpdateBridge::Deliver() {
    PendingUpdate update;
    {
        std::lock_guard lock(mutex_);
        update = std::exchange(pending_, PendingUpdate{});
        posted_ = false;
    }
    receiver_(update);
}

} // namespace tamsivane
