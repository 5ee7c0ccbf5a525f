#include "view/ViewClipboard.h"

#include <QGuiApplication>
#include <QMimeData>

namespace tamsivane {

bool SystemClipboard::HasPrimarySelection() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr && clipboard->supportsSelection();
}

bool SystemClipboard::Put(QClipboard::Mode mode, const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr || (mode == QClipboard::Selection && !HasPrimarySelection())) {
        return false;
    }
    auto* data = new QMimeData;
    data->setText(text);
    clipboard->setMimeData(data, mode);
    // Once the system has taken the data, the clipboard hands back this very
    // object; when another program kept the clipboard it hands back its own.
    // Comparing asks the system nothing that could wait on that program.
    return clipboard->mimeData(mode) == data;
}

bool SystemClipboard::OffersText(QClipboard::Mode mode) const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData(mode) : nullptr;
    return data != nullptr && data->hasText();
}

std::optional<QString> SystemClipboard::Take(QClipboard::Mode mode) const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData(mode) : nullptr;
    if (data == nullptr) return std::nullopt;
    return data->text();
}

} // namespace tamsivane
