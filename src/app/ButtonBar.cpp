#include "app/ButtonBar.h"

#include <algorithm>

namespace tamsivane {
namespace {

constexpr int kGap = 4;
constexpr int kMinimumButtonWidth = 40;

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    // The keyboard stays with the terminal view.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    return button;
}

} // namespace

ButtonBarGeometry LayOutButtonBar(int barWidth, int arrowWidth) {
    ButtonBarGeometry geometry{};
    geometry.buttonWidth = std::max(
        kMinimumButtonWidth, (barWidth - 2 * arrowWidth - 2 * kGap) / kButtonsPerPage - kGap);
    geometry.leftArrowX = kGap;
    geometry.rightArrowX = barWidth - arrowWidth - kGap;
    for (int i = 0; i < kButtonsPerPage; ++i) {
        geometry.buttonX[static_cast<size_t>(i)] =
            arrowWidth + 2 * kGap + i * (geometry.buttonWidth + kGap);
    }
    return geometry;
}

ButtonBar::ButtonBar(QWidget* parent)
    : QWidget(parent), down_(MakeButton("<", this)), up_(MakeButton(">", this)) {
    for (int i = 0; i < kButtonsPerPage; ++i) {
        QPushButton* button = MakeButton(QString(), this);
        buttons_[static_cast<size_t>(i)] = button;
        connect(button, &QPushButton::clicked, this,
                [this, i] { emit command(Command::FirstButton + i); });
    }
    const int arrowWidth = down_->fontMetrics().horizontalAdvance("<<<") + 2 * kGap;
    down_->setFixedWidth(arrowWidth);
    up_->setFixedWidth(arrowWidth);
    connect(down_, &QPushButton::clicked, this, [this] { emit command(Command::ButtonPageDown); });
    connect(up_, &QPushButton::clicked, this, [this] { emit command(Command::ButtonPageUp); });
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    ShowNoSession();
}

void ButtonBar::Show(int page, const std::array<QString, kButtonsPerPage>& captions) {
    for (int i = 0; i < kButtonsPerPage; ++i) {
        QPushButton* button = Button(i);
        button->setText(captions[static_cast<size_t>(i)]);
        button->setEnabled(true);
    }
    down_->setEnabled(page > 0);
    up_->setEnabled(page < kButtonPages - 1);
}

void ButtonBar::ShowNoSession() {
    for (QPushButton* button : buttons_) {
        button->setText(QString());
        button->setEnabled(false);
    }
    down_->setEnabled(false);
    up_->setEnabled(false);
}

QSize ButtonBar::sizeHint() const {
    const int arrowWidth = down_->width();
    return {2 * arrowWidth + 4 * kGap + kButtonsPerPage * (96 + kGap),
            down_->sizeHint().height() + 2 * kGap};
}

QSize ButtonBar::minimumSizeHint() const {
    const int arrowWidth = down_->width();
    return {2 * arrowWidth + 4 * kGap + kButtonsPerPage * (kMinimumButtonWidth + kGap),
            down_->sizeHint().height() + 2 * kGap};
}

void ButtonBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

void ButtonBar::LayOut() {
    const int arrowWidth = down_->width();
    const ButtonBarGeometry geometry = LayOutButtonBar(width(), arrowWidth);
    const int height = down_->sizeHint().height();
    down_->setGeometry(geometry.leftArrowX, kGap, arrowWidth, height);
    up_->setGeometry(geometry.rightArrowX, kGap, arrowWidth, height);
    for (int i = 0; i < kButtonsPerPage; ++i) {
        Button(i)->setGeometry(geometry.buttonX[static_cast<size_t>(i)], kGap,
                               geometry.buttonWidth, height);
    }
}

} // namespace tamsivane
