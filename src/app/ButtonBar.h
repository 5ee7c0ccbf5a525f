// The button bar: eight of the session's 32 programmable buttons at a time,
// with "<" and ">" to step through the four pages.  Presses become command
// ids (the buttons shown, page down, page up) for the main window to route
// to the active session.
#pragma once

#include <QPushButton>
#include <QString>
#include <QWidget>

#include <array>

#include "keyboard/CommandIds.h"

namespace tamsivane {

inline constexpr int kButtonsPerPage = 8;
inline constexpr int kButtonPages = 4;

// Where the bar's controls stand for a bar width and the width of an arrow.
struct ButtonBarGeometry {
    int buttonWidth;
    int leftArrowX;
    int rightArrowX;
    std::array<int, kButtonsPerPage> buttonX;
};
ButtonBarGeometry LayOutButtonBar(int barWidth, int arrowWidth);

class ButtonBar final : public QWidget {
    Q_OBJECT
public:
    explicit ButtonBar(QWidget* parent = nullptr);

    // The captions of the page shown; the arrows are enabled while a step is
    // possible.  Without a session every control is disabled.
    void Show(int page, const std::array<QString, kButtonsPerPage>& captions);
    void ShowNoSession();

    QPushButton* Button(int i) const { return buttons_[static_cast<size_t>(i)]; }
    QPushButton* PageDownButton() const { return down_; }
    QPushButton* PageUpButton() const { return up_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void command(int id);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayOut();

    std::array<QPushButton*, kButtonsPerPage> buttons_{};
    QPushButton* down_;
    QPushButton* up_;
};

} // namespace tamsivane
