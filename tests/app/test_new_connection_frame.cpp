// Connection: New... in the main window: the New Connection dialog's
// address book and phone book, and the session a chosen entry opens.
#include <unistd.h>

#include <QComboBox>

#include "FrameFixture.h"
#include "TestPeers.h"
#include "app/CNewConnectionDlg.h"

namespace tamsivane::testing {
namespace {

class NewConnectionFrameTest : public FrameTest {
protected:
    NewConnectionFrameTest() {
        frame->SetNewConnectionHandler([this] { RunNewConnection(*frame, templates); });
    }
    // Connection: New... with drive working on the dialog (and closing it).
    void RunNew(std::function<void(CNewConnectionDlg&)> drive) {
        bool driven = false;
        WhenModal<CNewConnectionDlg>([&](CNewConnectionDlg& dialog) {
            driven = true;
            drive(dialog);
        });
        EXPECT_TRUE(frame->Execute(Command::New));
        EXPECT_TRUE(driven);
    }
    static void Click(QDialog& dialog, const char* name) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
    }

    Templates templates = ShippedTemplates(folder.Path());
};

TEST_F(NewConnectionFrameTest, AnAddressBookEntryConnectedOpensItsSessionWindow) {
    ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
    ListeningProgram server(
        {TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", TAMSIVANE_FAKE_LOGIN});
    ASSERT_GT(server.Port(), 0);
    frame->SetAddressBookFile(WriteAddressBook(
        folder, {{"lab", "Telnet", "127.0.0.1:" + std::to_string(server.Port()), "", ""}}));

    // Closed without a choice, the address book leaves the dialog open.
    RunNew([](CNewConnectionDlg& dialog) {
        WhenModal<CAddressBookDlg>([](CAddressBookDlg& book) { book.reject(); });
        Click(dialog, "addressBook");
        EXPECT_TRUE(dialog.isVisible());
        dialog.reject();
    });
    EXPECT_TRUE(frame->SessionFrames().empty());

    RunNew([](CNewConnectionDlg& dialog) {
        WhenModal<CAddressBookDlg>([](CAddressBookDlg& book) { ConnectSite(book, "lab"); });
        Click(dialog, "addressBook");
    });
    ASSERT_EQ(frame->SessionFrames().size(), 1u);
    CVT420Doc& doc = frame->SessionFrames().front()->Document();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const SessionLock locked = doc.Locked();
            return PageText(locked.Screen()).find("login:") != std::string::npos;
        },
        20000));
    const SessionLock locked = doc.Locked();
    EXPECT_EQ(locked.Settings().GetNumber(P::Port), server.Port());
}

TEST_F(NewConnectionFrameTest, ThePhoneBookFillsInTheNumber) {
    frame->SetAddressBookFile(WriteAddressBook(folder, {{"office", "Modem", "9,555-1234", "", ""}}));
    std::string number;
    RunNew([&](CNewConnectionDlg& dialog) {
        auto* type = dialog.findChild<QComboBox*>("type");
        type->setCurrentIndex(type->findText("Modem"));
        WhenModal<CAddressBookDlg>([](CAddressBookDlg& book) { ConnectSite(book, "office"); });
        Click(dialog, "phoneBook");
        number = dialog.findChild<QComboBox*>("phoneNumber")->currentText().toStdString();
        EXPECT_TRUE(dialog.isVisible());
        dialog.reject();
    });
    EXPECT_EQ(number, "9,555-1234");
    EXPECT_TRUE(frame->SessionFrames().empty());
}

} // namespace
} // namespace tamsivane::testing
