#include "app/AboutBox.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/ToolBarIcons.h"
#include "view/ViewHost.h"

namespace tamsivane {

void ShowAboutBox(QWidget* owner) {
    QDialog box(owner);
    box.setWindowTitle("About Tamsivane");
    auto* icon = new QLabel(&box);
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    auto* text = new QLabel(
        QStringLiteral("<b>%1</b><br>A terminal emulator of the VT420 family.<br>"
                       "Telnet, local loop-back and more, with a button bar and a chat line.")
            .arg(ProgramTitle()),
        &box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(&box);
    layout->addLayout(row);
    layout->addWidget(buttons);
    box.exec();
}

} // namespace tamsivane
