// "Map to VT Key": the VT keyboard picture; a click selects the key a PC key
// is to be mapped to and shows its name.  OK needs a key that may be a
// mapping's target.
#pragma once

#include <QDialog>

#include "session/UserNotifier.h"

class QLineEdit;

namespace tamsivane {

class KeyPictureWidget;

class CMapToVtKeyDlg final : public QDialog {
    Q_OBJECT
public:
    // Where the picture lies in the dialog.
    static constexpr int kPictureLeft = 20;
    static constexpr int kPictureTop = 38;

    // selected: the VT key chosen at first (0 for none).
    explicit CMapToVtKeyDlg(UserNotifier& user, int selected = 0, QWidget* parent = nullptr);

    // The chosen VT key 1-108, 0 for none.
    int SelectedKey() const { return selected_; }
    void SelectKey(int vtKey);

    void accept() override;

private:
    UserNotifier& user_;
    KeyPictureWidget* picture_;
    QLineEdit* name_;
    int selected_ = 0;
};

} // namespace tamsivane
