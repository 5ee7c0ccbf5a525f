#include "app/DesktopUser.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace tamsivane {
namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void DesktopUser::ShowMessage(int, std::string_view text) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    // The box is opened from the event loop, never inside the caller: the
    // caller may be the I/O thread holding the session lock.
    QMetaObject::invokeMethod(
        app,
        [owner = owner_, message = FromView(text)] {
            QMessageBox box(QMessageBox::Information, kAppCaption, message, QMessageBox::Ok,
                            owner.data());
            box.exec();
        },
        Qt::QueuedConnection);
}

Answer DesktopUser::Ask(std::string_view caption, std::string_view question,
                        Answer defaultAnswer) {
    const QMessageBox::StandardButton chosen = QMessageBox::question(
        owner_.data(), FromView(caption), FromView(question),
        QMessageBox::Yes | QMessageBox::No,
        defaultAnswer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return chosen == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::string DesktopUser::ChooseSaveFile(std::string_view caption) {
    QFileDialog dialog(owner_.data(), FromView(caption), QString(), kSetupFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("qzv");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

} // namespace tamsivane
