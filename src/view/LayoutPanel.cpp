#include "view/LayoutPanel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "view/KeyPictureWidget.h"

namespace tamsivane {

LayoutPanel::LayoutPanel(const KeyboardLayouts& layouts, int layout, QWidget* parent)
    : QWidget(parent), layouts_(layouts), layout_(layouts.Valid(layout)),
      label_(new QLabel(tr("Layout:"), this)), list_(new QComboBox(this)),
      picture_(new KeyPictureWidget(KeyPicture::Layout(layouts, layout_), this)) {
    list_->setObjectName("layout");
    picture_->setObjectName("pcKeys");
    for (int i = 0; i < layouts_.Count(); ++i) {
        list_->addItem(QString::fromStdString(layouts_.Name(i)));
    }
    list_->setCurrentIndex(layout_);
    label_->setBuddy(list_);
    const bool choice = layouts_.Count() > 1;
    label_->setVisible(choice);
    list_->setVisible(choice);

    auto* row = new QHBoxLayout;
    row->addWidget(label_);
    row->addWidget(list_, 1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(row);
    column->addWidget(picture_);
    connect(picture_, &KeyPictureWidget::keyClicked, this, &LayoutPanel::keyClicked);
    connect(list_, &QComboBox::activated, this, [this](int index) {
        SetLayout(index);
        emit layoutChanged(layout_);
    });
}

void LayoutPanel::SetLayout(int layout) {
    layout_ = layouts_.Valid(layout);
    list_->setCurrentIndex(layout_);
    picture_->SetPicture(KeyPicture::Layout(layouts_, layout_));
}

} // namespace tamsivane
