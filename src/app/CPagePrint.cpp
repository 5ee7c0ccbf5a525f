#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/CSettingsSheet.h"
#include "app/SettingsPages.h"
#include "config/AppProfile.h"

namespace tamsivane {
namespace {

constexpr ChoiceRule kPrintTo = {
    P::PrintTo,
    nullptr,
    {{{"Direct to Printer", 0}, {"Redirect to System Printing", 1}, {"Direct to Port", 2}}}};

constexpr const char* kPorts[] = {"LPT1:", "LPT2:", "LPT3:", "LPT4:"};

// The device a port prints to: the application setting "Print/PortDevice"
// with the port's number (LPT1: is 0) in place of "%d".
QString PortDevice(const AppProfile& profile, int port) {
    QString pattern = QString::fromStdString(profile.GetString("Print", "PortDevice", "/dev/lp%d"));
    return pattern.replace("%d", QString::number(port));
}

} // namespace

CPagePrint::CPagePrint(CSettingsSheet& sheet)
    : CSettingsPage(sheet, "Print"), printer_(new QLineEdit(this)) {
    auto* columns = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    AddChoice(left, kPrintTo);
    auto* portRow = new QHBoxLayout;
    left->addLayout(portRow);
    QComboBox* port = AddList(portRow, P::PrintPort, "Direct to Port:", kPorts);
    auto* device = new QLabel(this);
    device->setObjectName("portDevice");
    portRow->addWidget(device);
    connect(port, &QComboBox::currentIndexChanged, this, [this, device](int index) {
        device->setText(index >= 0 ? PortDevice(Sheet().Context().profile, index) : QString());
    });
    AddCheck(left, {P::FFNeeded, "Send FF while finish"});
    auto* timeoutRow = new QHBoxLayout;
    left->addLayout(timeoutRow);
    AddNumber(timeoutRow, P::JobTimeout, "Job Timeout");
    timeoutRow->addWidget(new QLabel("seconds", this));

    QGroupBox* font =
        AddFont(right, "Print Font", P::PrintFontName, P::PrintFontSize, P::PrintFontBold);
    fontFace_ = font->findChild<QComboBox*>(Descriptor(P::PrintFontName).key)->lineEdit();
    fontSize_ = font->findChild<QSpinBox*>(Descriptor(P::PrintFontSize).key);
    fontBold_ = font->findChild<QCheckBox*>(Descriptor(P::PrintFontBold).key);
    auto* selectFont = new QPushButton("Select Font", font);
    font->layout()->addWidget(selectFont);
    connect(selectFont, &QPushButton::clicked, this, &CPagePrint::SelectFont);

    auto* printer = new QGroupBox("Printer", this);
    auto* printerRows = new QVBoxLayout(printer);
    printer_->setObjectName("printer");
    printer_->setReadOnly(true);
    printerRows->addWidget(printer_);
    auto* buttons = new QHBoxLayout;
    printerRows->addLayout(buttons);
    auto* setup = new QPushButton("Setup...", printer);
    setup->setObjectName("printSetup");
    setup->setEnabled(static_cast<bool>(Sheet().Context().printSetup));
    connect(setup, &QPushButton::clicked, this, [this] {
        Sheet().Context().printSetup(Working(), this);
        ShowPrinter();
    });
    auto* useDefault = new QPushButton("Use Default", printer);
    useDefault->setObjectName("useDefaultPrinter");
    connect(useDefault, &QPushButton::clicked, this, [this] {
        Working().SetNumber(P::DefaultPrinter, 1);
        ShowPrinter();
    });
    buttons->addWidget(setup);
    buttons->addWidget(useDefault);
    right->addWidget(printer);
    left->addStretch(1);
    right->addStretch(1);
}

void CPagePrint::ShowPrinter() {
    printer_->setText(Working().GetNumber(P::DefaultPrinter)
                          ? QString("Default Printer")
                          : QString::fromStdString(Working().GetString(P::PrinterName)));
}

// The font dialog starts from the face, size and weight shown and sets all
// three from the user's choice.
void CPagePrint::SelectFont() {
    QFont current(fontFace_->text(), fontSize_->value());
    current.setBold(fontBold_->isChecked());
    // Qt's own dialog: the desktop's would ignore the fixed-pitch filter.
    QFontDialog dialog(current, this);
    dialog.setWindowTitle("Select Font");
    dialog.setOptions(QFontDialog::MonospacedFonts | QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return;
    const QFont font = dialog.selectedFont();
    fontFace_->setText(font.family());
    if (font.pointSize() > 0) fontSize_->setValue(font.pointSize());
    fontBold_->setChecked(font.bold());
}

bool CPagePrint::Exchange(ExchangeDirection direction) {
    if (direction == ExchangeDirection::Load) ShowPrinter();
    return true;
}

} // namespace tamsivane
