// Selecting with the mouse in a view, copying, pasting over a loop-back
// session, finding text, the pop-up menu and mouse reports to the host.
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTimer>
#include <QWheelEvent>

#include "ViewFixture.h"
#include "config/SessionSettings.h"
#include "keyboard/CommandIds.h"
#include "view/FindTextDialog.h"

namespace tamsivane::testing {
namespace {

// A clipboard and primary selection in memory, which can be told to fail.
class MemoryClipboard final : public ViewClipboard {
public:
    bool HasPrimarySelection() const override { return true; }
    bool Put(QClipboard::Mode mode, const QString& text) override {
        if (failPut) return false;
        (mode == QClipboard::Selection ? primary : clipboard) = text;
        return true;
    }
    bool OffersText(QClipboard::Mode mode) const override {
        return !(mode == QClipboard::Selection ? primary : clipboard).isEmpty();
    }
    std::optional<QString> Take(QClipboard::Mode mode) const override {
        if (failTake) return std::nullopt;
        return mode == QClipboard::Selection ? primary : clipboard;
    }

    QString clipboard;
    QString primary;
    bool failPut = false;
    bool failTake = false;
};

class SelectionViewTest : public ViewTest {
protected:
    // The centre of a cell of the live page.
    QPoint At(int row, int column) { return view->CellRect(History() + row, column).center(); }
    void Press(QPoint point, Qt::KeyboardModifiers modifiers = {},
               Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(view->viewport(), button, modifiers, point);
    }
    void Release(QPoint point, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(view->viewport(), button, {}, point);
    }
    // A move with the buttons held, as the window system delivers it.
    void Move(QPoint point, Qt::MouseButtons buttons = Qt::LeftButton) {
        QMouseEvent move(QEvent::MouseMove, point, view->viewport()->mapToGlobal(point),
                         Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        Press(from, modifiers);
        Move(to);
        Release(to);
    }
    // What was sent after what the test itself sent as host output.
    std::string Sent() { return SessionTest::view.Sent().substr(hostBytes); }
    bool WaitForSent(const std::string& bytes) {
        return QTest::qWaitFor([&] { return Sent() == bytes; }, 10000);
    }
    void Host(const std::string& bytes, std::string_view marker) {
        hostBytes += bytes.size();
        ViewTest::Host(bytes, marker);
    }
    Selection Page(int startRow, int startColumn, int endRow, int endColumn, bool block = false) {
        const int h = History();
        return Selection{h + startRow, startColumn, h + endRow, endColumn, block};
    }

    MemoryClipboard memory;
    size_t hostBytes = 0;
};

TEST_F(SelectionViewTest, DraggingSelectsCellsBeforeTheFarOneAndCtrlMakesABlock) {
    Open();
    Host("ab\r\ncd  ef\r\ngh", "gh");
    Drag(At(0, 10), At(0, 10));
    EXPECT_FALSE(view->HasSelection()) << "10 to 10 selects nothing";
    EXPECT_FALSE(view->IsCommandEnabled(Command::Copy));
    Drag(At(0, 10), At(0, 11));
    EXPECT_EQ(view->CurrentSelection(), Page(0, 10, 0, 10));
    EXPECT_TRUE(view->IsCommandEnabled(Command::Copy));

    Drag(At(0, 0), At(2, 2));
    EXPECT_EQ(view->SelectedText(), u"ab\r\ncd  ef\r\ngh");
    SetNumber(P::CopySpace, 1);
    EXPECT_EQ(view->SelectedText().substr(0, 6), u"ab    ");

    // Ctrl held at the press: a block, blanks kept.
    Drag(At(2, 1), At(0, 4), Qt::ControlModifier);
    EXPECT_EQ(view->CurrentSelection(), Page(0, 1, 2, 4, true));
    SetNumber(P::CopySpace, 0);
    EXPECT_EQ(view->SelectedText(), u"b   \r\nd  e\r\nh   ");
}

TEST_F(SelectionViewTest, ADragStepRepaintsOnlyTheCellsThatChanged) {
    Open();
    Press(At(3, 5));
    Move(At(3, 9));
    // Cells 5 to 9, as far as they reach should the row be double width.
    const QRect cells = view->CellRect(History() + 3, 5).united(view->CellRect(History() + 3, 19));
    EXPECT_EQ(view->LastUpdateRegion().boundingRect(), cells);
    Move(At(5, 2));
    EXPECT_EQ(view->LastUpdateRegion().boundingRect(),
              QRect(0, cells.top(), view->viewport()->width(), 3 * view->Font().height));
    Release(At(5, 2));
    EXPECT_EQ(view->CurrentSelection(), Page(3, 5, 5, 1));
}

TEST_F(SelectionViewTest, CopyPutsTheTextOnTheClipboardAndTypingClearsTheSelection) {
    Open();
    Host("one\r\ntwo\r\nthree", "three");
    Drag(At(0, 0), At(2, 5));
    ASSERT_TRUE(view->HandleCommand(Command::Copy));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "one\r\ntwo\r\nthree") << "two line ends";

    view->SelectAll();
    EXPECT_EQ(view->CurrentSelection(), Page(0, 0, 23, 79));
    Focus();
    QTest::keyClick(view.get(), Qt::Key_X);
    EXPECT_FALSE(view->HasSelection());
    // A key that types nothing leaves the selection alone.
    view->SelectAll();
    QTest::keyClick(view.get(), Qt::Key_Shift);
    EXPECT_TRUE(view->HasSelection());
}

TEST_F(SelectionViewTest, AutoCopyAndThePrimarySelectionFollowTheDrag) {
    SetNumber(P::AutoCopy, 1);
    SetNumber(P::NewLine, 0);
    Open();
    view->UseClipboard(memory);
    Host("primary", "primary");
    Drag(At(0, 0), At(0, 4));
    EXPECT_EQ(memory.clipboard, "prim");
    EXPECT_EQ(memory.primary, "prim");

    // The middle button pastes the primary selection as typed.
    memory.primary = "echo\r\n";
    Press(At(5, 5), {}, Qt::MiddleButton);
    EXPECT_TRUE(WaitForSent("echo\r"));
}

TEST_F(SelectionViewTest, PasteSendsTheTextOnceWithoutLineFeedsUnlessNewLine) {
    SetNumber(P::NewLine, 0);
    Open();
    view->UseClipboard(memory);
    EXPECT_FALSE(view->IsCommandEnabled(Command::Paste));
    memory.clipboard = "a\r\nb";
    ASSERT_TRUE(view->IsCommandEnabled(Command::Paste));
    view->HandleCommand(Command::Paste);
    EXPECT_TRUE(WaitForSent("a\rb")) << Sent();

    SetNumber(P::NewLine, 1);
    memory.clipboard = QString::fromUtf8("c\r\n\xc3\xa9");
    view->Paste();
    EXPECT_TRUE(WaitForSent("a\rbc\r\n\xe9")) << Sent();
}

TEST_F(SelectionViewTest, ClipboardFailuresAreToldAndChangeNothing) {
    Open();
    view->UseClipboard(memory);
    memory.clipboard = "kept";
    memory.failPut = true;
    Host("text", "text");
    Drag(At(0, 0), At(0, 3));
    const Selection before = view->CurrentSelection();
    EXPECT_FALSE(view->CopySelection());
    EXPECT_EQ(memory.clipboard, "kept");
    EXPECT_EQ(view->CurrentSelection(), before);

    memory.failTake = true;
    view->Paste();
    EXPECT_EQ(user.Messages(),
              (std::vector<std::string>{"Cannot open clipboard. Copying aborted.",
                                        "Cannot open clipboard. Pasting aborted."}));
    EXPECT_EQ(Sent(), "");
}

TEST_F(SelectionViewTest, DraggingBelowTheViewKeepsScrollingWhileThePointerStaysThere) {
    Open(QSize(600, 200));
    std::string lines;
    for (int i = 0; i < 40; ++i) lines += "line " + std::to_string(i) + "\r\n";
    Host(lines + "end", "end");
    view->SetVerticalPosition(0);
    const QPoint top = view->CellRect(2, 3).center();
    Press(top);
    Move(QPoint(top.x(), view->viewport()->height() + 5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->VerticalPosition() >= 4; }, 5000))
        << "the timer scrolls on with the pointer held below";
    Release(QPoint(top.x(), view->viewport()->height() + 5));
    const Selection s = view->CurrentSelection();
    EXPECT_EQ(s.startRow, 2);
    EXPECT_GT(s.endRow, view->VerticalPosition() + 1);
}

TEST_F(SelectionViewTest, DoubleClickSelectsAWordAndATripleClickTheRow) {
    Open();
    view->UseClipboard(memory);
    Host("cd /usr/lib-x86_64 ; ls\r\n", "ls");
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, At(0, 8));
    EXPECT_EQ(view->CurrentSelection(), Page(0, 3, 0, 17));
    EXPECT_EQ(memory.primary, "/usr/lib-x86_64");
    // On a blank, the run of blanks; on a sign of its own, that sign.
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, At(0, 19));
    EXPECT_EQ(view->CurrentSelection(), Page(0, 19, 0, 19));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, At(0, 40));
    EXPECT_EQ(view->CurrentSelection(), Page(0, 23, 0, 79));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, At(0, 1));
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, At(0, 1));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, At(0, 1));
    EXPECT_EQ(view->CurrentSelection(), Page(0, 0, 0, 79));
    EXPECT_EQ(memory.primary, "cd /usr/lib-x86_64 ; ls");
}

TEST_F(SelectionViewTest, FindSearchesUpFromTheCursorByDefault) {
    Open();
    Host("match one\r\nmatch two\r\nend", "end");
    view->SetFindValues(FindRequest{u"match"});
    ASSERT_TRUE(view->FindNext());
    EXPECT_EQ(view->CurrentSelection(), Page(1, 0, 1, 4));
    ASSERT_TRUE(view->FindNext());
    EXPECT_EQ(view->CurrentSelection(), Page(0, 0, 0, 4));
    EXPECT_FALSE(view->FindNext());
}

TEST_F(SelectionViewTest, FindNextSelectsTheNextMatchOnTheSameRowThenReportsNone) {
    Open();
    // Down from the cursor, which stands above the text.
    Host("\x1b[2;1Hfoo bar Foo\x1b[Hx", "x");
    view->SetFindValues(FindRequest{u"foo", true, false, false});
    ASSERT_TRUE(view->IsCommandEnabled(Command::FindNext));
    ASSERT_TRUE(view->FindNext());
    EXPECT_EQ(view->CurrentSelection(), Page(1, 0, 1, 2));
    ASSERT_TRUE(view->FindNext());
    EXPECT_EQ(view->CurrentSelection(), Page(1, 8, 1, 10));
    EXPECT_FALSE(view->FindNext());
    EXPECT_EQ(user.Messages(), std::vector<std::string>{"Text not found."});
    EXPECT_EQ(view->CurrentSelection(), Page(1, 8, 1, 10)) << "the selection stays";
}

TEST_F(SelectionViewTest, TheFindDialogStoresItsValuesAndFinds) {
    Open();
    Host("alpha beta ALPHA\x1b[Hx", "xlpha");
    view->SetFindValues(FindRequest{u"x", false, true, true});
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<FindTextDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Find Text");
        const FindRequest shown = dialog->Choice();
        EXPECT_EQ(shown.text, u"x");
        EXPECT_FALSE(shown.down);
        EXPECT_TRUE(shown.caseSensitive);
        EXPECT_TRUE(shown.wholeWord);
        QTest::keyClicks(dialog->findChild<QLineEdit*>(), "ALPHA");
        dialog->findChildren<QRadioButton*>().at(1)->setChecked(true); // Search Down
        dialog->accept();
    });
    view->HandleCommand(Command::Find);
    EXPECT_EQ(view->StoredFindValues().text, u"ALPHA");
    EXPECT_TRUE(view->StoredFindValues().down);
    EXPECT_EQ(view->CurrentSelection(), Page(0, 11, 0, 15));
}

TEST_F(SelectionViewTest, MouseReportsInModeOneAndShiftSelectsInstead) {
    SetNumber(P::MouseSupport, 1);
    Open();
    Press(At(0, 0));
    Move(At(1, 1));
    Release(At(1, 1));
    EXPECT_TRUE(WaitForSent("\x1b[M#!!\x1b[M \"\"")) << Sent();
    Press(At(2, 3), {}, Qt::RightButton);
    Release(At(2, 3), Qt::RightButton);
    EXPECT_TRUE(WaitForSent("\x1b[M#!!\x1b[M \"\"\x1b[M!$#\x1b[M $#")) << Sent();
    EXPECT_TRUE(host.popups.empty()) << "no pop-up menu while reporting";
    EXPECT_FALSE(view->HasSelection());

    Press(At(0, 0), Qt::ShiftModifier);
    Move(At(0, 3));
    Release(At(0, 3));
    EXPECT_EQ(view->CurrentSelection(), Page(0, 0, 0, 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(Sent(), "\x1b[M#!!\x1b[M \"\"\x1b[M!$#\x1b[M $#") << "a selection sends nothing";
}

TEST_F(SelectionViewTest, MouseReportsInModeTwoSkipTheSameCellAndTheStatusLine) {
    SetNumber(P::MouseSupport, 2);
    SetNumber(P::StatusLine, 1);
    Open();
    Press(At(4, 9));
    Move(At(5, 9));
    Move(At(5, 9) + QPoint(1, 0));
    Move(At(24, 0)); // the status line
    Release(At(5, 9));
    EXPECT_TRUE(WaitForSent("\x1b[2;4;5;10&w\x1b[1;4;6;10&w\x1b[3;0;6;10&w")) << Sent();
}

// A host that tracks the mouse hears of clicks, drags and the wheel whatever
// MouseSupport says; with Shift the mouse still selects, and once the host
// ends tracking the mouse is the view's again.
TEST_F(SelectionViewTest, HostTrackingTakesTheMouseAndShiftStillSelects) {
    Open();
    Host("\x1b[?1002;1006hready", "ready");
    const auto wheel = [&](QPoint point) {
        QWheelEvent event(point, view->viewport()->mapToGlobal(point), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &event);
    };
    Press(At(0, 0));
    Move(At(1, 2));
    Release(At(1, 2));
    wheel(At(0, 0));
    const std::string reports = "\x1b[<0;1;1M\x1b[<32;3;2M\x1b[<0;3;2m\x1b[<64;1;1M";
    EXPECT_TRUE(WaitForSent(reports)) << Sent();
    EXPECT_FALSE(view->HasSelection());

    Press(At(0, 0), Qt::ShiftModifier);
    Move(At(0, 3));
    Release(At(0, 3));
    EXPECT_EQ(view->CurrentSelection(), Page(0, 0, 0, 2));

    Host("\x1b[?1002lgone", "gone");
    const std::string before = SessionTest::view.Sent();
    Drag(At(0, 0), At(0, 2));
    EXPECT_EQ(view->CurrentSelection(), Page(0, 0, 0, 1));
    wheel(At(0, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(SessionTest::view.Sent(), before) << "the view's own mouse sends nothing";
}

TEST_F(SelectionViewTest, TheRightButtonOpensThePopUpUnlessTheProfileSaysNo) {
    Open();
    Press(At(1, 1), {}, Qt::RightButton);
    ASSERT_EQ(host.popups.size(), 1u);
    EXPECT_EQ(host.popups[0], view->viewport()->mapToGlobal(At(1, 1)));
    host.profile.SetInt("Window", "popup", 0);
    Press(At(1, 1), {}, Qt::RightButton);
    EXPECT_EQ(host.popups.size(), 1u);
}

} // namespace
} // namespace tamsivane::testing
