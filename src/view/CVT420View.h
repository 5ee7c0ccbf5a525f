// The window that shows one session's screen: paints the screen buffer and
// its history with the session's font and colours, draws the cursor, blinks
// blinking text, lays out the scroll bars, fits the font to the window and
// keeps the titles.  The user selects, copies, pastes and finds text here;
// when the host asks for mouse reports, the mouse is reported instead.
// Several views may show one document.
//
// Threads: the GUI thread only.  What the session reports from its I/O
// thread arrives as one coalesced update; the view reads the screen under the
// session lock for as long as it takes to copy the rows it draws, and never
// waits for the I/O thread otherwise.
#pragma once

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QElapsedTimer>
#include <QRegion>
#include <QTimer>
#include <memory>
#include <string>

#include "emulator/MouseReport.h"
#include "keyboard/KeyActions.h"
#include "view/CellFont.h"
#include "view/ScreenPainter.h"
#include "view/TextSearch.h"
#include "view/TextSelection.h"
#include "view/ViewClipboard.h"
#include "view/ViewKeyboard.h"
#include "view/ViewUpdateBridge.h"

class QSinglePointEvent;

namespace tamsivane {

class CVT420Doc;
class ViewHost;
struct ChangeSet;

class CVT420View : public QAbstractScrollArea, private KeyActions {
public:
    CVT420View(CVT420Doc& document, ViewHost& host, QWidget* parent = nullptr);
    ~CVT420View() override;

    CVT420Doc& Document() const { return document_; }

    // --- commands the view carries out (Copy, Paste, Select All, Find, Find
    // Next, Larger and Smaller Font, the four scroll commands, Hold Screen);
    // false for any other id.
    bool HandleCommand(int id);
    bool IsCommandEnabled(int id) const;
    bool IsCommandChecked(int id) const;

    // A key clicked on the on-screen VT keyboard, handled as the view
    // handles its own keys.
    void PressVtKey(int vtKey, uint8_t modifiers);

    // After a settings dialog: acts on the change set's layout, repaint,
    // fonts, cursor, title and buttons.
    void ApplySettingsChanges(const ChangeSet& changes);
    // The view became the active one: the button bar and the titles follow it.
    void Activate();

    // Font size change: the applicable size becomes delta (absolute) or grows
    // by delta; the font is made again and the view laid out.
    void ChangeFontSize(int delta, bool absolute);

    // --- geometry, in buffer rows (history first) and columns
    const CellFont& Font() const { return font_; }
    // The size that shows the whole page at the session's font.
    QSize sizeHint() const override;
    int VerticalPosition() const;
    int HorizontalPosition() const;
    // Scrolls so that the first shown row / column is the given one (clamped).
    void SetVerticalPosition(int row);
    void SetHorizontalPosition(int column);
    // A cell in viewport coordinates.
    QRect CellRect(int row, int column) const;

    // --- selection, in buffer rows (history first) and columns
    // Replaces the selection (the rows change on the screen).
    void SetSelection(const Selection& selection);
    const Selection& CurrentSelection() const { return selection_.Current(); }
    bool HasSelection() const { return selection_.Exists(); }
    // The selected text as Copy puts it on the clipboard: rows joined by
    // CR LF, a stream's trailing blanks dropped unless CopySpace.
    std::u16string SelectedText() const;
    // Every row shown: history, page and status line.
    void SelectAll();
    void ClearSelection();
    // Copy: the selected text onto the clipboard.  False when there is no
    // selection or the clipboard did not take it (the user is told).
    bool CopySelection();
    // Paste: the clipboard's text (or the primary selection's) to the host,
    // as typed.  Nothing when it offers no text.
    void Paste(QClipboard::Mode mode = QClipboard::Clipboard);
    // The clipboard the view uses from now on; it outlives the view.
    void UseClipboard(ViewClipboard& clipboard) { clipboard_ = &clipboard; }

    // --- find
    const FindRequest& StoredFindValues() const { return find_; }
    void SetFindValues(const FindRequest& values) { find_ = values; }
    // Find Next with the stored values: the match becomes the selection and
    // is scrolled into view; "Text not found." when there is none.
    bool FindNext();

    // --- what tests and the benchmark look at
    // The area invalidated by the last screen update or selection step, in
    // viewport coordinates.
    const QRegion& LastUpdateRegion() const { return lastUpdate_; }
    int FramesPainted() const { return framesPainted_; }
    // Takes what the session reported and waits for the next display frame
    // now (before a last paint, and for tests).
    void TakeWaitingUpdate() { bridge_->TakeNow(); }
    // One tick of the text blink timer and of the cursor blink timer.
    void StepBlink();
    void StepCursorBlink();
    bool BlinkVisible() const { return blinkVisible_; }
    bool CursorBlinkVisible() const { return cursorVisible_; }

protected:
    // Every key goes to the session: no shortcut, and no focus chain for Tab.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Selects the word under the pointer; a third click the whole row.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // KeyActions: what a key asks of the desktop besides bytes for the host.
    void PostToSessionWindow(int command) override;
    void PostToMainWindow(int command) override;
    void RunScript(std::string_view text) override;
    void RunScriptFile(std::string_view path) override;
    void MarginBell() override;
    void KeypadModeChanged(bool numeric) override;

    // What the view needs of the session between paints, read in one go
    // under the session lock.
    struct SessionState {
        int history = 0; // H: history lines held
        int lines = 24;
        int columns = 80;
        bool statusLine = false;
        int cursorRow = 0; // buffer row
        int cursorColumn = 0;
        bool cursorWide = false; // the cursor's line is double width
        int cursorType = 0;      // 0 block, 1 underline
        bool cursorShown = true; // CursorVisible
        bool cursorBlink = false;
        bool numericKeypad = false;
        int RowCount() const { return lines + (statusLine ? 1 : 0); }
        int ShownRows() const { return history + RowCount(); }
    };

    void ReadSessionState();
    void OnUpdate(const PendingUpdate& update);
    void MakeFont();
    void Layout(bool fit);
    void FitFont(int width, int height);
    void BringIntoView(int row, int column);
    void CursorMoved(bool bringIntoView);
    QRect CursorRect() const;
    void UpdateCursorTimer();
    void ReportStatus();
    void MarkDisconnected(bool disconnected);
    void KeepAliveTick();
    void Invalidate(const QRegion& region);
    // Repaints cells that changed with the selection.
    void Repaint(const CellArea& area);
    // The buffer cell under a viewport point, kept within the shown rows
    // (a column may be one past the last, so a stream can take the last).
    CellPosition CellAt(const QPoint& point) const;
    // One step of a drag at a viewport point: scrolls when outside, then
    // extends the selection.
    void DragStep(const QPoint& point);
    void DragTick();
    void EndDrag();
    // What the host asked for and MouseSupport, read under the session lock.
    MouseReporting CurrentMouseReporting() const;
    // A mouse event at a viewport point, on the page cell there (row or
    // column -1 left of or above the viewport).
    MouseInput MouseInputAt(MouseAction action, const QSinglePointEvent& event,
                            const QPoint& point) const;
    // Sends the report of an event inside the page (not the history, not
    // the status line).
    void Report(const MouseReporting& reporting, const MouseInput& input);
    // A selection made with the mouse: offered as the primary selection,
    // copied with AutoCopy.
    void SelectionMade();
    // The selection is offered as the primary selection.
    void OfferPrimarySelection();
    void ShowFindDialog();
    int RowsVisible() const;
    int ColumnsVisible() const;

    CVT420Doc& document_;
    ViewHost& host_;
    ViewUpdateBridge* bridge_; // a child; queued updates die with the view
    ViewKeyboard keyboard_;
    ScreenPainter painter_;
    CellFont font_;
    SessionState state_;
    TextSelection selection_;
    SystemClipboard systemClipboard_;
    ViewClipboard* clipboard_ = &systemClipboard_;
    FindRequest find_;
    QPoint lastMouse_;                  // the last point a drag reached
    MouseReporter mouseReporter_;

    bool inLayout_ = false;
    bool shownOnce_ = false;
    bool focused_ = false;
    bool blinkVisible_ = true;
    bool cursorVisible_ = true; // the cursor's blink phase
    QRect cursorRect_;          // where the cursor was last drawn
    QRegion lastUpdate_;
    int framesPainted_ = 0;
    int wheelRemainder_ = 0;
    QElapsedTimer doubleClicked_; // since the last double click
    int doubleClickRow_ = -1;
    QString lastStatus_;
    QString lastSize_;
    bool lastNumeric_ = false;

    QTimer blinkTimer_;
    QTimer cursorTimer_;
    QTimer keepAliveTimer_;
    QTimer dragTimer_; // keeps a drag going while the pointer is outside
    // Copies taken under the session lock for one paint.
    std::vector<RowCells> paintRows_;
    SoftFont paintSoftFont_;
};

} // namespace tamsivane
