// The view's keyboard in a window with a shortcut and a second focusable
// widget: every key reaches the session, typed text in the host's set.
#include <QAction>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <string>
#include <vector>

#include "GuiApplication.h"
#include "SessionFixture.h"
#include "keyboard/KeyActions.h"
#include "view/ViewKeyboard.h"

namespace tamsivane::testing {
namespace {

class RecordingActions final : public KeyActions {
public:
    void PostToSessionWindow(int command) override { posted.push_back(command); }
    void PostToMainWindow(int command) override { posted.push_back(-command); }
    void RunScript(std::string_view) override {}
    void RunScriptFile(std::string_view) override {}
    void MarginBell() override {}
    void KeypadModeChanged(bool) override {}

    std::vector<int> posted;
};

// A focusable widget that hands its events to the keyboard, as the view does.
class KeyTarget final : public QWidget {
public:
    explicit KeyTarget(ViewKeyboard& keyboard) : keyboard_(keyboard) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_InputMethodEnabled);
    }

protected:
    bool event(QEvent* event) override { return keyboard_.Event(event) || QWidget::event(event); }
    void inputMethodEvent(QInputMethodEvent* event) override { keyboard_.InputMethod(event); }

private:
    ViewKeyboard& keyboard_;
};

class ViewKeyboardTest : public SessionTest {
protected:
    ViewKeyboardTest() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(target);
        layout->addWidget(new QLineEdit);
        auto* action = new QAction(&window);
        action->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::Key_F10)});
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, [this] { ++shortcuts; });
        window.addAction(action);
        window.show();
        (void)QTest::qWaitForWindowActive(&window, 2000);
        target->setFocus();
    }
    std::string SentNow() {
        QCoreApplication::processEvents();
        return view.Sent();
    }

    bool applicationReady = (EnsureApplication(), true); // before any widget
    RecordingActions actions;
    ViewKeyboard keyboard{session, actions};
    QWidget window;
    KeyTarget* target = new KeyTarget(keyboard);
    int shortcuts = 0;
};

TEST_F(ViewKeyboardTest, KeysReachTheSessionAndNoShortcutTakesThem) {
    OpenLoopback();
    ASSERT_TRUE(QTest::qWaitFor([&] { return target->hasFocus(); }, 5000));
    QTest::keyClick(target, Qt::Key_Tab, Qt::NoModifier);
    QTest::keyClick(target, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(target, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_F10);
    QTest::keyClick(target, Qt::Key_Up);
    QTest::keyClick(target, Qt::Key_X, Qt::AltModifier);
    QTest::keyClick(target, Qt::Key_Q);
    QTest::keyClick(target, Qt::Key_F1);
    EXPECT_TRUE(target->hasFocus());
    EXPECT_EQ(shortcuts, 0);
    // Shift+Tab is the back tab, Alt+X is ESC and x, F1 is PF1.  (QTest
    // types Ctrl+N as "n"; the platform would give ^N.)
    EXPECT_EQ(SentNow(), "\t\x1b[Zn\x1b[21~\x1b[A\x1bxq\x1bOP");
    EXPECT_TRUE(actions.posted.empty());
}

TEST_F(ViewKeyboardTest, ComposedAndNationalCharactersAreTyped) {
    OpenLoopback();
    ASSERT_TRUE(QTest::qWaitFor([&] { return target->hasFocus(); }, 5000));
    QKeyEvent dead(QEvent::KeyPress, Qt::Key_Dead_Acute, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dead);
    QKeyEvent composed(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("\u00e9"));
    QCoreApplication::sendEvent(target, &composed);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u00fc"));
    QCoreApplication::sendEvent(target, &commit);
    QKeyEvent keypad(QEvent::KeyPress, Qt::Key_7, Qt::KeypadModifier, QStringLiteral("7"));
    QCoreApplication::sendEvent(target, &keypad);
    EXPECT_EQ(SentNow(),
              "\xe9\xfc"
              "7");
}

} // namespace
} // namespace tamsivane::testing
