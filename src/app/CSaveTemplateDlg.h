// "Save Settings As Template": a template name typed or picked from the
// templates there are; OK writes the session's settings under that name.
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;

namespace tamsivane {

class CVT420Doc;
class Templates;
class UserNotifier;

class CSaveTemplateDlg final : public QDialog {
    Q_OBJECT
public:
    CSaveTemplateDlg(CVT420Doc& doc, const Templates& templates, UserNotifier& user,
                     QWidget* parent = nullptr);

    // Saves and closes; a missing name or a failed save keeps the dialog open.
    void accept() override;

    QLineEdit* NameField() const { return name_; }
    QListWidget* TemplateList() const { return list_; }

private:
    CVT420Doc& doc_;
    const Templates& templates_;
    UserNotifier& user_;
    QLineEdit* name_;
    QListWidget* list_;
};

} // namespace tamsivane
