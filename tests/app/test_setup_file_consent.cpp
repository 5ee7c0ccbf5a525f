// Setup files that would run something: opened from elsewhere, they are
// shown first and opened as the user chooses; the user's own files are not.
#include <QMessageBox>
#include <QPushButton>

#include <filesystem>

#include "FrameFixture.h"
#include "config/SetupFile.h"
#include "keyboard/PcKeys.h"
#include "session/ActiveContent.h"

namespace tamsivane::testing {
namespace {

using Prepare = void (*)(SettingsStore&, KeyMap&);

// One kind of active content each, on a loop-back session unless the kind
// is the local command; shown: what the box must name.
const struct Kind {
    const char* name;
    Prepare prepare;
    const char* shown;
} kKinds[] = {
    {"local command",
     [](SettingsStore& s, KeyMap&) {
         s.SetNumber(P::HostType, 7);
         s.SetString(P::HostName, "touch ran-it");
     },
     "Local command: touch ran-it"},
    {"login script",
     [](SettingsStore& s, KeyMap&) {
         s.SetNumber(P::LoginScript, 1);
         s.SetString(P::Script, "sys.System(\"touch ran-it\");\nterm.Send(\"x\");");
     },
     "Login script: sys.System(\"touch ran-it\");"},
    {"host scripts", [](SettingsStore& s, KeyMap&) { s.SetNumber(P::HostScript, 1); },
     "Scripts sent by the host may use protected functions"},
    {"key script",
     [](SettingsStore&, KeyMap& keys) {
         keys.SetEntry(PcKeyByName("F5"), Modifier::Ctrl, KeyAction::ExecuteScript,
                       "sys.System(\"touch ran-it\")");
     },
     "Script on the key Ctrl+F5: sys.System"},
    {"button script",
     [](SettingsStore& s, KeyMap&) {
         s.SetArrayString(P::ButtonCaption, 3, "Go");
         s.SetArrayString(P::ButtonString, 3, "evil.wbq");
         s.SetArrayNumber(P::ButtonAction, 3, 2);
     },
     "Script on the button \"Go\": evil.wbq"},
};

class SetupFileConsentTest : public FrameTest {
protected:
    QString Write(const std::string& name, Prepare prepare) {
        SettingsStore settings;
        settings.SetNumber(P::HostType, static_cast<int32_t>(TransportType::Local));
        KeyMap keys;
        prepare(settings, keys);
        const std::string path = folder.File(name);
        EXPECT_TRUE(SaveSetupFile(path, settings, keys).ok);
        return QString::fromStdString(path);
    }
    // Opens the file, clicking the box's button of that text (none: no box
    // may appear); the box's text goes to shown.
    CChildFrame* Open(const QString& path, const QString& button = {},
                      CMainFrame* target = nullptr) {
        shown.clear();
        QTimer watcher;
        watcher.callOnTimeout([&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            shown = box->text();
            for (QAbstractButton* candidate : box->buttons()) {
                if (candidate->text() == (button.isEmpty() ? "Cancel" : button)) candidate->click();
            }
        });
        watcher.start(10);
        CChildFrame* opened = (target != nullptr ? target : frame.get())->OpenSetupFile(path);
        EXPECT_EQ(shown.isEmpty(), button.isEmpty()) << shown.toStdString();
        return opened;
    }
    static ActiveContent ContentOf(CChildFrame& child) {
        CVT420Doc& doc = child.Document();
        const SessionLock locked = doc.Locked();
        return FindActiveContent(locked.Settings(), locked.Keys());
    }

    QString shown;
};

TEST_F(SetupFileConsentTest, EachKindIsShownAndOpenedAsChosen) {
    // The local command and the login script run in the working folder.
    const std::filesystem::path working = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    const std::string ran = folder.File("ran-it");
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const QString path = Write(std::string(kind.name) + ".qzv", kind.prepare);
        EXPECT_EQ(Open(path, "Cancel"), nullptr);
        EXPECT_TRUE(shown.contains(path)) << shown.toStdString();
        EXPECT_TRUE(shown.contains(kind.shown)) << shown.toStdString();

        CChildFrame* disarmed = Open(path, "Open without running it");
        ASSERT_NE(disarmed, nullptr);
        const ActiveContent left = ContentOf(*disarmed);
        // Only the local command stays, and the session is not connected.
        EXPECT_EQ(left.items.size(), left.localCommand ? 1u : 0u);
        if (left.localCommand) {
            EXPECT_EQ(disarmed->Document().ConnectionState(), TransportState::Idle);
        }

        CChildFrame* allowed = Open(path, "Open and allow");
        ASSERT_NE(allowed, nullptr);
        EXPECT_FALSE(ContentOf(*allowed).items.empty());
        // Allowed once, the same file is not asked about again.
        EXPECT_NE(Open(path), nullptr);
    }
    // What was allowed ran.
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(ran); }, 10000));
    std::filesystem::current_path(working);
}

TEST_F(SetupFileConsentTest, OwnFilesAndPlainFilesOpenWithoutAQuestion) {
    EXPECT_NE(Open(Write("plain.qzv", [](SettingsStore&, KeyMap&) {})), nullptr);

    // Saved by this program, the file is the user's own; changed elsewhere,
    // it is asked about again.
    const QString path = Write("mine.qzv", kKinds[2].prepare);
    CChildFrame* child = Open(path, "Open without running it");
    ASSERT_NE(child, nullptr);
    {
        CVT420Doc& doc = child->Document();
        const SessionLock locked = doc.Locked();
        locked.Settings().SetNumber(P::HostScript, 1);
    }
    ASSERT_TRUE(child->Document().SaveAs(path.toStdString()));
    EXPECT_NE(Open(path), nullptr);
    Write("mine.qzv", kKinds[1].prepare);
    EXPECT_EQ(Open(path, "Cancel"), nullptr);

    // The templates are the program's own.
    MemoryProfile otherProfile;
    TempFolder templates;
    CMainFrame withTemplates(otherProfile, user,
                             Templates(TemplateFolders{{templates.Path()}, templates.Path()}));
    KeyMap keys;
    SettingsStore settings;
    settings.SetNumber(P::HostType, static_cast<int32_t>(TransportType::Local));
    settings.SetNumber(P::HostScript, 1);
    ASSERT_TRUE(SaveSetupFile(templates.File("site.qzv"), settings, keys).ok);
    EXPECT_NE(Open(QString::fromStdString(templates.File("site.qzv")), {}, &withTemplates), nullptr);
}

} // namespace
} // namespace tamsivane::testing
