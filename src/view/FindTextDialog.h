// The "Find Text" dialog: the text to find, the direction, and whether case
// and whole words matter.  Opens with the values given and hands back what
// the user chose.
#pragma once

#include <QDialog>

#include "view/TextSearch.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace tamsivane {

class FindTextDialog final : public QDialog {
    Q_OBJECT
public:
    FindTextDialog(const FindRequest& initial, QWidget* parent = nullptr);

    FindRequest Choice() const;

private:
    QLineEdit* text_;
    QRadioButton* up_;
    QRadioButton* down_;
    QCheckBox* caseSensitive_;
    QCheckBox* wholeWord_;
};

} // namespace tamsivane
