// A main window for the tests on Qt's offscreen platform, with the XDG
// folders in a temporary folder, an in-memory profile and a user whose
// answers are scripted.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>
#include <functional>
#include <memory>
#include <type_traits>

#include "GuiApplication.h"
#include "app/CAddressBookDlg.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "keyboard/CommandIds.h"

namespace tamsivane::testing {

// Runs fill on the next modal dialog of that class once it is shown (from
// the event loop, while the code that opened it waits in exec()).
template <typename Dialog = QDialog>
void WhenModal(std::type_identity_t<std::function<void(Dialog&)>> fill) {
    QTimer::singleShot(0, [fill] {
        Dialog* dialog = nullptr;
        if (!QTest::qWaitFor(
                [&] {
                    dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
                    return dialog != nullptr;
                },
                5000)) {
            ADD_FAILURE() << "no " << Dialog::staticMetaObject.className() << " was shown";
            return;
        }
        fill(*dialog);
    });
}

// An address book file in folder holding entries, read and saved there.
inline AddressBookPaths WriteAddressBook(const TempFolder& folder,
                                         const std::vector<AddressBookEntry>& entries) {
    const std::string path = folder.File(kAddressBookFile);
    std::ofstream(path, std::ios::binary) << FormatAddressBook(entries);
    return AddressBookPaths{path, path};
}

// Chooses the site in the address book dialog and clicks Connect.
inline void ConnectSite(CAddressBookDlg& book, const QString& site) {
    auto* list = book.findChild<QTreeWidget*>("hosts");
    const QList<QTreeWidgetItem*> found = list->findItems(site, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << site.toStdString();
    list->setCurrentItem(found.front());
    QTest::mouseClick(book.findChild<QPushButton*>("connect"), Qt::LeftButton);
}

inline Templates ShippedTemplates(const std::string& saveFolder) {
    return Templates(TemplateFolders{{TAMSIVANE_TEST_DATA "/../../resources/templates"},
                                     saveFolder});
}

class FrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    FrameTest() : frame(std::make_unique<CMainFrame>(profile, user, ShippedTemplates(folder.Path()))) {}
    ~FrameTest() override {
        if (watched) watched->RemoveObserver(&sent);
    }

    // A connected loop-back session (what is sent comes back as host
    // output), changed by configure before it connects; what it sends is
    // recorded in sent.
    template <typename Configure>
    CChildFrame* OpenLoopback(Configure configure) {
        std::shared_ptr<CVT420Doc> doc = frame->CreateDocument();
        doc->LoadNewSession(ShippedTemplates(folder.Path()),
                            ConnectionValues{static_cast<int32_t>(TransportType::Local), "", 0});
        {
            const SessionLock locked = doc->Locked();
            configure(locked.Settings());
        }
        if (!watched) {
            watched = doc;
            doc->AddObserver(&sent);
        }
        CChildFrame* child = frame->OpenPreparedSession(doc);
        EXPECT_NE(child, nullptr);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return doc->ConnectionState() == TransportState::Connected; }, 10000));
        return child;
    }
    CChildFrame* OpenLoopback() {
        return OpenLoopback([](SettingsStore&) {});
    }
    bool WaitForSent(const std::string& bytes) {
        return QTest::qWaitFor([&] { return sent.Sent() == bytes; }, 10000);
    }

    TempFolder folder;
    MemoryProfile profile;
    ScriptedUser user;
    RecordingView sent;
    std::shared_ptr<CVT420Doc> watched;
    std::unique_ptr<CMainFrame> frame;
};

} // namespace tamsivane::testing
