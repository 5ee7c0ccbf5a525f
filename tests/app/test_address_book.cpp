// The address book dialogs: adding, modifying, removing and connecting
// hosts, their checks and messages, the file saved when the dialog ends,
// and a session opened from an entry with a login script.
#include <QDialogButtonBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "FrameFixture.h"
#include "TestPeers.h"
#include "app/CAddressBookDlg.h"
#include "app/CAddressEntryDlg.h"

namespace tamsivane::testing {
namespace {

constexpr const char* kSelectSite = "Please select a site name.";

void FillEntry(QDialog& dialog, const QString& site, const QString& address,
               const QString& script = {}) {
    dialog.findChild<QLineEdit*>("site")->setText(site);
    dialog.findChild<QLineEdit*>("address")->setText(address);
    dialog.findChild<QPlainTextEdit*>("script")->setPlainText(script);
    dialog.accept();
}

class AddressBookTest : public FrameTest {
protected:
    AddressBookPaths Paths() const {
        return AddressBookPaths{folder.File(kAddressBookFile), folder.File(kAddressBookFile)};
    }
    std::unique_ptr<CAddressBookDlg> Open(AddressBookPaths paths) {
        auto dialog = std::make_unique<CAddressBookDlg>(
            paths, std::vector<std::string>{"vt220", "ansi"}, user);
        dialog->show();
        return dialog;
    }
    static void Click(QDialog& dialog, const char* button) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    }
    static QStringList Sites(QDialog& dialog) {
        auto* list = dialog.findChild<QTreeWidget*>("hosts");
        QStringList sites;
        for (int i = 0; i < list->topLevelItemCount(); ++i) sites << list->topLevelItem(i)->text(0);
        return sites;
    }
    static void Select(QDialog& dialog, int row) {
        auto* list = dialog.findChild<QTreeWidget*>("hosts");
        list->setCurrentItem(list->topLevelItem(row));
    }
};

TEST_F(AddressBookTest, AddingANameTwiceNumbersItAndCloseSaves) {
    auto dialog = Open(Paths());
    EXPECT_EQ(dialog->windowTitle(), "Tamsivane Address Book");
    for (int i = 0; i < 3; ++i) {
        WhenModal([](QDialog& entry) { FillEntry(entry, "host", "myhost:2323"); });
        Click(*dialog, "add");
    }
    // An empty name becomes the address.
    WhenModal([](QDialog& entry) { FillEntry(entry, "", "alpha.example", "line 1\nline 2"); });
    Click(*dialog, "add");
    EXPECT_EQ(Sites(*dialog),
              (QStringList{"alpha.example", "host", "host (1)", "host (2)"}));
    Click(*dialog, "close");
    EXPECT_FALSE(dialog->Chosen());

    AddressBook saved(Paths());
    std::string error;
    ASSERT_TRUE(saved.Load(error));
    ASSERT_EQ(saved.Entries().size(), 4u);
    EXPECT_EQ(saved.Entries()[0].script, "line 1\r\nline 2\r\n");
    EXPECT_EQ(saved.Entries()[3].address, "myhost:2323");
    EXPECT_TRUE(user.Messages().empty());
}

TEST_F(AddressBookTest, ButtonsNeedASelectedSite) {
    auto dialog = Open(Paths());
    for (const char* button : {"modify", "remove", "connect"}) Click(*dialog, button);
    EXPECT_EQ(user.Messages(), (std::vector<std::string>{kSelectSite, kSelectSite, kSelectSite}));
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(AddressBookTest, ModifyRemoveAndConnect) {
    std::ofstream(Paths().read, std::ios::binary)
        << "b\r\nTelnet\r\nhost-b\r\n\r\n##No Script\r\n"
           "a\r\nSSH2\r\nhost-a\r\nansi\r\n##No Script\r\n";
    auto dialog = Open(Paths());
    ASSERT_EQ(Sites(*dialog), (QStringList{"a", "b"}));
    // The entry dialog keeps a type it does not offer and the template.
    Select(*dialog, 0);
    WhenModal([](QDialog& entry) {
        EXPECT_EQ(entry.findChild<QComboBox*>("type")->currentText(), "SSH2");
        EXPECT_EQ(entry.findChild<QComboBox*>("template")->currentText(), "ansi");
        entry.findChild<QLineEdit*>("site")->setText("c");
        entry.accept();
    });
    Click(*dialog, "modify");
    EXPECT_EQ(Sites(*dialog), (QStringList{"b", "c"}));
    Select(*dialog, 0);
    Click(*dialog, "remove");
    EXPECT_EQ(Sites(*dialog), QStringList{"c"});
    Select(*dialog, 0);
    Click(*dialog, "connect");
    ASSERT_TRUE(dialog->Chosen());
    EXPECT_EQ(*dialog->Chosen(), (AddressBookEntry{"c", "SSH2", "host-a", "ansi", ""}));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    AddressBook saved(Paths());
    std::string error;
    ASSERT_TRUE(saved.Load(error));
    EXPECT_EQ(saved.Entries().size(), 1u);
}

TEST_F(AddressBookTest, TheEntryDialogNeedsAnAddress) {
    CAddressEntryDlg entry(AddressBookEntry{}, {"vt220", "ansi"}, user);
    entry.show();
    auto* templates = entry.findChild<QComboBox*>("template");
    ASSERT_EQ(templates->count(), 3);
    EXPECT_EQ(templates->itemText(1), "ansi");
    EXPECT_EQ(entry.findChild<QComboBox*>("type")->count(), 2);
    entry.accept();
    EXPECT_EQ(user.Messages(), std::vector<std::string>{"Please input the address for the host."});
    EXPECT_TRUE(entry.isVisible());
}

TEST_F(AddressBookTest, AFailedSaveIsReported) {
    auto dialog = Open(AddressBookPaths{folder.File("missing/AddrBook.Txt"),
                                        folder.File("missing/AddrBook.Txt")});
    WhenModal([](QDialog& entry) { FillEntry(entry, "h", "h"); });
    Click(*dialog, "add");
    dialog->reject();
    ASSERT_EQ(user.Messages().size(), 1u);
    EXPECT_EQ(user.Messages()[0].rfind("Cannot save the address book \"" +
                                           folder.File("missing/AddrBook.Txt") + "\": ",
                                       0),
              0u)
        << user.Messages()[0];
}

TEST_F(AddressBookTest, AnSshOneEntryIsNotSupported) {
    EXPECT_EQ(frame->OpenAddressBookEntry({"old", "SSH1", "host", "", ""}), nullptr);
    EXPECT_EQ(user.Messages(),
              std::vector<std::string>{"This kind of connection is not supported."});
    EXPECT_TRUE(frame->SessionFrames().empty());
}

TEST_F(AddressBookTest, AnEntryWithALoginScriptLogsIn) {
    ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
    ListeningProgram server(
        {TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", TAMSIVANE_FAKE_LOGIN});
    ASSERT_GT(server.Port(), 0);
    const AddressBookEntry entry{
        "login", "telnet", "127.0.0.1:" + std::to_string(server.Port()), "",
        "term.Wait('login:');\r\nterm.Send('alice<CR>');\r\n"
        "term.Wait('Password:');\r\nterm.Send('secret<CR>');\r\n"};
    CChildFrame* child = frame->OpenAddressBookEntry(entry);
    ASSERT_NE(child, nullptr);
    CVT420Doc& doc = child->Document();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const SessionLock locked = doc.Locked();
            return PageText(locked.Screen()).find("Welcome") != std::string::npos;
        },
        20000));
    const SessionLock locked = doc.Locked();
    EXPECT_EQ(locked.Settings().GetNumber(P::Port), server.Port());
    EXPECT_EQ(locked.Settings().GetNumber(P::LoginScript), 1);
}

} // namespace
} // namespace tamsivane::testing
