#include "app/DesktopUser.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "app/CInputBoxDlg.h"

namespace tamsivane {
namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A modal dialog opened on the GUI thread for a script thread, which waits
// for its result; a cancelled wait rejects the dialog and takes fallback.
template <typename Result>
class GuiDialogCall {
public:
    // make: builds the dialog on the GUI thread; read: its result after exec.
    template <typename Make, typename Read>
    Result Run(Make make, Read read, Result fallback, const std::function<bool()>& cancelled) {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr) return fallback;
        auto state = std::make_shared<State>();
        QMetaObject::invokeMethod(
            app,
            [state, make, read] {
                auto dialog = make();
                {
                    std::lock_guard lock(state->mutex);
                    if (state->abandoned) return;
                    state->dialog = dialog.get();
                }
                const int code = dialog->exec();
                std::lock_guard lock(state->mutex);
                state->result = read(*dialog, code);
                state->done = true;
                state->changed.notify_all();
            },
            Qt::QueuedConnection);
        std::unique_lock lock(state->mutex);
        while (!state->done) {
            if (cancelled && cancelled()) {
                state->abandoned = true;
                if (QPointer<QDialog> dialog = state->dialog) {
                    QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
                }
                return fallback;
            }
            state->changed.wait_for(lock, std::chrono::milliseconds(50));
        }
        return state->result.value_or(fallback);
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        QPointer<QDialog> dialog;
        std::optional<Result> result;
        bool done = false;
        bool abandoned = false;
    };
};

QMessageBox::StandardButtons ButtonsOf(int style) {
    using B = QMessageBox;
    switch (style & MessageBoxStyle::ButtonsMask) {
    case 1: return B::Ok | B::Cancel;
    case 2: return B::Abort | B::Retry | B::Ignore;
    case 3: return B::Yes | B::No | B::Cancel;
    case 4: return B::Yes | B::No;
    case 5: return B::Retry | B::Cancel;
    default: return B::Ok;
    }
}

QMessageBox::Icon IconOf(int style) {
    switch (style & MessageBoxStyle::IconMask) {
    case 0x10: return QMessageBox::Critical;
    case 0x20: return QMessageBox::Question;
    case 0x30: return QMessageBox::Warning;
    case 0x40: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int ResultOf(QMessageBox::StandardButton button) {
    using namespace MessageBoxResult;
    switch (button) {
    case QMessageBox::Ok: return Ok;
    case QMessageBox::Abort: return Abort;
    case QMessageBox::Retry: return Retry;
    case QMessageBox::Ignore: return Ignore;
    case QMessageBox::Yes: return Yes;
    case QMessageBox::No: return No;
    default: return Cancel;
    }
}

QMessageBox::StandardButton ButtonOf(int result) {
    using namespace MessageBoxResult;
    switch (result) {
    case Ok: return QMessageBox::Ok;
    case Abort: return QMessageBox::Abort;
    case Retry: return QMessageBox::Retry;
    case Ignore: return QMessageBox::Ignore;
    case Yes: return QMessageBox::Yes;
    case No: return QMessageBox::No;
    default: return QMessageBox::Cancel;
    }
}

} // namespace

int DesktopUser::MessageBox(std::string_view text, std::string_view caption, int style,
                            const std::function<bool()>& cancelled) {
    const int fallback = DefaultMessageBoxResult(style);
    return GuiDialogCall<int>().Run(
        [owner = owner_, text = FromView(text), caption = FromView(caption), style, fallback] {
            auto box = std::make_unique<QMessageBox>(IconOf(style), caption, text,
                                                     ButtonsOf(style), owner.data());
            box->setDefaultButton(ButtonOf(fallback));
            return box;
        },
        [](QDialog& dialog, int) {
            auto& box = static_cast<QMessageBox&>(dialog);
            return ResultOf(box.standardButton(box.clickedButton()));
        },
        fallback, cancelled);
}

std::optional<std::string> DesktopUser::InputBox(std::string_view prompt, std::string_view initial,
                                                 InputStyle style,
                                                 const std::function<bool()>& cancelled) {
    const std::optional<std::string> fallback;
    return GuiDialogCall<std::optional<std::string>>().Run(
        [owner = owner_, prompt = FromView(prompt), initial = FromView(initial), style] {
            return std::make_unique<CInputBoxDlg>(prompt, initial, style, owner.data());
        },
        [](QDialog& dialog, int code) -> std::optional<std::string> {
            if (code != QDialog::Accepted) return std::nullopt;
            return static_cast<CInputBoxDlg&>(dialog).Text().toStdString();
        },
        fallback, cancelled);
}

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

void DesktopUser::MenuCommand(CVT420Doc& session, int command) {
    if (requests_.postCommand) {
        requests_.postCommand(command);
    } else {
        UserInteraction::MenuCommand(session, command);
    }
}

void DesktopUser::OpenSession(std::string_view path) {
    if (requests_.openSession) {
        requests_.openSession(QFile::decodeName(std::string(path).c_str()));
    } else {
        UserInteraction::OpenSession(path);
    }
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
    QFileDialog dialog(owner_.data(), "Save As", QString(), kSetupFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("qzv");
    // The session's title names the file, without what a name cannot hold.
    QString name = FromView(caption);
    name.replace('/', '_');
    if (!name.isEmpty()) dialog.selectFile(name + ".qzv");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

} // namespace tamsivane
