#include <QCheckBox>
#include <QFontDialog>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QTreeWidget>

#include "SheetFixture.h"
#include "config/RecentList.h"
#include "config/ResourceStrings.h"
#include "session/NewConnection.h"

namespace tamsivane::testing {
namespace {

TEST_F(SheetTest, PagesInOrderAndCommunicationOnlyWithASession) {
    Open(false);
    EXPECT_EQ(sheet->windowTitle(), "Tamsivane Settings");
    QStringList titles;
    for (int i = 0; i < sheet->Tabs()->count(); ++i) titles << sheet->Tabs()->tabText(i);
    EXPECT_EQ(titles.join(","),
              "General,International,Terminal,Display,Keyboard,Key Map,Print,"
              "Color Map,Palette,Buttons,File Transfer");
    Open(true);
    EXPECT_EQ(sheet->Tabs()->tabText(sheet->Tabs()->count() - 3), "Communication");
}

TEST_F(SheetTest, DisplayPage) {
    Open();
    Show("Display");
    for (const char* caption : {"Light Screen", "Cursor Invisible", "Underline Cursor",
                                "Steady Cursor", "Same as 80 Cols", "Display Status Line"}) {
        Click(caption);
    }
    Find<QComboBox>("FontName")->setEditText("DejaVu Sans Mono");
    SetNumber("FontSize", 14);
    Click("Bold");
    EXPECT_EQ(ClickOk(), "");
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(Result().GetNumber(P::DarkScreen), 0);
    EXPECT_EQ(Result().GetNumber(P::CursorVisible), 0);
    EXPECT_EQ(Result().GetNumber(P::CursorType), 1);
    EXPECT_EQ(Result().GetNumber(P::CursorBlink), 0);
    EXPECT_EQ(Result().GetNumber(P::FontUse80), 0);
    EXPECT_EQ(Result().GetNumber(P::StatusLine), 1);
    EXPECT_EQ(Result().GetString(P::FontName), "DejaVu Sans Mono");
    EXPECT_EQ(Result().GetNumber(P::FontSize), 14);
    EXPECT_EQ(Result().GetNumber(P::FontBold), 1);
    EXPECT_EQ(Result().GetNumber(P::FontBold132), 0);
}

TEST_F(SheetTest, TerminalPageStoresGeometryTogetherAndTheAnswerbackDecoded) {
    Open();
    Show("Terminal");
    QComboBox* ids = Find<QComboBox>("TermID");
    ASSERT_EQ(ids->count(), 6);
    EXPECT_EQ(ids->currentText(), "VT220 ID"); // TermID 2
    Choose("TermID", "VT100 ID");
    Click("132 Columns");
    Choose("Lines", "144 Lines, 1 Page");
    for (const char* caption :
         {"Local", "Display", "8-bit Controls", "Enable Auto Wrap", "Set Host Page Size"}) {
        Click(caption);
    }
    SetNumber("SaveLines", 2000);
    Choose("MouseSupport", "DEC VT Series");
    Type("AnswerBack", "hi<CR>");
    // The name sent for the terminal is the profile's, for every session.
    EXPECT_EQ(Find<QLineEdit>("terminalName")->text(), "");
    Type("terminalName", "tamsivane");
    EXPECT_EQ(ChosenTerminalName(profile), "");
    EXPECT_EQ(ClickOk(), "");
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(ChosenTerminalName(profile), "tamsivane");
    const SettingsStore& r = Result();
    EXPECT_EQ(r.GetNumber(P::TermID), 5);
    EXPECT_EQ(r.GetNumber(P::Columns), 132);
    EXPECT_EQ(r.GetNumber(P::Lines), 144);
    EXPECT_EQ(r.GetNumber(P::Pages), 1);
    EXPECT_EQ(r.GetNumber(P::Local), 1);
    EXPECT_EQ(r.GetNumber(P::Interpret), 0);
    EXPECT_EQ(r.GetNumber(P::EightBitChars), 1);
    EXPECT_EQ(r.GetNumber(P::AutoWrap), 1);
    EXPECT_EQ(r.GetNumber(P::SetHostSize), 0);
    EXPECT_EQ(r.GetNumber(P::SaveLines), 2000);
    EXPECT_EQ(r.GetNumber(P::MouseSupport), 2);
    EXPECT_EQ(r.GetString(P::AnswerBack), "hi\r");

    // Shown again in the notation; hidden, one "*" a character.
    settings.CopyFrom(r);
    Open();
    Show("Terminal");
    QLineEdit* answer = Find<QLineEdit>("AnswerBack");
    EXPECT_EQ(answer->text(), "hi<CR>");
    EXPECT_EQ(answer->echoMode(), QLineEdit::Normal);
    Click("Hide");
    EXPECT_EQ(answer->echoMode(), QLineEdit::Password);
    EXPECT_EQ(answer->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, answer),
              '*');
}

TEST_F(SheetTest, AMalformedEscapeKeepsThePageOpenAndChangesNothing) {
    Open();
    Show("Terminal");
    Type("AnswerBack", "x\\x4");
    EXPECT_EQ(ClickOk(), ResourceString(Msg::InvalidSequence));
    EXPECT_TRUE(sheet->isVisible());
    // Leaving the page is refused as well.
    Show("Display");
    EXPECT_EQ(sheet->Tabs()->currentWidget(), sheet->Page("Terminal"));
    Type("AnswerBack", "x\\x41");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetString(P::AnswerBack), "xA");
}

TEST_F(SheetTest, KeyboardPageAndFunctionKeyActions) {
    settings.SetArrayNumber(P::FKeys, 0, 1);
    Open();
    Show("Keyboard");
    for (const char* caption : {"Application Keypad", "Application Cursor", "New Line",
                                "Back Space", "Switch Keypad Mode", "Alt Key Sends ESC"}) {
        Click(caption);
    }
    QComboBox* action = Find<QComboBox>("functionKeyAction");
    EXPECT_EQ(action->currentText(), "Send Sequence"); // F1 shows its element
    Choose("functionKey", "Function Key F3");
    EXPECT_EQ(action->currentText(), "Send PF3");
    Choose("functionKey", "Function Key F5");
    EXPECT_EQ(action->count(), 3); // F5 has no PF key
    EXPECT_EQ(action->currentText(), "Send Sequence");
    // One click gives all five keys their local functions, another sends again.
    Click("Local functions");
    EXPECT_EQ(action->currentText(), "Local Function");
    Click("Local functions");
    Choose("functionKey", "Function Key F3");
    Choose("functionKeyAction", "Do Nothing");
    EXPECT_FALSE(Find<QCheckBox>("localFunctions")->isChecked());
    EXPECT_EQ(ClickOk(), "");
    const SettingsStore& r = Result();
    EXPECT_EQ(r.GetNumber(P::NumericKeypad), 0);
    EXPECT_EQ(r.GetNumber(P::CursorKeys), 0);
    EXPECT_EQ(r.GetNumber(P::NewLine), 1);
    EXPECT_EQ(r.GetNumber(P::BackArrow), 0);
    EXPECT_EQ(r.GetNumber(P::NumLock), 1);
    EXPECT_EQ(r.GetNumber(P::AltEscape), 0);
    EXPECT_EQ(r.GetArrayNumber(P::FKeys, 0), 3);
    EXPECT_EQ(r.GetArrayNumber(P::FKeys, 2), 2);
    EXPECT_EQ(r.GetArrayNumber(P::FKeys, 4), 1);
}

TEST_F(SheetTest, InternationalPageMapsListPositionsToSets) {
    settings.SetNumber(P::DBCSSet, 3);
    Open();
    Show("International");
    EXPECT_EQ(Find<QComboBox>("PrimarySet")->count(), 14);
    EXPECT_EQ(Find<QComboBox>("NRC")->count(), 15);
    EXPECT_TRUE(Button("Single Byte Character Set")->isChecked());
    EXPECT_FALSE(Find<QWidget>("DBCSSet")->isEnabled()) << "East Asian sets only for double byte";
    Click("Double Byte Character Set\n(For Chinese/Japanese/Korean)");
    EXPECT_TRUE(Button("Japanese")->isChecked());
    Choose("PrimarySet", "IBM PC; DOS; CP437");
    Choose("SecondarySet", "DEC Supplement Set");
    Choose("NRC", "ISO German");
    Click("Force Incoming Data to 7-bit");
    Click("UTF-8");
    EXPECT_FALSE(Find<QWidget>("DBCSSet")->isEnabled());
    EXPECT_EQ(ClickOk(), "");
    const SettingsStore& r = Result();
    EXPECT_EQ(r.GetNumber(P::DBCS), 1);
    EXPECT_EQ(r.GetNumber(P::PrimarySet), 10);
    EXPECT_EQ(r.GetNumber(P::SecondarySet), 1);
    EXPECT_EQ(r.GetNumber(P::NRC), 6);
    EXPECT_EQ(r.GetNumber(P::ForceASCII), 1);
    EXPECT_EQ(r.GetNumber(P::DBCSSet), 5);
}

// UTF-8 is a choice of its own, kept as the double-byte decoder's UTF-8 set.
TEST_F(SheetTest, InternationalPageShowsUtf8AndLeavesItForADoubleByteSet) {
    settings.SetNumber(P::DBCS, 1);
    settings.SetNumber(P::DBCSSet, 5);
    Open();
    Show("International");
    EXPECT_TRUE(Button("UTF-8")->isChecked());
    Click("Double Byte Character Set\n(For Chinese/Japanese/Korean)");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetNumber(P::DBCS), 1);
    EXPECT_EQ(Result().GetNumber(P::DBCSSet), 0) << "the workstation's default";
}

TEST_F(SheetTest, GeneralPageAndASettingsTemplate) {
    SettingsStore saved;
    saved.SetNumber(P::TermID, 4);
    saved.SetString(P::Title, "from template");
    KeyMap savedKeys;
    savedKeys.ApplyTemplate(3);
    ASSERT_TRUE(templates.Save("mine", saved, savedKeys));

    Open();
    Show("General");
    Click("Use login script");
    Click("Window cannot be closed");
    Type("Title", "My host");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetNumber(P::LoginScript), 1);
    EXPECT_EQ(Result().GetNumber(P::CantCloseWindow), 1);
    EXPECT_EQ(Result().GetString(P::Title), "My host");

    Open();
    Choose("settingsTemplate", "mine");
    EXPECT_EQ(Find<QLineEdit>("Title")->text(), "from template");
    Show("Terminal");
    EXPECT_EQ(Find<QComboBox>("TermID")->currentText(), "VT101 ID");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetNumber(P::TermID), 4);
    EXPECT_TRUE(sheet->Keys() == savedKeys);
}

TEST_F(SheetTest, PrintPage) {
    profile.SetString("Print", "PortDevice", "/tmp/printer%d");
    settings.SetNumber(P::DefaultPrinter, 0);
    settings.SetString(P::PrinterName, "Office");
    Open();
    Show("Print");
    EXPECT_EQ(Find<QLineEdit>("printer")->text(), "Office");
    EXPECT_FALSE(Find<QAbstractButton>("printSetup")->isEnabled());
    Click("Direct to Port");
    Choose("PrintPort", "LPT3:");
    EXPECT_EQ(Find<QLabel>("portDevice")->text(), "/tmp/printer2");
    Click("Send FF while finish");
    SetNumber("JobTimeout", 30);
    Click("Use Default");
    EXPECT_EQ(Find<QLineEdit>("printer")->text(), "Default Printer");
    EXPECT_EQ(ClickOk(), "");
    const SettingsStore& r = Result();
    EXPECT_EQ(r.GetNumber(P::PrintTo), 2);
    EXPECT_EQ(r.GetNumber(P::PrintPort), 2);
    EXPECT_EQ(r.GetNumber(P::FFNeeded), 1);
    EXPECT_EQ(r.GetNumber(P::JobTimeout), 30);
    EXPECT_EQ(r.GetNumber(P::DefaultPrinter), 1);

    Open();
    Show("Print");
    EXPECT_NE(Button("Redirect to System Printing"), nullptr);
}

TEST_F(SheetTest, SelectFontTakesFaceSizeAndWeightFromTheFontDialog) {
    settings.SetString(P::PrintFontName, "DejaVu Sans Mono");
    settings.SetNumber(P::PrintFontSize, 10);
    settings.SetNumber(P::PrintFontBold, 0);
    Open();
    Show("Print");
    bool startedFromPage = false;
    WhenModal<QFontDialog>([&](QFontDialog& dialog) {
        startedFromPage = dialog.currentFont().family() == "DejaVu Sans Mono" &&
                          dialog.currentFont().pointSize() == 10 && !dialog.currentFont().bold();
        QFont chosen("DejaVu Sans Mono", 13);
        chosen.setBold(true);
        dialog.setCurrentFont(chosen);
        dialog.accept();
    });
    Click("Select Font");
    EXPECT_TRUE(startedFromPage);
    EXPECT_TRUE(Find<QCheckBox>("PrintFontBold")->isChecked());
    // Cancel keeps what the page shows.
    WhenModal<QFontDialog>([](QFontDialog& dialog) { dialog.reject(); });
    Click("Select Font");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetString(P::PrintFontName), "DejaVu Sans Mono");
    EXPECT_EQ(Result().GetNumber(P::PrintFontSize), 13);
    EXPECT_EQ(Result().GetNumber(P::PrintFontBold), 1);
}

TEST_F(SheetTest, FileTransferPage) {
    Open();
    Show("File Transfer");
    EXPECT_EQ(Find<QLineEdit>("ZModemInit")->text(), "rz<CR>");
    Click("Automatically receive");
    Type("RecvDir", "/tmp/in");
    Type("ZModemInit", "rz -y<CR>");
    SetNumber("XferInitPause", 900);
    EXPECT_EQ(ClickOk(), "");
    const SettingsStore& r = Result();
    EXPECT_EQ(r.GetNumber(P::AutoRecv), 0);
    EXPECT_EQ(r.GetString(P::RecvDir), "/tmp/in");
    EXPECT_EQ(r.GetString(P::ZModemInit), "rz -y\r");
    EXPECT_EQ(r.GetNumber(P::XferInitPause), 900);
}

TEST_F(SheetTest, CommunicationPageByTransportType) {
    settings.SetNumber(P::HostType, 0);
    settings.SetString(P::Proxy, "gate");
    settings.SetNumber(P::Speed, 8023);
    Open();
    Show("Communication");
    EXPECT_EQ(Find<QComboBox>("transportType")->currentText(), "Telnet Proxy");
    EXPECT_EQ(Find<QComboBox>("proxyPort")->currentText(), "8023");
    Choose("transportType", "Telnet");
    Type("host", "example.org");
    Find<QComboBox>("port")->setEditText("finger");
    Click("Keep Session for Long Idle Time");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetNumber(P::HostType), 0);
    EXPECT_EQ(Result().GetString(P::HostName), "example.org");
    EXPECT_EQ(Result().GetNumber(P::Port), 79);
    EXPECT_EQ(Result().GetString(P::Proxy), "");
    EXPECT_EQ(Result().GetNumber(P::KeepSession), 1);

    Open();
    Show("Communication");
    Choose("transportType", "Serial Port");
    Find<QComboBox>("commPort")->setEditText("com3");
    Find<QComboBox>("baudRate")->setEditText("19200");
    Choose("dataBits", "7");
    Choose("parity", "Odd");
    Choose("stopBits", "2 Bits");
    Choose("flowControl", "Hardware");
    EXPECT_EQ(ClickOk(), "");
    const SettingsStore& r = Result();
    EXPECT_EQ(r.GetNumber(P::HostType), 1);
    EXPECT_EQ(r.GetNumber(P::Port), 2);
    EXPECT_EQ(r.GetNumber(P::Speed), 19200);
    EXPECT_EQ(r.GetNumber(P::DataLength), 7);
    EXPECT_EQ(r.GetNumber(P::Parity), 2);
    EXPECT_EQ(r.GetNumber(P::StopBits), 2);
    EXPECT_EQ(r.GetNumber(P::FlowControl), 2);

    settings.CopyFrom(r);
    Open();
    Show("Communication");
    EXPECT_EQ(Find<QComboBox>("commPort")->currentText(), "COM3");
    Find<QComboBox>("commPort")->setEditText("COM");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetNumber(P::Port), 0);

    Open();
    Show("Communication");
    Choose("transportType", "Telnet");
    Find<QComboBox>("port")->setEditText("23a");
    EXPECT_EQ(ClickOk(), ResourceString(Msg::BadTelnetPort));
    EXPECT_TRUE(sheet->isVisible());
    Choose("transportType", "Local");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetNumber(P::HostType), 2);
}

TEST_F(SheetTest, CommunicationPageLocalShellAndSsh) {
    RecentHosts(profile).Add("recent.example");
    Open();
    Show("Communication");
    Choose("transportType", "SSH");
    EXPECT_NE(Find<QComboBox>("sshHost")->findText("recent.example"), -1);
    EXPECT_EQ(Find<QComboBox>("sshPort")->currentText(), "SSH");
    Find<QComboBox>("sshHost")->setEditText("");
    EXPECT_EQ(ClickOk(), ResourceString(Msg::NoHost));
    Find<QComboBox>("sshHost")->setEditText("example.net");
    Find<QComboBox>("sshPort")->setEditText("22x");
    EXPECT_EQ(ClickOk(), ResourceString(Msg::BadSshPort));
    EXPECT_TRUE(sheet->isVisible());
    Find<QComboBox>("sshPort")->setEditText("2200");
    Type("sshUser", "bob");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetNumber(P::HostType), 8);
    EXPECT_EQ(Result().GetString(P::HostName), "example.net");
    EXPECT_EQ(Result().GetNumber(P::Port), 2200);
    EXPECT_EQ(Result().GetString(P::SshUser), "bob");

    Open();
    Show("Communication");
    Choose("transportType", "Local Shell");
    EXPECT_EQ(Find<QLineEdit>("shellCommand")->text(), "");
    Type("shellCommand", "top -d 1");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetNumber(P::HostType), 7);
    EXPECT_EQ(Result().GetString(P::HostName), "top -d 1");
    settings.CopyFrom(Result());
    Open();
    Show("Communication");
    EXPECT_EQ(Find<QComboBox>("transportType")->currentText(), "Local Shell");
    EXPECT_EQ(Find<QLineEdit>("shellCommand")->text(), "top -d 1");
}

TEST_F(SheetTest, CommunicationPageKeepsTypesItDoesNotOffer) {
    // An SSH2 address-book entry's session shows as SSH and stays type 5.
    settings.SetNumber(P::HostType, 5);
    settings.SetString(P::HostName, "box");
    settings.SetNumber(P::Port, 2022);
    settings.SetString(P::SshUser, "ann");
    Open();
    Show("Communication");
    EXPECT_EQ(Find<QComboBox>("transportType")->currentText(), "SSH");
    EXPECT_EQ(Find<QComboBox>("sshHost")->currentText(), "box");
    EXPECT_EQ(Find<QComboBox>("sshPort")->currentText(), "2022");
    EXPECT_EQ(Find<QLineEdit>("sshUser")->text(), "ann");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetNumber(P::HostType), 5);
    EXPECT_EQ(Result().GetNumber(P::Port), 2022);

    // SSH1 and Debug have no entry: nothing is shown and nothing changes.
    for (const int32_t hostType : {4, 6}) {
        settings.SetNumber(P::HostType, hostType);
        Open();
        Show("Communication");
        EXPECT_EQ(Find<QComboBox>("transportType")->currentIndex(), -1);
        EXPECT_EQ(ClickOk(), "");
        EXPECT_EQ(Result().GetNumber(P::HostType), hostType);
        EXPECT_EQ(Result().GetString(P::HostName), "box");
    }
}

TEST_F(SheetTest, CommunicationPageFillsItselfFromTheAddressBook) {
    SettingsStore saved;
    saved.SetString(P::Title, "from template");
    ASSERT_TRUE(templates.Save("lab", saved, KeyMap()));
    WriteAddressBook(folder, {{"ssh box", "SSH2", "box:2022", "lab", "term.Send('x');\r\n"},
                              {"dial", "Modem", "555-1234", "", ""},
                              {"old", "SSH1", "relic", "", ""}});
    Open();
    Show("Communication");
    WhenModal<CAddressBookDlg>([](CAddressBookDlg& book) { ConnectSite(book, "old"); });
    Click("Address Book...");
    EXPECT_EQ(LastMessage(), ResourceString(Msg::ConnectionNotSupported));
    EXPECT_EQ(Find<QComboBox>("transportType")->currentText(), "Telnet");

    WhenModal<CAddressBookDlg>([](CAddressBookDlg& book) { ConnectSite(book, "ssh box"); });
    Click("Address Book...");
    EXPECT_EQ(Find<QComboBox>("transportType")->currentText(), "SSH");
    EXPECT_EQ(Find<QComboBox>("sshHost")->currentText(), "box");
    EXPECT_EQ(Find<QComboBox>("sshPort")->currentText(), "2022");
    Show("General"); // the entry's template reached the other pages
    EXPECT_EQ(Find<QLineEdit>("Title")->text(), "from template");
    Show("Communication");
    WhenModal<CAddressBookDlg>([](CAddressBookDlg& book) { book.reject(); });
    Click("Address Book...");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetNumber(P::HostType), 5);
    EXPECT_EQ(Result().GetString(P::HostName), "box");
    EXPECT_EQ(Result().GetNumber(P::Port), 2022);
    EXPECT_EQ(Result().GetString(P::Script), "term.Send('x');\r\n");
    EXPECT_EQ(Result().GetNumber(P::LoginScript), 1);

    Open();
    Show("Communication");
    WhenModal<CAddressBookDlg>([](CAddressBookDlg& book) { ConnectSite(book, "dial"); });
    Click("Address Book...");
    EXPECT_EQ(Find<QComboBox>("transportType")->currentText(), "Modem");
    EXPECT_EQ(Find<QLineEdit>("number")->text(), "555-1234");
}

TEST_F(SheetTest, ButtonsPage) {
    Open();
    Show("Buttons");
    auto* list = Find<QListWidget>("buttons");
    ASSERT_EQ(list->count(), 32);
    list->setCurrentRow(2);
    Type("caption", "List");
    Choose("action", "Send Sequence");
    Type("string", "ls \\x4");
    Click("Set");
    EXPECT_EQ(LastMessage(), ResourceString(Msg::InvalidSequence));
    EXPECT_EQ(list->item(2)->text(), "Button #03: ");
    Type("string", "ls<CR>");
    Click("Set");
    EXPECT_EQ(list->item(2)->text(), "Button #03: List");
    list->setCurrentRow(3);
    Type("caption", "Run");
    Choose("action", "Run Script File");
    Type("string", "/tmp/a.wbq");
    Click("Set");
    list->setCurrentRow(2);
    EXPECT_EQ(Find<QLineEdit>("string")->text(), "ls<CR>");
    EXPECT_EQ(ClickOk(), "");
    const SettingsStore& r = Result();
    EXPECT_EQ(r.GetArrayString(P::ButtonCaption, 2), "List");
    EXPECT_EQ(r.GetArrayString(P::ButtonString, 2), "ls\r");
    EXPECT_EQ(r.GetArrayNumber(P::ButtonAction, 2), 0);
    EXPECT_EQ(r.GetArrayString(P::ButtonString, 3), "/tmp/a.wbq");
    EXPECT_EQ(r.GetArrayNumber(P::ButtonAction, 3), 2);
}

// The colour of a widget's pixel at p, as painted.
QColor PixelAt(QWidget* widget, QPoint p) { return widget->grab().toImage().pixelColor(p); }

TEST_F(SheetTest, PalettePageEditsTheColourClickedAndRestoresTheDefaults) {
    Open();
    Show("Palette");
    auto* swatch = Find<QAbstractButton>("colour7");
    const QPoint middle(swatch->width() / 2, swatch->height() / 2);
    EXPECT_EQ(PixelAt(swatch, middle), QColor(192, 192, 192));
    QTest::mouseClick(swatch, Qt::LeftButton);
    EXPECT_EQ(Find<QLabel>("colourIndex")->text(), "Color Index: 7");
    EXPECT_EQ(Find<QSpinBox>("red")->value(), 192);
    SetNumber("red", 10);
    Find<QSlider>("BLUE:")->setValue(20);
    EXPECT_EQ(Find<QSpinBox>("blue")->value(), 20);
    EXPECT_EQ(PixelAt(swatch, middle), QColor(10, 192, 20));
    EXPECT_EQ(ClickOk(), "");
    const uint8_t* palette = Result().GetBlock(P::Palette);
    EXPECT_EQ(palette[28], 10);
    EXPECT_EQ(palette[29], 192);
    EXPECT_EQ(palette[30], 20);

    settings.CopyFrom(Result());
    Open();
    Show("Palette");
    Click("Default");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetBlock(P::Palette)[28], 192);
}

TEST_F(SheetTest, ColorMapPageMapsTheSelectedCombinations) {
    Open();
    Show("Color Map");
    auto* list = Find<QTreeWidget>("combinations");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Normal");
    Click("Bold");
    Click("Inverse");
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i) names << list->topLevelItem(i)->text(0);
    EXPECT_EQ(names.join(","), "Normal,Bold,Reverse,Bold  Reverse");

    // The "Mapped to:" controls map at once; with nothing selected they are refused.
    auto* foreground = Find<QSlider>("foreground");
    auto* background = Find<QSlider>("background");
    auto* showAttribute = Find<QCheckBox>("displayAttribute");
    foreground->setValue(3);
    EXPECT_EQ(LastMessage(), ResourceString(Msg::SelectAttribute));
    EXPECT_EQ(sheet->Settings().GetBlock(P::Mapped)[0], 0);

    list->topLevelItem(2)->setSelected(true); // Reverse shows swapped colours
    EXPECT_EQ(foreground->value(), 0);
    EXPECT_EQ(background->value(), 7);
    EXPECT_TRUE(showAttribute->isChecked());
    list->clearSelection();
    list->topLevelItem(1)->setSelected(true); // Bold, not reverse
    const size_t messages = user.Messages().size();
    foreground->setValue(12);
    // A drag maps where the slider is let go.
    background->setSliderDown(true);
    background->setValue(5);
    EXPECT_EQ(sheet->Settings().GetBlock(P::BackColor)[1], 0);
    background->setValue(1);
    background->setSliderDown(false);
    EXPECT_EQ(sheet->Settings().GetBlock(P::BackColor)[1], 1);
    QTest::mouseClick(showAttribute, Qt::LeftButton, {}, QPoint(4, showAttribute->height() / 2));
    EXPECT_EQ(user.Messages().size(), messages);
    list->clearSelection();
    // The sample of "Bold" is drawn in the mapped colours, "Normal" in the normal ones.
    const auto sampleCorner = [&](int row) {
        const QRect cell = list->visualRect(list->model()->index(row, 1));
        return PixelAt(list->viewport(), cell.topLeft() + QPoint(1, 1));
    };
    EXPECT_EQ(sampleCorner(1), QColor(128, 0, 0));
    EXPECT_EQ(sampleCorner(0), QColor(0, 0, 0));
    EXPECT_EQ(sampleCorner(2), QColor(192, 192, 192));
    EXPECT_EQ(ClickOk(), "");
    // Underline and blink were unchecked: either value is mapped.
    const uint8_t* mapped = Result().GetBlock(P::Mapped);
    for (int index = 0; index < 16; ++index) {
        EXPECT_EQ(mapped[index] != 0, (index & 9) == 1) << index;
    }
    EXPECT_EQ(Result().GetBlock(P::ForeColor)[5], 12);
    EXPECT_EQ(Result().GetBlock(P::BackColor)[5], 1);
    EXPECT_EQ(Result().GetBlock(P::DisplayAttr)[5], 0);

    settings.CopyFrom(Result());
    Open();
    Show("Color Map");
    list = Find<QTreeWidget>("combinations");
    list->topLevelItem(0)->setSelected(true);
    EXPECT_EQ(Find<QSlider>("foreground")->value(), 7); // Normal is not mapped
    Click("Bold");
    list->topLevelItem(1)->setSelected(true);
    EXPECT_EQ(Find<QSlider>("foreground")->value(), 12);
    EXPECT_FALSE(Find<QCheckBox>("displayAttribute")->isChecked());
    Click("Clear");
    EXPECT_EQ(Find<QSlider>("foreground")->value(), 7);
    EXPECT_EQ(ClickOk(), "");
    for (int index = 0; index < 16; ++index) EXPECT_EQ(Result().GetBlock(P::Mapped)[index], 0);
}

} // namespace
} // namespace tamsivane::testing
