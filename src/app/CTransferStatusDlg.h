// The modeless "File Transfer Status" window: the protocol, the file being
// moved, the bytes moved so far and the file's size, and "Abort Transfer".
// It stays up until the transfer ends; closing it by hand does nothing, the
// button is the way to stop a transfer.
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
    QPushButton* AbortButton() const { return abort_; }

    // A file begins: its name, no bytes yet, size unknown.
    void ShowFile(const QString& name);
    void ShowSize(int64_t size);
    void ShowPosition(int64_t position);
    void ShowFinished();
    // After the user's abort: no further progress is shown.
    void ShowAborting();

    // The transfer is over: the window goes.
    void Dismiss();

signals:
    void abortRequested();
    // A field changed.
    void changed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override {}

private:
    QLabel* Label(Field field) const { return fields_[static_cast<size_t>(field)]; }
    void SetField(Field field, const QString& text);

    std::array<QLabel*, 4> fields_{};
    QPushButton* abort_;
    bool dismissed_ = false;
};

} // namespace tamsivane
