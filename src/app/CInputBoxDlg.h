// The "Input Box" dialog of sys.InputBox: a prompt over a one-line field
// holding the initial text; passwords show as "*"; the file styles add a
// "..." button that picks a file to save to or an existing file to open.
#pragma once

#include <QDialog>

#include "script/ScriptHost.h"

class QLineEdit;
class QPushButton;

namespace tamsivane {

class CInputBoxDlg final : public QDialog {
    Q_OBJECT
public:
    CInputBoxDlg(const QString& prompt, const QString& initial, InputStyle style,
                 QWidget* parent = nullptr);

    QString Text() const;
    QLineEdit* Field() const { return field_; }
    // The "..." button of the file styles, nullptr otherwise.
    QPushButton* BrowseButton() const { return browse_; }

private:
    void Browse();

    QString prompt_;
    InputStyle style_;
    QLineEdit* field_;
    QPushButton* browse_ = nullptr;
};

} // namespace tamsivane
