#include "app/CSettingsSheet.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/SettingsPages.h"

namespace tamsivane {

CSettingsSheet::CSettingsSheet(const SettingsStore& settings, const KeyMap& keys,
                               SettingsSheetContext context, QWidget* parent)
    : QDialog(parent), keys_(keys), context_(std::move(context)), tabs_(new QTabWidget(this)) {
    setWindowTitle("Tamsivane Settings");
    settings_.CopyFrom(settings);
    pages_ = MakeSettingsPages(*this);
    for (CSettingsPage* page : pages_) tabs_->addTab(page, page->Title());

    // No Apply button: the session sees the settings only after OK.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);

    tabs_->setCurrentIndex(0);
    PageChanged(0);
    connect(tabs_, &QTabWidget::currentChanged, this, &CSettingsSheet::PageChanged);
}

CSettingsSheet::~CSettingsSheet() = default;

CSettingsPage* CSettingsSheet::Page(const QString& title) const {
    for (CSettingsPage* page : pages_) {
        if (page->Title() == title) return page;
    }
    return nullptr;
}

// A page is saved when it is left and loaded when it is entered, so that what
// one page changed in the working copy (a template) shows on the others.
void CSettingsSheet::PageChanged(int index) {
    if (index == current_) return;
    if (current_ >= 0 && !pages_[current_]->ExchangeData(ExchangeDirection::Save)) {
        const QSignalBlocker blocker(tabs_);
        tabs_->setCurrentIndex(current_);
        return;
    }
    current_ = index;
    if (index >= 0) pages_[index]->ExchangeData(ExchangeDirection::Load);
}

// Only the page shown can hold unsaved changes: the others were saved when left.
void CSettingsSheet::accept() {
    if (current_ >= 0 && !pages_[current_]->ExchangeData(ExchangeDirection::Save)) return;
    QDialog::accept();
}

} // namespace tamsivane
