// The system clipboard and the primary selection as the terminal view uses
// them: text in, text out, and whether each step worked, so that a failure
// can be told to the user instead of passing unnoticed.
#pragma once

#include <QClipboard>
#include <QString>
#include <optional>

namespace tamsivane {

class ViewClipboard {
public:
    virtual ~ViewClipboard() = default;

    // Whether the system has a primary selection (X11, most Wayland desktops).
    virtual bool HasPrimarySelection() const = 0;
    // Puts text there; false when the system did not take it.
    virtual bool Put(QClipboard::Mode mode, const QString& text) = 0;
    // Whether it offers text now.
    virtual bool OffersText(QClipboard::Mode mode) const = 0;
    // Its text; empty when it holds none, nothing when it cannot be read.
    virtual std::optional<QString> Take(QClipboard::Mode mode) const = 0;
};

// The application's QClipboard.
class SystemClipboard final : public ViewClipboard {
public:
    bool HasPrimarySelection() const override;
    bool Put(QClipboard::Mode mode, const QString& text) override;
    bool OffersText(QClipboard::Mode mode) const override;
    std::optional<QString> Take(QClipboard::Mode mode) const override;
};

} // namespace tamsivane
