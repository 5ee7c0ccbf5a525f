// The chat line: a one-line editor whose text goes to the host as typed.
// Enter in the field sends the text with the session's line end; a click on
// "Send" sends the text alone and puts the keyboard in the field.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <functional>

namespace tamsivane {

class ChatLine final : public QWidget {
    Q_OBJECT
public:
    // Sends text, with the line end when lineEnd; false when nothing was sent
    // (no session), and the text then stays in the field.
    using Sender = std::function<bool(const QString& text, bool lineEnd)>;

    explicit ChatLine(QWidget* parent = nullptr);
    void SetSender(Sender sender) { sender_ = std::move(sender); }
    // The send command from elsewhere (a key-map entry): sends with the line
    // end while the field has the keyboard, otherwise gives it the keyboard.
    void SendOrFocus();

    QLineEdit* Field() const { return field_; }
    QPushButton* SendButton() const { return send_; }

private:
    void Submit(bool lineEnd);

    QPushButton* send_;
    QLineEdit* field_;
    Sender sender_;
};

} // namespace tamsivane
