// The pages whose controls follow the parameter rules almost throughout:
// General, International, Terminal, Display, Keyboard and File Transfer.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/CScriptDialogs.h"
#include "app/CSettingsSheet.h"
#include "app/HostBars.h"
#include "app/SettingsPages.h"
#include "config/PageGeometry.h"
#include "config/Templates.h"
#include "emulator/CharsetTranslator.h"
#include "session/NewConnection.h"

namespace tamsivane {
namespace {

QHBoxLayout* Columns(QWidget* page, QVBoxLayout*& left, QVBoxLayout*& right) {
    auto* row = new QHBoxLayout(page);
    left = new QVBoxLayout;
    right = new QVBoxLayout;
    row->addLayout(left);
    row->addLayout(right);
    return row;
}

void Finish(QVBoxLayout* left, QVBoxLayout* right) {
    left->addStretch(1);
    right->addStretch(1);
}

// --- General ---------------------------------------------------------------------

constexpr CheckRule kGeneralChecks[] = {
    {P::AutoClose, "Close window after disconnection"},
    {P::Maximize, "Maximize window when created"},
    {P::CopySpace, "Copy trailing spaces"},
    {P::AutoCopy, "Copy selection at once"},
    {P::FitFont, "Fit font size to window"},
    {P::LoginScript, "Use login script"},
    {P::AutoExit, "Exit after the last session"},
    {P::CaptureDebug, "Capture control sequences"},
    {P::HostScript, "Host may run protected script functions"},
    {P::CantCloseWindow, "Window cannot be closed"},
};

// --- International -----------------------------------------------------------------

// The sets a user may choose for the upper half: the DEC Supplement set and
// the 8-bit sets (the 94-character sets serve only for designations).
constexpr int32_t kUpperHalfSets[] = {1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

// How the host's text is encoded: one choice on the page, kept in DBCS and
// DBCSSet (UTF-8 is the double-byte decoder with the UTF-8 set), so that
// stored files mean what they meant.
enum Encoding : int { SingleByte, Utf8, DoubleByte };
constexpr const char* kEncodings[] = {"Single Byte Character Set", "UTF-8",
                                      "Double Byte Character Set\n(For Chinese/Japanese/Korean)"};

constexpr ChoiceRule kDoubleByteSets = {P::DBCSSet,
                                        "Double Byte Character Set",
                                        {{{"Use Workstation's Default", 0},
                                          {"Chinese Simplified", 1},
                                          {"Chinese Traditional", 2},
                                          {"Japanese", 3},
                                          {"Korean", 4}}}};

// --- Terminal ----------------------------------------------------------------------

constexpr ChoiceRule kTerminalChoices[] = {
    {P::Local, nullptr, {{{"On Line", 0}, {"Local", 1}}}},
    {P::Interpret, nullptr, {{{"Interpret", 1}, {"Display", 0}}}},
    {P::EightBitChars, nullptr, {{{"7-bit Controls", 0}, {"8-bit Controls", 1}}}},
};

constexpr CheckRule kTerminalChecks[] = {
    {P::AutoWrap, "Enable Auto Wrap"}, {P::LocalEcho, "Local Echo On"},
    {P::SaveAll, "Save Everything"},   {P::SetHostSize, "Set Host Page Size"},
    {P::LFForCR, "Append LF to CR"},
};

// The list matches TermID 0-5.
constexpr const char* kTerminalIds[] = {"VT420 ID", "VT320 ID", "VT220 ID",
                                        "VT102 ID", "VT101 ID", "VT100 ID"};
constexpr const char* kMouseModes[] = {"None", "Linux", "DEC VT Series"};

// "24 Lines, 6 Pages" ... "144 Lines, 1 Page".
QString ArrangementCaption(const PageArrangement& arrangement) {
    return QString("%1 Lines, %2 %3")
        .arg(arrangement.lines)
        .arg(arrangement.pages)
        .arg(arrangement.pages == 1 ? "Page" : "Pages");
}

// --- Display -----------------------------------------------------------------------

constexpr ChoiceRule kDisplayChoices[] = {
    {P::DarkScreen, nullptr, {{{"Dark Screen", 1}, {"Light Screen", 0}}}},
    {P::CursorVisible, nullptr, {{{"Cursor Visible", 1}, {"Cursor Invisible", 0}}}},
    {P::CursorType, nullptr, {{{"Block Cursor", 0}, {"Underline Cursor", 1}}}},
    {P::CursorBlink, nullptr, {{{"Blink Cursor", 1}, {"Steady Cursor", 0}}}},
};

constexpr CheckRule kDisplayChecks[] = {
    {P::BlinkText, "Enable Blinking Text"},
    {P::StatusLine, "Display Status Line"},
};

// --- Keyboard ----------------------------------------------------------------------

constexpr ChoiceRule kKeyboardChoices[] = {
    {P::NumericKeypad, nullptr, {{{"Numeric Keypad", 1}, {"Application Keypad", 0}}}},
    {P::CursorKeys, nullptr, {{{"Normal Cursor", 1}, {"Application Cursor", 0}}}},
    {P::NewLine, nullptr, {{{"No New Line", 0}, {"New Line", 1}, {"Auto Detect", 2}}}},
    {P::MarginBell, "Margin Bell", {{{"Off", 0}, {"On", 1}}}},
    {P::WarningBell, "Warning Bell", {{{"Off", 0}, {"On", 1}}}},
    {P::BackArrow, nullptr, {{{"Delete", 1}, {"Back Space", 0}}}},
    {P::NumLock, nullptr, {{{"PF1", 0}, {"Switch Keypad Mode", 1}}}},
};

constexpr const char* kFunctionKeys[] = {"Function Key F1", "Function Key F2", "Function Key F3",
                                         "Function Key F4", "Function Key F5"};
constexpr const char* kFunctionKeyActions[] = {"Local Function", "Send Sequence", "Do Nothing"};
// The fourth action of F1-F4 (FKeys 3): the PF key of the same number.
constexpr const char* kPfKeyActions[] = {"Send PF1", "Send PF2", "Send PF3", "Send PF4"};
// What "local functions" off gives back: PF1-PF4 and F5's sequence.
constexpr int32_t kSendingFunctionKeys[] = {3, 3, 3, 3, 1};

// --- File Transfer -----------------------------------------------------------------

constexpr CheckRule kTransferChecks[] = {
    {P::AutoRecv, "Automatically receive"},
    {P::XferOpenRecv, "Open receiving folder after file received"},
};

} // namespace

// --- General ---------------------------------------------------------------------

CPageGeneral::CPageGeneral(CSettingsSheet& sheet) : CSettingsPage(sheet, "General") {
    QVBoxLayout *left, *right;
    Columns(this, left, right);
    AddChecks(left, kGeneralChecks);
    hostScripts_ = new QComboBox(this);
    hostScripts_->setObjectName("hostScriptPolicy");
    // In the order of HostScriptPolicy.
    hostScripts_->addItems({"Ask", "Always refuse", "Always allow"});
    left->addWidget(new QLabel("Scripts started by the host:", this));
    left->addWidget(hostScripts_);
    AddText(right, P::Title, "Session Title:");
    auto* login = new QPushButton("Login Script ...", this);
    login->setObjectName("loginScript");
    connect(login, &QPushButton::clicked, this, &CPageGeneral::EditLoginScript);
    right->addWidget(login);

    auto* templates = new QComboBox(this);
    templates->setObjectName("settingsTemplate");
    for (const std::string& name : Sheet().Context().templates.Names()) {
        templates->addItem(QString::fromStdString(name));
    }
    templates->setCurrentIndex(-1);
    connect(templates, &QComboBox::textActivated, this, &CPageGeneral::UseTemplate);
    right->addWidget(new QLabel("Use Settings Template:", this));
    right->addWidget(templates);
    Finish(left, right);
}

bool CPageGeneral::Exchange(ExchangeDirection direction) {
    AppProfile& profile = Sheet().Context().profile;
    if (direction == ExchangeDirection::Load) {
        hostScripts_->setCurrentIndex(static_cast<int>(ReadHostScriptPolicy(profile)));
    } else {
        WriteHostScriptPolicy(profile, static_cast<HostScriptPolicy>(hostScripts_->currentIndex()));
    }
    return true;
}

void CPageGeneral::EditLoginScript() {
    CLoginScriptDlg dialog({Working().GetString(P::UserID), Working().GetString(P::Password),
                            Working().GetString(P::Script)},
                           this);
    if (dialog.exec() != QDialog::Accepted) return;
    const LoginScriptValues values = dialog.Values();
    Working().SetString(P::UserID, values.userId);
    Working().SetString(P::Password, values.password);
    Working().SetString(P::Script, values.script);
}

// The whole template replaces the working copy; this page then shows it.
void CPageGeneral::UseTemplate(const QString& name) {
    if (!Sheet().Context().templates.Load(name.toStdString(), Working(), Sheet().Keys())) {
        Tell(Msg::CannotLoadTemplate);
        return;
    }
    ExchangeData(ExchangeDirection::Load);
}

// --- International ---------------------------------------------------------------

CPageIntl::CPageIntl(CSettingsSheet& sheet)
    : CSettingsPage(sheet, "International"), encoding_(new QButtonGroup(this)) {
    QVBoxLayout *left, *right;
    Columns(this, left, right);
    auto* box = new QGroupBox(this);
    box->setObjectName("encoding");
    auto* buttons = new QVBoxLayout(box);
    for (int i = 0; i < static_cast<int>(std::size(kEncodings)); ++i) {
        auto* button = new QRadioButton(kEncodings[i], box);
        buttons->addWidget(button);
        encoding_->addButton(button, i);
    }
    left->addWidget(box);
    std::vector<const char*> sets;
    for (const int32_t set : kUpperHalfSets) sets.push_back(Charset::Name(set));
    AddList(left, P::PrimarySet, "Primary Character Set:", sets, kUpperHalfSets);
    AddList(left, P::SecondarySet, "Secondary Character Set:", sets, kUpperHalfSets);
    std::vector<const char*> national;
    for (int nrc = 0; nrc < Charset::NationalCount; ++nrc)
        national.push_back(Charset::NationalName(nrc));
    AddList(left, P::NRC, "National Replacement Set:", national);
    AddCheck(left, {P::ForceASCII, "Force Incoming Data to 7-bit"});
    QGroupBox* doubleByte = AddChoice(right, kDoubleByteSets);
    // The East Asian sets matter only to a double-byte host.
    connect(encoding_, &QButtonGroup::idToggled, doubleByte,
            [this, doubleByte] { doubleByte->setEnabled(encoding_->checkedId() == DoubleByte); });
    Finish(left, right);
}

bool CPageIntl::Exchange(ExchangeDirection direction) {
    SettingsStore& settings = Working();
    if (direction == ExchangeDirection::Load) {
        const bool utf8 = settings.GetNumber(P::DBCSSet) == kDbcsSetUtf8;
        const int encoding = settings.GetNumber(P::DBCS) == 0 ? SingleByte
                             : utf8                           ? Utf8
                                                              : DoubleByte;
        encoding_->button(encoding)->setChecked(true);
        return true;
    }
    switch (encoding_->checkedId()) {
    case SingleByte:
        settings.SetNumber(P::DBCS, 0);
        break;
    case Utf8:
        settings.SetNumber(P::DBCS, 1);
        settings.SetNumber(P::DBCSSet, kDbcsSetUtf8);
        break;
    case DoubleByte:
        settings.SetNumber(P::DBCS, 1);
        // No East Asian set chosen yet: the workstation's own.
        if (settings.GetNumber(P::DBCSSet) == kDbcsSetUtf8) settings.SetNumber(P::DBCSSet, 0);
        break;
    default:
        break;
    }
    return true;
}

// --- Terminal --------------------------------------------------------------------

CPageTerminal::CPageTerminal(CSettingsSheet& sheet)
    : CSettingsPage(sheet, "Terminal"),
      columns_(new QButtonGroup(this)),
      arrangement_(new QComboBox(this)),
      answerBack_(nullptr) {
    QVBoxLayout *left, *right;
    Columns(this, left, right);
    AddChoice(left, kTerminalChoices[0]);

    // Columns and the page arrangement are stored together (one page-geometry change).
    auto* geometry = new QGroupBox(this);
    geometry->setObjectName("Columns");
    auto* geometryRows = new QVBoxLayout(geometry);
    for (const int columns : {80, 132}) {
        auto* button = new QRadioButton(QString("%1 Columns").arg(columns), geometry);
        columns_->addButton(button, columns);
        geometryRows->addWidget(button);
    }
    arrangement_->setObjectName("Lines");
    for (const PageArrangement& arrangement : kPageArrangements)
        arrangement_->addItem(ArrangementCaption(arrangement));
    geometryRows->addWidget(new QLabel("Page Arrangement:", geometry));
    geometryRows->addWidget(arrangement_);
    left->addWidget(geometry);

    AddChoice(left, kTerminalChoices[1]);
    AddChoice(left, kTerminalChoices[2]);
    AddNumber(left, P::SaveLines, "History Lines:");

    AddList(right, P::TermID, "Terminal ID:", kTerminalIds);
    // Not a session parameter: the profile keeps it for every session, and
    // only an accepted sheet changes it.
    auto* terminalName = new QLineEdit(
        QString::fromStdString(ChosenTerminalName(Sheet().Context().profile)), this);
    terminalName->setObjectName("terminalName");
    terminalName->setPlaceholderText("Automatic");
    terminalName->setValidator(new QRegularExpressionValidator(
        QRegularExpression("[A-Za-z0-9._+-]{0,64}"), terminalName));
    right->addWidget(new QLabel("Terminal Name Sent:", this));
    right->addWidget(terminalName);
    connect(&sheet, &QDialog::accepted, terminalName, [this, terminalName] {
        SetChosenTerminalName(Sheet().Context().profile, terminalName->text().toStdString());
    });
    auto* answerRow = new QHBoxLayout;
    right->addWidget(new QLabel("Answer Back Message:", this));
    right->addLayout(answerRow);
    answerBack_ = AddNotation(answerRow, P::AnswerBack, nullptr);
    // A hidden answerback shows one "*" per character.
    answerBack_->setStyleSheet("lineedit-password-character: 42");
    QCheckBox* hide = AddCheck(answerRow, {P::HideABM, "Hide"});
    connect(hide, &QCheckBox::toggled, this, [this](bool on) {
        answerBack_->setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
    });
    AddChecks(right, kTerminalChecks);
    AddList(right, P::MouseSupport, "Mouse Support:", kMouseModes);
    Finish(left, right);
}

bool CPageTerminal::Exchange(ExchangeDirection direction) {
    if (direction == ExchangeDirection::Load) {
        if (QAbstractButton* button = columns_->button(Working().GetNumber(P::Columns))) {
            button->setChecked(true);
        }
        arrangement_->setCurrentIndex(-1);
        for (int i = 0; i < static_cast<int>(std::size(kPageArrangements)); ++i) {
            if (kPageArrangements[i].lines == Working().GetNumber(P::Lines))
                arrangement_->setCurrentIndex(i);
        }
        answerBack_->setEchoMode(Working().GetNumber(P::HideABM) ? QLineEdit::Password
                                                                 : QLineEdit::Normal);
        return true;
    }
    const int columns =
        columns_->checkedId() != -1 ? columns_->checkedId() : Working().GetNumber(P::Columns);
    const int index = arrangement_->currentIndex();
    const int lines = index >= 0 ? kPageArrangements[index].lines : Working().GetNumber(P::Lines);
    const int pages = index >= 0 ? kPageArrangements[index].pages : Working().GetNumber(P::Pages);
    Working().SetPageGeometry(columns, lines, pages);
    return true;
}

// --- Display ---------------------------------------------------------------------

CPageDisplay::CPageDisplay(CSettingsSheet& sheet) : CSettingsPage(sheet, "Display") {
    QVBoxLayout *left, *right;
    Columns(this, left, right);
    AddChoices(left, kDisplayChoices);
    AddFont(right, "Display Font", P::FontName, P::FontSize, P::FontBold);
    QGroupBox* font132 =
        AddFont(right, "Font for 132 Columns", P::FontName132, P::FontSize132, P::FontBold132);
    AddCheck(static_cast<QBoxLayout*>(font132->layout()), {P::FontUse80, "Same as 80 Cols"});
    AddChecks(right, kDisplayChecks);
    Finish(left, right);
}

// --- Keyboard --------------------------------------------------------------------

CPageKeyboard::CPageKeyboard(CSettingsSheet& sheet)
    : CSettingsPage(sheet, "Keyboard"), key_(new QComboBox(this)), action_(new QComboBox(this)) {
    QVBoxLayout *left, *right;
    Columns(this, left, right);
    AddChoices(left, std::span(kKeyboardChoices).first(4));
    AddChoices(right, std::span(kKeyboardChoices).subspan(4));
    AddCheck(left, {P::AltEscape, "Alt Key Sends ESC"});

    auto* keys = new QGroupBox("Function Keys F1-F5", this);
    auto* keyRows = new QVBoxLayout(keys);
    localFunctions_ = new QCheckBox("Local functions", keys);
    localFunctions_->setObjectName("localFunctions");
    key_->setObjectName("functionKey");
    action_->setObjectName("functionKeyAction");
    for (const char* key : kFunctionKeys) key_->addItem(key);
    keyRows->addWidget(localFunctions_);
    keyRows->addWidget(key_);
    keyRows->addWidget(action_);
    right->addWidget(keys);
    connect(key_, &QComboBox::currentIndexChanged, this, &CPageKeyboard::ShowKeyAction);
    // The chosen action is stored at once for the key shown.
    connect(action_, &QComboBox::activated, this, [this](int action) {
        Working().SetArrayNumber(P::FKeys, key_->currentIndex(), action);
        ShowKeyAction();
    });
    // All five keys at once: the VT keyboard's local functions, or sending.
    connect(localFunctions_, &QCheckBox::clicked, this, [this](bool local) {
        for (int key = 0; key < static_cast<int>(std::size(kSendingFunctionKeys)); ++key) {
            Working().SetArrayNumber(P::FKeys, key, local ? 0 : kSendingFunctionKeys[key]);
        }
        ShowKeyAction();
    });
    Finish(left, right);
}

void CPageKeyboard::ShowKeyAction() {
    const int key = key_->currentIndex();
    action_->clear();
    for (const char* action : kFunctionKeyActions) action_->addItem(action);
    if (key >= 0 && key < static_cast<int>(std::size(kPfKeyActions))) {
        action_->addItem(kPfKeyActions[key]);
    }
    const int32_t action = Working().GetArrayNumber(P::FKeys, key);
    action_->setCurrentIndex(action >= 0 && action < action_->count() ? action : -1);
    bool local = true;
    for (int i = 0; i < static_cast<int>(std::size(kSendingFunctionKeys)); ++i) {
        local = local && Working().GetArrayNumber(P::FKeys, i) == 0;
    }
    localFunctions_->setChecked(local);
}

bool CPageKeyboard::Exchange(ExchangeDirection direction) {
    if (direction == ExchangeDirection::Load) {
        if (key_->currentIndex() < 0) key_->setCurrentIndex(0);
        ShowKeyAction();
    }
    return true;
}

// --- File Transfer -----------------------------------------------------------------

CPageXfer::CPageXfer(CSettingsSheet& sheet) : CSettingsPage(sheet, "File Transfer") {
    auto* rows = new QVBoxLayout(this);
    AddCheck(rows, kTransferChecks[0]);
    AddText(rows, P::RecvDir, "File Directory:");
    AddNotation(rows, P::ZModemInit, "Initial String:");
    AddCheck(rows, kTransferChecks[1]);
    AddNumber(rows, P::XferInitPause, "Initial Pause (milliseconds):");
    rows->addStretch(1);
}

// --- the sheet's pages -------------------------------------------------------------

std::vector<CSettingsPage*> MakeSettingsPages(CSettingsSheet& sheet) {
    std::vector<CSettingsPage*> pages = {
        new CPageGeneral(sheet), new CPageIntl(sheet),     new CPageTerminal(sheet),
        new CPageDisplay(sheet), new CPageKeyboard(sheet), new CPageKeymap(sheet),
        new CPagePrint(sheet),   new CPageColorMap(sheet), new CPagePalette(sheet),
    };
    if (sheet.Context().withSession) pages.push_back(new CPageTrans(sheet));
    pages.push_back(new CPageButtons(sheet));
    pages.push_back(new CPageXfer(sheet));
    return pages;
}

} // namespace tamsivane
