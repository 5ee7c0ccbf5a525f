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

TEST_F(SheetTest, TerminalPageNameIsTheProfilesAndTheAnswerbackMayBeHidden) {
    Open();
    Show("Terminal");
    // The name sent for the terminal is the profile's, for every session.
    EXPECT_EQ(Find<QLineEdit>("terminalName")->text(), "");
    Type("terminalName", "tamsivane");
    EXPECT_EQ(ChosenTerminalName(profile), "");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(ChosenTerminalName(profile), "tamsivane");
    Open();
    Show("Terminal");
    QLineEdit* answer = Find<QLineEdit>("AnswerBack");
    EXPECT_EQ(answer->echoMode(), QLineEdit::Normal);
    Click("Hide"); // one "*" a character
    EXPECT_EQ(answer->echoMode(), QLineEdit::Password);
    EXPECT_EQ(answer->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, answer),
              '*');
}

TEST_F(SheetTest, GeneralPageAndASettingsTemplate) {
    SettingsStore saved;
    saved.SetNumber(P::TermID, 4);
    saved.SetString(P::Title, "from template");
    KeyMap savedKeys;
    savedKeys.ApplyTemplate(3);
    ASSERT_TRUE(templates.Save("mine", saved, savedKeys));

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

TEST_F(SheetTest, CommunicationPageOffersRecentHostsForSsh) {
    RecentHosts(profile).Add("recent.example");
    Open();
    Show("Communication");
    Choose("transportType", "SSH");
    EXPECT_NE(Find<QComboBox>("sshHost")->findText("recent.example"), -1);
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
