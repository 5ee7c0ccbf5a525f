// The settings sheet on live sessions and on the "default" template, reached
// through the Settings command and applied to the running session.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include "SheetFixture.h"
#include "TestPeers.h"
#include "app/CSaveTemplateDlg.h"
#include "app/SettingsCommands.h"
#include "view/CVT420View.h"

namespace tamsivane::testing {
namespace {

constexpr const char* kPrompt = "sheet-test$";

class SettingsSessionTest : public FrameTest {
protected:
    // Runs the Settings command; drive works on the modal sheet and closes it.
    template <typename Drive>
    void RunSettingsCommand(Drive drive) {
        bool driven = false;
        auto* poll = new QTimer(frame.get());
        QObject::connect(poll, &QTimer::timeout, poll, [&, poll] {
            auto* open = qobject_cast<CSettingsSheet*>(QApplication::activeModalWidget());
            if (open == nullptr) return;
            poll->stop();
            driven = true;
            drive(*open);
        });
        poll->start(10);
        EXPECT_TRUE(frame->Execute(Command::Settings));
        delete poll;
        EXPECT_TRUE(driven);
    }
    static void Show(CSettingsSheet& sheet, const char* title) { ShowPage(sheet, title); }
    static void Click(CSettingsSheet& sheet, const QString& caption) {
        ClickPageButton(sheet, caption);
    }
    static void Close(CSettingsSheet& sheet, QDialogButtonBox::StandardButton which) {
        sheet.findChild<QDialogButtonBox*>()->button(which)->click();
    }
    SettingsSheetContext Context() {
        return SettingsSheetContext{templates, user, profile, true, {}};
    }
    static std::string Screen(CVT420Doc& doc) {
        const SessionLock locked = doc.Locked();
        return PageText(locked.Screen());
    }

    Templates templates = TemplatesSavedIn(folder.Path());
};

bool SameSettings(const SettingsStore& a, const SettingsStore& b) {
    for (int param = 0; param < kParameterCount; ++param) {
        if (!a.Equals(param, b)) {
            ADD_FAILURE() << Descriptor(param).key << " differs";
            return false;
        }
    }
    return true;
}

TEST_F(SettingsSessionTest, CancelAfterChangesOnSeveralPagesLeavesTheSessionAsItWas) {
    CChildFrame* child = OpenLoopback();
    ASSERT_NE(child, nullptr);
    CVT420Doc& doc = child->Document();
    SessionSettings before;
    KeyMap keysBefore;
    {
        const SessionLock locked = doc.Locked();
        before.CopyFrom(locked.Settings());
        keysBefore = locked.Keys();
    }
    RunSettingsCommand([&](CSettingsSheet& sheet) {
        Show(sheet, "Display");
        Click(sheet, "Light Screen");
        Show(sheet, "Terminal");
        Click(sheet, "132 Columns");
        Show(sheet, "Buttons");
        sheet.Tabs()->currentWidget()->findChild<QLineEdit*>("caption")->setText("x");
        Click(sheet, "Set");
        Show(sheet, "Color Map");
        Click(sheet, "Clear");
        sheet.Keys().ApplyTemplate(2);
        Show(sheet, "General");
        Close(sheet, QDialogButtonBox::Cancel);
    });
    const SessionLock locked = doc.Locked();
    EXPECT_TRUE(SameSettings(locked.Settings(), before));
    EXPECT_TRUE(locked.Keys() == keysBefore);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(SettingsSessionTest, OkAppliesToTheSessionAndItsViews) {
    CChildFrame* child = OpenLoopback();
    ASSERT_NE(child, nullptr);
    CVT420Doc& doc = child->Document();
    RunSettingsCommand([&](CSettingsSheet& sheet) {
        Show(sheet, "Terminal");
        Click(sheet, "132 Columns");
        Show(sheet, "General");
        sheet.Tabs()->currentWidget()->findChild<QLineEdit*>("Title")->setText("Renamed");
        sheet.Keys().ApplyTemplate(2);
        Close(sheet, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(doc.IsModified());
    {
        const SessionLock locked = doc.Locked();
        EXPECT_EQ(locked.Settings().GetNumber(P::Columns), 132);
        EXPECT_EQ(locked.Emulator().RightMargin(), 131);
        KeyMap linux;
        linux.ApplyTemplate(2);
        EXPECT_TRUE(locked.Keys() == linux);
    }
    EXPECT_TRUE(frame->windowTitle().contains("Renamed")) << frame->windowTitle().toStdString();
}

TEST_F(SettingsSessionTest, WithoutASessionTheSheetEditsTheDefaultTemplate) {
    ASSERT_EQ(frame->ActiveDocument(), nullptr);
    RunSettingsCommand([&](CSettingsSheet& sheet) {
        EXPECT_EQ(sheet.Page("Communication"), nullptr);
        Show(sheet, "Terminal");
        auto* ids = sheet.Tabs()->currentWidget()->findChild<QComboBox*>("TermID");
        ids->setCurrentIndex(ids->findText("VT100 ID"));
        Close(sheet, QDialogButtonBox::Ok);
    });
    SettingsStore stored;
    KeyMap keys;
    ASSERT_TRUE(templates.Load(kDefaultTemplate, stored, keys));
    EXPECT_EQ(stored.GetNumber(P::TermID), 5);
    EXPECT_NE(templates.Find(kDefaultTemplate).find(folder.Path()), std::string::npos);
}

TEST_F(SettingsSessionTest, SaveSettingsAsTemplateRefusesNamesOutsideTheFolder) {
    CChildFrame* child = OpenLoopback();
    ASSERT_NE(child, nullptr);
    CSaveTemplateDlg dialog(child->Document(), templates, user);
    dialog.show();
    EXPECT_NE(dialog.TemplateList()->findItems("default", Qt::MatchExactly).size(), 0);
    const auto ok = [&] {
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    };
    ok();
    EXPECT_EQ(user.Messages().back(), ResourceString(Msg::NoTemplateName));
    for (const char* name : {"a/b", "..\\up", ".hidden"}) {
        dialog.NameField()->setText(name);
        ok();
        EXPECT_EQ(user.Messages().back(), ResourceString(Msg::CannotSaveTemplate)) << name;
        EXPECT_TRUE(dialog.isVisible());
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              0);
    dialog.TemplateList()->setCurrentRow(0);
    EXPECT_EQ(dialog.NameField()->text(), dialog.TemplateList()->item(0)->text());
    dialog.NameField()->setText("mine");
    ok();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(std::filesystem::exists(folder.File("mine.qzv")));
}

TEST_F(SettingsSessionTest, PrintSetupWorksOnTheWorkingCopy) {
    CChildFrame* child = OpenLoopback();
    ASSERT_NE(child, nullptr);
    CVT420Doc& doc = child->Document();
    const auto sessionPrinter = [&] {
        const SessionLock locked = doc.Locked();
        return locked.Settings().GetString(P::PrinterName);
    };
    QWidget* setupParent = nullptr;
    frame->SetPrintSetup([&](SettingsStore& working, QWidget* parent) {
        setupParent = parent;
        working.SetNumber(P::DefaultPrinter, 0);
        working.SetString(P::PrinterName, "Lab");
    });
    RunSettingsCommand([&](CSettingsSheet& sheet) {
        Show(sheet, "Print");
        Click(sheet, "Setup...");
        EXPECT_EQ(setupParent, sheet.Page("Print"));
        EXPECT_EQ(sheet.Page("Print")->findChild<QLineEdit*>("printer")->text(), "Lab");
        EXPECT_NE(sessionPrinter(), "Lab"); // not before OK
        Close(sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(sessionPrinter(), "Lab");
    const SessionLock locked = doc.Locked();
    EXPECT_EQ(locked.Settings().GetNumber(P::DefaultPrinter), 0);
}

TEST_F(SettingsSessionTest, AnotherTransportOnALiveSessionAsksForAReconnect) {
    CChildFrame* child = OpenLoopback();
    ASSERT_NE(child, nullptr);
    CVT420Doc& doc = child->Document();
    RunSettingsCommand([&](CSettingsSheet& sheet) {
        Show(sheet, "Communication");
        Close(sheet, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(user.Messages().empty()); // nothing changed, nothing to say
    RunSettingsCommand([&](CSettingsSheet& sheet) {
        Show(sheet, "Communication");
        auto* type = sheet.Page("Communication")->findChild<QComboBox*>("transportType");
        type->setCurrentIndex(type->findText("Local Shell"));
        Close(sheet, QDialogButtonBox::Ok);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !user.Messages().empty(); }, 5000));
    EXPECT_EQ(user.Messages().back(), ResourceString(Msg::RestartForSettings));
    EXPECT_EQ(doc.ConnectionState(), TransportState::Connected);
    const SessionLock locked = doc.Locked();
    EXPECT_EQ(locked.Settings().GetNumber(P::HostType), 7);
}

// A shell behind telnetd, changed through the sheet while it runs.
TEST_F(SettingsSessionTest, ChangesReachTheHostOfALiveTelnetSession) {
    ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
    const std::string shell = folder.File("shell.sh");
    std::ofstream(shell) << "#!/bin/sh\nPS1='" << kPrompt << " ' exec /bin/sh -i\n";
    chmod(shell.c_str(), 0700);
    ListeningProgram server({TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", shell});
    ASSERT_GT(server.Port(), 0);
    std::shared_ptr<CVT420Doc> doc = frame->CreateDocument();
    doc->LoadNewSession(templates, ConnectionValues{0, "127.0.0.1", server.Port()});
    CChildFrame* child = frame->OpenPreparedSession(doc);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Screen(*doc).find(kPrompt) != std::string::npos; }, 20000))
        << Screen(*doc);
    CVT420View* views[] = {child->View()};

    std::unique_ptr<CSettingsSheet> sheet = MakeSessionSheet(*doc, Context(), nullptr);
    sheet->show();
    Show(*sheet, "Terminal");
    Click(*sheet, "132 Columns");
    auto* arrangement = sheet->Tabs()->currentWidget()->findChild<QComboBox*>("Lines");
    arrangement->setCurrentIndex(arrangement->findText("144 Lines, 1 Page"));
    Close(*sheet, QDialogButtonBox::Ok);
    ApplySheetToSession(*sheet, *doc, views);
    doc->Send("stty size\r");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Screen(*doc).find("144 132") != std::string::npos; }, 20000))
        << Screen(*doc);
    EXPECT_TRUE(user.Messages().empty());

    sheet = MakeSessionSheet(*doc, Context(), nullptr);
    sheet->show();
    Show(*sheet, "Communication");
    sheet->Tabs()->currentWidget()->findChild<QLineEdit*>("host")->setText("localhost");
    Close(*sheet, QDialogButtonBox::Ok);
    ApplySheetToSession(*sheet, *doc, views);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !user.Messages().empty(); }, 5000));
    EXPECT_EQ(user.Messages().back(), ResourceString(Msg::RestartForSettings));
    EXPECT_EQ(doc->ConnectionState(), TransportState::Connected);
}

} // namespace
} // namespace tamsivane::testing
