// The modeless "File Transfer Status" window: the protocol, the file being
// moved, the bytes moved so far and the file's size, and "Abort Transfer".
// While the transfer runs the window never keeps the keyboard: the terminal
// does, and closing the window by hand does nothing (the button stops the
// transfer).  A transfer that ends well or is aborted takes the window with
// it; one that fails leaves it showing why, with "Close", until the user
// closes it (the button, Esc or the window's close button).
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <array>
#include <cstdint>

namespace tamsivane {

class CTransferStatusDlg final : public QDialog {
    Q_OBJECT
public:
    enum class Field { Protocol, File, Bytes, Size };

    explicit CTransferStatusDlg(QWidget* parent = nullptr);

    QString FieldText(Field field) const { return Label(field)->text(); }
    // "Error!" and what went wrong, once something did; else empty.
    QString MessageText() const { return message_->text(); }
    QPushButton* AbortButton() const { return abort_; }

    // A file begins: its name, no bytes yet, size unknown.
    void ShowFile(const QString& name);
    void ShowSize(int64_t size);
    void ShowPosition(int64_t position);
    void ShowFinished();
    // After the user's abort: no further progress is shown.
    void ShowAborting();
    void ShowError(const QString& detail);

    // The transfer ended well or was aborted: the window goes.
    void Dismiss();
    // The transfer failed: the window stays, its button now closes it.
    void KeepAfterFailure();
    bool TransferOver() const { return over_; }

signals:
    void abortRequested();
    // A field changed.
    void changed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Esc: closes the window once the transfer is over.
    void reject() override;

private:
    QLabel* Label(Field field) const { return fields_[static_cast<size_t>(field)]; }
    void SetField(Field field, const QString& text);
    void ButtonClicked();

    std::array<QLabel*, 4> fields_{};
    QLabel* message_;
    QPushButton* abort_;
    bool over_ = false; // the transfer ended; the window may close
};

} // namespace tamsivane
