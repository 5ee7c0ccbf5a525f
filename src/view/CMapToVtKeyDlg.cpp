#include "view/CMapToVtKeyDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>

#include "keyboard/KeyPositions.h"
#include "keyboard/KeyboardInput.h"
#include "view/KeyPictureWidget.h"

namespace tamsivane {

CMapToVtKeyDlg::CMapToVtKeyDlg(UserNotifier& user, int selected, QWidget* parent)
    : QDialog(parent), user_(user), picture_(new KeyPictureWidget(KeyPicture::Vt(), this)),
      name_(new QLineEdit(this)) {
    setWindowTitle(tr("Map to VT Key"));
    // The picture sits at a fixed place, so the dialog is laid out by hand.
    auto* prompt = new QLabel(tr("Select one VT key:"), this);
    prompt->move(kPictureLeft, 12);
    picture_->setObjectName("vtKeys");
    picture_->move(kPictureLeft, kPictureTop);
    const int below = kPictureTop + kKeyPictureHeight + 12;
    auto* label = new QLabel(tr("Selected Key:"), this);
    label->move(kPictureLeft, below + 4);
    name_->setObjectName("selectedKey");
    name_->setReadOnly(true);
    name_->setGeometry(kPictureLeft + 100, below, 160, name_->sizeHint().height());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->adjustSize();
    const int width = kPictureLeft * 2 + kKeyPictureWidth;
    buttons->move(width - kPictureLeft - buttons->width(), below + name_->height() + 12);
    setFixedSize(width, buttons->geometry().bottom() + 12);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(picture_, &KeyPictureWidget::keyClicked, this, &CMapToVtKeyDlg::SelectKey);
    SelectKey(selected);
}

void CMapToVtKeyDlg::SelectKey(int vtKey) {
    const char* name = VtKeyName(vtKey);
    selected_ = name ? vtKey : 0;
    name_->setText(name ? QString(name) : QString());
}

void CMapToVtKeyDlg::accept() {
    if (selected_ == 0) {
        user_.Notify(Msg::NoVtKeySelected);
    } else if (!IsVtMappingTarget(selected_)) {
        user_.Notify(Msg::VtKeyNotMappable);
    } else {
        QDialog::accept();
    }
}

} // namespace tamsivane
