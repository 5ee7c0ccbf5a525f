#include "view/CVT420View.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "config/SessionSettings.h"
#include "keyboard/CommandIds.h"
#include "session/CVT420Doc.h"
#include "view/FindTextDialog.h"
#include "view/ViewHost.h"

namespace tamsivane {

namespace {

constexpr int kMenuFontMin = 6;
constexpr int kMenuFontMax = 32;

constexpr int kBlinkMs = 500;
constexpr int kCursorBlinkMs = 250;
constexpr int kKeepAliveMs = 10000;
constexpr int kWheelNotch = 120;
constexpr int kUnderlineCursorHeight = 2;
constexpr int kDragScrollMs = 100;

constexpr const char* kProfileWindowSection = "Window";
constexpr const char* kFitFontOffNote =
    "Fit font size to window is off now: the window cannot grow with the font.";

} // namespace

CVT420View::CVT420View(CVT420Doc& document, ViewHost& host, QWidget* parent)
    : QAbstractScrollArea(parent),
      document_(document),
      host_(host),
      bridge_(new ViewUpdateBridge([this](const PendingUpdate& u) { OnUpdate(u); }, this)),
      keyboard_(document, *this) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // The horizontal thumb scrolls when it is released, not while dragged.
    horizontalScrollBar()->setTracking(false);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);

    blinkTimer_.setInterval(kBlinkMs);
    cursorTimer_.setInterval(kCursorBlinkMs);
    keepAliveTimer_.setInterval(kKeepAliveMs);
    dragTimer_.setInterval(kDragScrollMs);
    connect(&dragTimer_, &QTimer::timeout, this, &CVT420View::DragTick);
    // Moves without a button are reported to hosts that ask for them.
    viewport()->setMouseTracking(true);
    connect(&blinkTimer_, &QTimer::timeout, this, &CVT420View::StepBlink);
    connect(&cursorTimer_, &QTimer::timeout, this, &CVT420View::StepCursorBlink);
    connect(&keepAliveTimer_, &QTimer::timeout, this, &CVT420View::KeepAliveTick);

    ReadSessionState();
    MakeFont();
    document_.AddObserver(bridge_);
}

CVT420View::~CVT420View() { document_.RemoveObserver(bridge_); }

// --- session state --------------------------------------------------------------

void CVT420View::ReadSessionState() {
    const SessionLock locked = document_.Locked();
    const VtEmulator& emulator = locked.Emulator();
    const SettingsStore& settings = emulator.Settings();
    const ScreenBuffer& screen = emulator.Screen();
    const CursorPosition cursor = emulator.Cursor();
    SessionState& s = state_;
    s.history = screen.HistoryCount();
    s.lines = screen.Lines();
    s.columns = std::clamp(settings.GetNumber(P::Columns), 1, kStride);
    s.statusLine = settings.GetNumber(P::StatusLine) != 0;
    s.cursorRow = s.history + cursor.row;
    s.cursorColumn = cursor.column;
    s.cursorWide = screen.GetLineSize(cursor.row) != LineSize::Single;
    s.cursorType = settings.GetNumber(P::CursorType);
    s.cursorShown = settings.GetNumber(P::CursorVisible) != 0;
    s.cursorBlink = settings.GetNumber(P::CursorBlink) != 0;
    s.numericKeypad = settings.GetNumber(P::NumericKeypad) != 0;
}

void CVT420View::OnUpdate(const PendingUpdate& update) {
    lastUpdate_ = QRegion();
    const int oldHistory = state_.history;
    ReadSessionState();
    if (update.layout) {
        MakeFont();
        Layout(true);
        Invalidate(viewport()->rect());
    }
    if (update.screen) {
        if (update.history || state_.history != oldHistory) {
            Layout(false);
            Invalidate(viewport()->rect());
        } else if (update.firstRow >= 0) {
            const int top = (state_.history + update.firstRow - VerticalPosition()) * font_.height;
            const int rows = update.lastRow - update.firstRow + 1;
            Invalidate(QRect(0, top, viewport()->width(), rows * font_.height));
        }
    }
    if (update.screen || update.layout) {
        CursorMoved(true);
        ReportStatus();
    }
    if (update.title && hasFocus()) Activate();
    if (update.disconnected) MarkDisconnected(*update.disconnected);
}

void CVT420View::Invalidate(const QRegion& region) {
    const QRegion visible = region.intersected(viewport()->rect());
    lastUpdate_ += visible;
    viewport()->update(visible);
}

// --- font and layout ------------------------------------------------------------

void CVT420View::MakeFont() {
    FontChoice choice;
    {
        const SessionLock locked = document_.Locked();
        choice = ApplicableFont(locked.Settings());
    }
    font_ = MakeCellFont(choice.face, choice.points, choice.bold, logicalDpiY());
}

void CVT420View::ChangeFontSize(int delta, bool absolute) {
    {
        const SessionLock locked = document_.Locked();
        SettingsStore& settings = locked.Settings();
        const FontChoice choice = ApplicableFont(settings);
        settings.SetNumber(choice.sizeParam, absolute ? delta : choice.points + delta);
    }
    MakeFont();
    Layout(false);
    viewport()->update();
    CursorMoved(false);
}

void CVT420View::FitFont(int width, int height) {
    FontChoice choice;
    {
        const SessionLock locked = document_.Locked();
        choice = ApplicableFont(locked.Settings());
    }
    const int size = FitFontSize(choice.face, choice.bold, logicalDpiY(), state_.columns,
                                 state_.RowCount(), width, height);
    if (size == 0) return;
    {
        const SessionLock locked = document_.Locked();
        locked.Settings().SetNumber(choice.sizeParam, size);
    }
    MakeFont();
    viewport()->update();
}

void CVT420View::Layout(bool fit) {
    // Before the first display the window has no size to lay out or fit to.
    if (inLayout_ || !shownOnce_) return;
    inLayout_ = true;
    // The area the view would have without scroll bars.
    const QSize full = maximumViewportSize();
    int width = full.width();
    int height = full.height();
    if (fit) {
        bool fitFont;
        {
            const SessionLock locked = document_.Locked();
            fitFont = locked.Settings().GetNumber(P::FitFont) != 0;
        }
        if (fitFont) FitFont(width, height);
    }
    const int totalWidth = font_.width * state_.columns;
    const int totalHeight = font_.height * state_.RowCount();
    const AppProfile& profile = host_.Profile();
    const bool verticalAllowed = profile.GetInt(kProfileWindowSection, "vertscroll", 1) != 0;
    const bool horizontalAllowed = profile.GetInt(kProfileWindowSection, "horzscroll", 1) != 0;
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);

    // A bar that the profile hides takes no room, but its range still
    // scrolls the view (wheel, keys, commands), so history never hides the
    // live page.
    bool verticalNeeded = false;
    bool horizontalNeeded = false;
    if (state_.history > 0 || height < totalHeight) {
        verticalNeeded = true;
        if (verticalAllowed) width -= extent;
    }
    if (width < totalWidth) {
        horizontalNeeded = true;
        if (horizontalAllowed) height -= extent;
        if (!verticalNeeded && height < totalHeight) {
            verticalNeeded = true;
            if (verticalAllowed) width -= extent;
        }
    }

    QScrollBar* vertical = verticalScrollBar();
    int verticalEnd = 0;
    if (verticalNeeded) {
        verticalEnd = state_.history;
        if (totalHeight > height)
            verticalEnd += (totalHeight - height + font_.height - 1) / font_.height;
    }
    vertical->setRange(0, verticalEnd);
    vertical->setPageStep(std::max(1, height / font_.height - 1));
    setVerticalScrollBarPolicy(verticalNeeded && verticalAllowed ? Qt::ScrollBarAlwaysOn
                                                                 : Qt::ScrollBarAlwaysOff);

    QScrollBar* horizontal = horizontalScrollBar();
    const int horizontalEnd =
        horizontalNeeded ? (totalWidth - width + font_.width - 1) / font_.width : 0;
    horizontal->setRange(0, horizontalEnd);
    horizontal->setPageStep(std::max(1, width / font_.width - 1));
    setHorizontalScrollBarPolicy(horizontalNeeded && horizontalAllowed ? Qt::ScrollBarAlwaysOn
                                                                       : Qt::ScrollBarAlwaysOff);
    inLayout_ = false;
}

QSize CVT420View::sizeHint() const {
    // Rows as high as the font was asked for, not as measured, so that a
    // window of this size fits the same font again when FitFont is on.
    const int rowHeight = std::max(font_.height, logicalDpiY() * font_.points / kPointsPerInch);
    int width = font_.width * state_.columns + 2 * frameWidth();
    if (state_.history > 0) width += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return QSize(width, rowHeight * state_.RowCount() + 2 * frameWidth());
}

void CVT420View::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (inLayout_) return;
    Layout(true);
    CursorMoved(false);
}

void CVT420View::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    if (host_.Profile().GetInt(kProfileWindowSection, "menu", 1) == 0) host_.HideMenuBar();
    ReadSessionState();
    MakeFont();
    Layout(true);
    blinkVisible_ = true;
    blinkTimer_.start();
    keepAliveTimer_.start();
}

// --- scrolling ------------------------------------------------------------------

int CVT420View::VerticalPosition() const { return verticalScrollBar()->value(); }
int CVT420View::HorizontalPosition() const { return horizontalScrollBar()->value(); }
void CVT420View::SetVerticalPosition(int row) { verticalScrollBar()->setValue(row); }
void CVT420View::SetHorizontalPosition(int column) { horizontalScrollBar()->setValue(column); }

int CVT420View::RowsVisible() const { return viewport()->height() / font_.height; }
int CVT420View::ColumnsVisible() const { return viewport()->width() / font_.width; }

QRect CVT420View::CellRect(int row, int column) const {
    return QRect((column - HorizontalPosition()) * font_.width,
                 (row - VerticalPosition()) * font_.height, font_.width, font_.height);
}

void CVT420View::scrollContentsBy(int, int) {
    viewport()->update();
    cursorRect_ = CursorRect();
}

// Each notch scrolls a row, or is one report to a host that tracks the mouse.
void CVT420View::wheelEvent(QWheelEvent* event) {
    event->accept();
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ -= notches * kWheelNotch;
    if (notches == 0) return;
    const MouseReporting reporting = CurrentMouseReporting();
    const MouseInput input =
        MouseInputAt(notches > 0 ? MouseAction::WheelUp : MouseAction::WheelDown, *event,
                     event->position().toPoint());
    if (!reporting.Takes(input)) {
        SetVerticalPosition(VerticalPosition() - notches * QApplication::wheelScrollLines());
        return;
    }
    for (int i = 0; i < std::abs(notches); ++i) Report(reporting, input);
}

void CVT420View::BringIntoView(int row, int column) {
    const int rows = RowsVisible();
    const int top = VerticalPosition();
    if (row < top) {
        SetVerticalPosition(row);
    } else if (row >= top + rows) {
        // The live page's top when the cursor is within its first rows.
        SetVerticalPosition(std::max(row - rows + 1, state_.history));
    } else if (top < state_.history) {
        SetVerticalPosition(state_.history);
    }
    const int columns = ColumnsVisible();
    const int left = HorizontalPosition();
    if (column < left) {
        SetHorizontalPosition(column);
    } else if (column >= left + columns) {
        SetHorizontalPosition(column - columns + 1);
    }
}

// --- cursor ---------------------------------------------------------------------

QRect CVT420View::CursorRect() const {
    int x = (state_.cursorColumn - HorizontalPosition()) * font_.width;
    if (state_.cursorWide) x *= 2;
    int y = (state_.cursorRow - VerticalPosition()) * font_.height;
    int height = font_.height;
    if (state_.cursorType == 1) {
        y += font_.height - kUnderlineCursorHeight;
        height = kUnderlineCursorHeight;
    }
    return QRect(x, y, font_.width, height);
}

void CVT420View::CursorMoved(bool bringIntoView) {
    if (bringIntoView) BringIntoView(state_.cursorRow, state_.cursorColumn);
    const QRect now = CursorRect();
    if (focused_ && now != cursorRect_) {
        Invalidate(cursorRect_);
        Invalidate(now);
    }
    cursorRect_ = now;
}

void CVT420View::UpdateCursorTimer() {
    cursorVisible_ = true;
    if (focused_ && state_.cursorBlink) {
        cursorTimer_.start();
    } else {
        cursorTimer_.stop();
    }
}

void CVT420View::StepCursorBlink() {
    cursorVisible_ = !cursorVisible_;
    viewport()->update(CursorRect());
}

void CVT420View::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    focused_ = true;
    ReadSessionState();
    UpdateCursorTimer();
    cursorRect_ = CursorRect();
    viewport()->update(cursorRect_);
    Activate();
}

void CVT420View::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    focused_ = false;
    UpdateCursorTimer();
    viewport()->update(cursorRect_);
}

// --- keyboard -------------------------------------------------------------------

bool CVT420View::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier &&
            host_.Profile().GetInt(kProfileWindowSection, kF10MenuProfileValue, 0) != 0) {
            host_.PostCommand(Command::OpenMenuBar);
            return true;
        }
        // A key that types a character clears the selection first.
        if (!key->text().isEmpty()) ClearSelection();
    }
    return keyboard_.Event(event) || QAbstractScrollArea::event(event);
}

void CVT420View::keyPressEvent(QKeyEvent* event) { keyboard_.KeyPress(event); }

void CVT420View::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) ClearSelection();
    keyboard_.InputMethod(event);
}

QVariant CVT420View::inputMethodQuery(Qt::InputMethodQuery query) const {
    // Compositions are shown where the cursor stands.
    if (query == Qt::ImCursorRectangle) return CursorRect();
    return QAbstractScrollArea::inputMethodQuery(query);
}

bool CVT420View::focusNextPrevChild(bool) { return false; }

void CVT420View::PostToSessionWindow(int command) {
    QMetaObject::invokeMethod(
        this,
        [this, command] {
            if (!HandleCommand(command)) host_.PostCommand(command);
        },
        Qt::QueuedConnection);
}

void CVT420View::PressVtKey(int vtKey, uint8_t modifiers) {
    document_.PressVtKey(vtKey, modifiers, *this);
}

void CVT420View::PostToMainWindow(int command) { host_.PostCommand(command); }

void CVT420View::RunScript(std::string_view text) { host_.RunScript(false, std::string(text)); }

void CVT420View::RunScriptFile(std::string_view path) { host_.RunScript(true, std::string(path)); }

void CVT420View::MarginBell() { QApplication::beep(); }

void CVT420View::KeypadModeChanged(bool numeric) {
    state_.numericKeypad = numeric;
    ReportStatus();
}

// --- timers ---------------------------------------------------------------------

void CVT420View::StepBlink() {
    bool blinkText;
    bool anyBlinking = false;
    {
        const SessionLock locked = document_.Locked();
        const VtEmulator& emulator = locked.Emulator();
        blinkText = emulator.Settings().GetNumber(P::BlinkText) != 0;
        const int top = VerticalPosition();
        if (blinkText)
            anyBlinking = emulator.Screen().AnyBlinkingCell(top, top + RowsVisible() + 1);
    }
    if (!blinkText) return;
    blinkVisible_ = !blinkVisible_;
    if (anyBlinking) viewport()->update();
}

void CVT420View::KeepAliveTick() {
    bool keep;
    {
        const SessionLock locked = document_.Locked();
        keep = locked.Settings().GetNumber(P::KeepSession) != 0;
    }
    if (keep) document_.KeepAlive();
}

// --- painting -------------------------------------------------------------------

void CVT420View::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect clip = event->rect();
    const int cellWidth = font_.width;
    const int cellHeight = font_.height;
    const int top = VerticalPosition();
    const int xOrigin = -HorizontalPosition() * cellWidth;
    const int firstRow = clip.top() / cellHeight + top;
    int lastRow = clip.bottom() / cellHeight + top;

    ScreenColours colours;
    {
        const SessionLock locked = document_.Locked();
        const VtEmulator& emulator = locked.Emulator();
        const ScreenBuffer& screen = emulator.Screen();
        colours.Read(emulator.Settings());
        const int shownRows = screen.HistoryCount() + screen.Lines() +
                              (emulator.Settings().GetNumber(P::StatusLine) != 0 ? 1 : 0);
        lastRow = std::min(lastRow, shownRows - 1);
        paintRows_.resize(static_cast<size_t>(std::max(0, lastRow - firstRow + 1)));
        bool softFont = false;
        DisplayLine line;
        for (int row = firstRow; row <= lastRow; ++row) {
            if (!screen.LineForDisplay(row, line)) {
                lastRow = row - 1;
                break;
            }
            RowCells& cells = paintRows_[static_cast<size_t>(row - firstRow)];
            cells.CopyFrom(line);
            softFont =
                softFont || std::any_of(cells.attrs.begin(), cells.attrs.end(), [](uint16_t a) {
                    return CellAttribute::FromWord(a).Class() == CharClass::SoftFont;
                });
        }
        if (softFont) paintSoftFont_ = emulator.Font();
    }

    // What lies below the last row and right of the last column.
    const QColor background = colours.ScreenBackground();
    const int rowsBottom = std::max(0, lastRow - top + 1) * cellHeight;
    if (rowsBottom <= clip.bottom()) {
        painter.fillRect(
            QRect(clip.left(), rowsBottom, clip.width(), clip.bottom() - rowsBottom + 1),
            background);
    }
    const int columnsRight = xOrigin + state_.columns * cellWidth;
    if (columnsRight <= clip.right()) {
        painter.fillRect(
            QRect(columnsRight, clip.top(), clip.right() - columnsRight + 1, clip.height()),
            background);
    }

    const PaintContext context{colours,        font_,        paintSoftFont_, selection_.Current(),
                               state_.columns, blinkVisible_};
    for (int row = firstRow; row <= lastRow; ++row) {
        painter_.PaintRow(painter, context, paintRows_[static_cast<size_t>(row - firstRow)], row,
                          xOrigin, (row - top) * cellHeight);
    }

    if (focused_ && state_.cursorShown && cursorVisible_) {
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(CursorRect(), Qt::white);
    }
    ++framesPainted_;
}

// --- selection ------------------------------------------------------------------

void CVT420View::SetSelection(const Selection& selection) {
    Repaint(selection_.Clear());
    if (selection.Exists()) {
        selection_.Set(selection);
        Repaint(CellArea::Rows(selection.startRow, selection.endRow));
    }
}

void CVT420View::ClearSelection() { Repaint(selection_.Clear()); }

void CVT420View::SelectAll() {
    selection_.SelectAll(state_.ShownRows(), state_.columns);
    viewport()->update();
    OfferPrimarySelection();
}

std::u16string CVT420View::SelectedText() const {
    const SessionLock locked = document_.Locked();
    const VtEmulator& emulator = locked.Emulator();
    const SettingsStore& settings = emulator.Settings();
    return selection_.Text(emulator.Screen(), settings.GetNumber(P::Columns),
                           settings.GetNumber(P::CopySpace) != 0);
}

bool CVT420View::CopySelection() {
    if (!selection_.Exists()) return false;
    QString text;
    try {
        text = QString::fromStdU16String(SelectedText());
    } catch (const std::bad_alloc&) {
        document_.Notifier().Notify(Msg::OutOfMemory);
        return false;
    }
    if (!clipboard_->Put(QClipboard::Clipboard, text)) {
        document_.Notifier().Notify(Msg::ClipboardCopyFailed);
        return false;
    }
    return true;
}

void CVT420View::OfferPrimarySelection() {
    // Where the system has no primary selection there is nothing to offer.
    if (selection_.Exists() && clipboard_->HasPrimarySelection()) {
        clipboard_->Put(QClipboard::Selection, QString::fromStdU16String(SelectedText()));
    }
}

void CVT420View::Paste(QClipboard::Mode mode) {
    if (!clipboard_->OffersText(mode)) return;
    const std::optional<QString> text = clipboard_->Take(mode);
    if (!text) {
        document_.Notifier().Notify(Msg::ClipboardPasteFailed);
        return;
    }
    document_.PasteText(text->toStdU16String());
}

void CVT420View::Repaint(const CellArea& area) {
    if (area.Empty()) return;
    const int top = (area.firstRow - VerticalPosition()) * font_.height;
    const int height = (area.lastRow - area.firstRow + 1) * font_.height;
    QRect rect(0, top, viewport()->width(), height);
    if (area.firstColumn > 0 || area.lastColumn < kStride - 1) {
        // As far right as the cells reach on a double-width row.
        rect.setLeft((area.firstColumn - HorizontalPosition()) * font_.width);
        rect.setRight((2 * (area.lastColumn + 1) - HorizontalPosition()) * font_.width - 1);
    }
    Invalidate(rect);
}

CellPosition CVT420View::CellAt(const QPoint& point) const {
    const int row = std::max(point.y(), 0) / font_.height + VerticalPosition();
    const int column = std::max(point.x(), 0) / font_.width + HorizontalPosition();
    return CellPosition{std::clamp(row, 0, std::max(state_.ShownRows() - 1, 0)),
                        std::min(column, state_.columns)};
}

void CVT420View::DragStep(const QPoint& point) {
    lastMouse_ = point;
    lastUpdate_ = QRegion();
    if (point.x() < 0) {
        SetHorizontalPosition(HorizontalPosition() - 1);
    } else if (point.x() >= viewport()->width()) {
        SetHorizontalPosition(HorizontalPosition() + 1);
    }
    if (point.y() < 0) {
        SetVerticalPosition(VerticalPosition() - 1);
    } else if (point.y() >= viewport()->height()) {
        SetVerticalPosition(VerticalPosition() + 1);
    }
    Repaint(selection_.DragTo(CellAt(point)));
}

void CVT420View::DragTick() {
    // A pointer held still outside keeps scrolling and extending.
    if (selection_.Dragging() && !viewport()->rect().contains(lastMouse_)) DragStep(lastMouse_);
}

void CVT420View::EndDrag() {
    selection_.EndDrag();
    dragTimer_.stop();
    SelectionMade();
}

void CVT420View::SelectionMade() {
    if (!selection_.Exists()) return;
    OfferPrimarySelection();
    bool autoCopy;
    {
        const SessionLock locked = document_.Locked();
        autoCopy = locked.Settings().GetNumber(P::AutoCopy) != 0;
    }
    if (autoCopy) CopySelection();
}

// --- mouse ----------------------------------------------------------------------

MouseReporting CVT420View::CurrentMouseReporting() const {
    const SessionLock locked = document_.Locked();
    const VtEmulator& emulator = locked.Emulator();
    return MouseReporting{emulator.InputModes(), emulator.Settings().GetNumber(P::MouseSupport)};
}

MouseInput CVT420View::MouseInputAt(MouseAction action, const QSinglePointEvent& event,
                                    const QPoint& point) const {
    const Qt::MouseButtons held = event.buttons();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    MouseInput input;
    input.action = action;
    switch (event.button()) {
    case Qt::LeftButton:
        input.button = MouseButton::Left;
        break;
    case Qt::MiddleButton:
        input.button = MouseButton::Middle;
        break;
    case Qt::RightButton:
        input.button = MouseButton::Right;
        break;
    default:
        break;
    }
    input.held = ((held & Qt::LeftButton) ? MouseButtons::Left : 0) |
                 ((held & Qt::MiddleButton) ? MouseButtons::Middle : 0) |
                 ((held & Qt::RightButton) ? MouseButtons::Right : 0);
    input.shift = (modifiers & Qt::ShiftModifier) != 0;
    input.alt = (modifiers & Qt::AltModifier) != 0;
    input.ctrl = (modifiers & Qt::ControlModifier) != 0;
    input.row = point.y() < 0 ? -1 : point.y() / font_.height + VerticalPosition() - state_.history;
    input.column = point.x() < 0 ? -1 : point.x() / font_.width + HorizontalPosition();
    return input;
}

void CVT420View::Report(const MouseReporting& reporting, const MouseInput& input) {
    if (input.row < 0 || input.column < 0 || input.row >= state_.lines ||
        input.column >= state_.columns) {
        return;
    }
    const std::string bytes = mouseReporter_.Report(reporting, input);
    if (!bytes.empty()) document_.Send(bytes);
}

void CVT420View::mousePressEvent(QMouseEvent* event) {
    event->accept();
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) ClearSelection();
    const MouseReporting reporting = CurrentMouseReporting();
    const MouseInput input = MouseInputAt(MouseAction::Press, *event, point);
    if (reporting.Takes(input)) {
        Report(reporting, input);
        return;
    }
    switch (event->button()) {
    case Qt::LeftButton: {
        // A third click soon after a double click selects the whole row.
        const CellPosition cell = CellAt(point);
        if (doubleClicked_.isValid() &&
            doubleClicked_.elapsed() < QApplication::doubleClickInterval() &&
            cell.row == doubleClickRow_) {
            doubleClicked_.invalidate();
            SetSelection(Selection{cell.row, 0, cell.row, state_.columns - 1, false});
            SelectionMade();
            return;
        }
        selection_.BeginDrag(cell, input.ctrl);
        lastMouse_ = point;
        dragTimer_.start();
        return;
    }
    case Qt::RightButton:
        if (host_.Profile().GetInt(kProfileWindowSection, "popup", 1) == 1) {
            host_.ShowViewPopup(event->globalPosition().toPoint());
        }
        return;
    case Qt::MiddleButton:
        Paste(QClipboard::Selection);
        return;
    default:
        return;
    }
}

void CVT420View::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click is a press to the host that asked for reports.
    const MouseInput input =
        MouseInputAt(MouseAction::Press, *event, event->position().toPoint());
    if (event->button() != Qt::LeftButton || CurrentMouseReporting().Takes(input)) {
        mousePressEvent(event);
        return;
    }
    event->accept();
    selection_.EndDrag();
    dragTimer_.stop();
    const CellPosition cell = CellAt(event->position().toPoint());
    Selection word;
    {
        const SessionLock locked = document_.Locked();
        DisplayLine line;
        if (locked.Screen().LineForDisplay(cell.row, line)) {
            word = TextSelection::WordAt(line.codes, state_.columns, cell);
        }
    }
    SetSelection(word);
    SelectionMade();
    doubleClicked_.start();
    doubleClickRow_ = cell.row;
}

void CVT420View::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    const QPoint point = event->position().toPoint();
    if (selection_.Dragging()) {
        if (event->buttons() & Qt::LeftButton) DragStep(point);
        return;
    }
    const MouseReporting reporting = CurrentMouseReporting();
    const MouseInput input = MouseInputAt(MouseAction::Move, *event, point);
    if (reporting.Takes(input)) Report(reporting, input);
}

void CVT420View::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton && selection_.Dragging()) {
        EndDrag();
        return;
    }
    const MouseReporting reporting = CurrentMouseReporting();
    const MouseInput input =
        MouseInputAt(MouseAction::Release, *event, event->position().toPoint());
    if (reporting.Takes(input)) Report(reporting, input);
}

// --- find -----------------------------------------------------------------------

void CVT420View::ShowFindDialog() {
    FindTextDialog dialog(find_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    find_ = dialog.Choice();
    FindNext();
}

bool CVT420View::FindNext() {
    if (find_.text.empty()) return false;
    const Selection& s = selection_.Current();
    const int lastRow = state_.ShownRows() - 1;
    // From the selection, else from the cursor.
    CellPosition start;
    if (find_.down) {
        start = s.Exists() ? CellPosition{s.endRow, s.endColumn + 1}
                           : CellPosition{state_.cursorRow, state_.cursorColumn};
    } else {
        start = s.Exists() ? CellPosition{s.startRow, s.startColumn - 1}
                           : CellPosition{state_.cursorRow, state_.cursorColumn - 1};
    }
    std::optional<CellPosition> found;
    {
        const SessionLock locked = document_.Locked();
        found = FindInRows(locked.Screen(), find_, start, lastRow, state_.columns);
    }
    if (!found) {
        document_.Notifier().Notify(Msg::TextNotFound);
        return false;
    }
    const int lastColumn = found->column + static_cast<int>(find_.text.size()) - 1;
    selection_.Set(Selection{found->row, found->column, found->row, lastColumn, false});
    const int rows = std::max(RowsVisible(), 1);
    if (found->row < VerticalPosition()) {
        SetVerticalPosition(found->row);
    } else if (found->row >= VerticalPosition() + rows) {
        SetVerticalPosition(found->row - rows + 1);
    }
    viewport()->update();
    CursorMoved(false);
    OfferPrimarySelection();
    return true;
}

// --- commands -------------------------------------------------------------------

bool CVT420View::HandleCommand(int id) {
    switch (id) {
    case Command::LargerFont:
    case Command::SmallerFont: {
        if (!IsCommandEnabled(id)) return true;
        FontChoice choice;
        {
            const SessionLock locked = document_.Locked();
            choice = ApplicableFont(locked.Settings());
        }
        ChangeFontSize(NextFontSize(choice.face, choice.bold, logicalDpiY(), choice.points,
                                    id == Command::LargerFont ? 1 : -1, kMenuFontMin, kMenuFontMax),
                       true);
        bool fitFont;
        {
            const SessionLock locked = document_.Locked();
            fitFont = locked.Settings().GetNumber(P::FitFont) != 0;
        }
        // The font fits the window: the window follows the font instead,
        // where it can; otherwise fitting ends, and the user is told.
        if (fitFont && !host_.FitWindowToView()) {
            {
                const SessionLock locked = document_.Locked();
                locked.Settings().SetNumber(P::FitFont, 0);
            }
            host_.ShowNote(kFitFontOffNote);
        }
        return true;
    }
    case Command::ScrollPageUp:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
        return true;
    case Command::ScrollPageDown:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return true;
    case Command::ScrollToTop:
        SetVerticalPosition(0);
        return true;
    case Command::ScrollToBottom:
        SetVerticalPosition(verticalScrollBar()->maximum());
        return true;
    case Command::HoldScreen:
        document_.SetHold(!document_.IsHeld());
        return true;
    case Command::SendBreak:
        document_.SendBreak();
        return true;
    case Command::Copy:
        CopySelection();
        return true;
    case Command::Paste:
        Paste();
        return true;
    case Command::SelectAll:
        SelectAll();
        return true;
    case Command::Find:
        ShowFindDialog();
        return true;
    case Command::FindNext:
        FindNext();
        return true;
    default:
        return false;
    }
}

bool CVT420View::IsCommandEnabled(int id) const {
    switch (id) {
    case Command::LargerFont:
    case Command::SmallerFont: {
        // Both read the 80-column size, in either column mode.
        const SessionLock locked = document_.Locked();
        const int size = locked.Settings().GetNumber(P::FontSize);
        return id == Command::LargerFont ? size < kMenuFontMax : size > kMenuFontMin;
    }
    case Command::ScrollPageUp:
    case Command::ScrollPageDown:
    case Command::ScrollToTop:
    case Command::ScrollToBottom:
    case Command::HoldScreen:
    case Command::SendBreak:
    case Command::SelectAll:
    case Command::Find:
        return true;
    case Command::Copy:
        return selection_.Exists();
    case Command::Paste:
        return clipboard_->OffersText(QClipboard::Clipboard);
    case Command::FindNext:
        return !find_.text.empty();
    default:
        return false;
    }
}

bool CVT420View::IsCommandChecked(int id) const {
    return id == Command::HoldScreen && document_.IsHeld();
}

// --- settings, titles, status ---------------------------------------------------

void CVT420View::ApplySettingsChanges(const ChangeSet& changes) {
    ReadSessionState();
    if (changes.fonts) ChangeFontSize(0, false);
    if (changes.relayout) {
        Layout(true);
        CursorMoved(true);
    }
    if (changes.repaint) {
        viewport()->update();
        CursorMoved(true);
    }
    if (changes.cursor) {
        UpdateCursorTimer();
        viewport()->update(cursorRect_);
        cursorRect_ = CursorRect();
        viewport()->update(cursorRect_);
    }
    if (changes.title)
        Activate();
    else if (changes.buttons)
        host_.RebuildButtonBar();
}

void CVT420View::Activate() {
    host_.RebuildButtonBar();
    std::string title;
    {
        const SessionLock locked = document_.Locked();
        title = locked.Settings().GetString(P::Title);
    }
    if (title.empty()) title = document_.PeerName();
    host_.ShowSessionTitle(QString::fromStdString(title));
}

void CVT420View::ReportStatus() {
    const QString position = QStringLiteral("%1:%2")
                                 .arg(state_.cursorRow - state_.history + 1)
                                 .arg(state_.cursorColumn + 1);
    const QString size = PageSizeText(state_.columns, state_.lines);
    if (position == lastStatus_ && size == lastSize_ && state_.numericKeypad == lastNumeric_) return;
    lastStatus_ = position;
    lastSize_ = size;
    lastNumeric_ = state_.numericKeypad;
    host_.StatusChanged(size, position, state_.numericKeypad);
}

void CVT420View::MarkDisconnected(bool disconnected) {
    const QString mark = QString::fromLatin1(kDisconnectedMark);
    const QString title = host_.FrameTitle();
    if (!disconnected) {
        const qsizetype at = title.indexOf(mark);
        if (at > 0) host_.SetFrameTitle(title.left(at));
        return;
    }
    if (host_.IsFrameClosing()) return;
    bool autoClose;
    {
        const SessionLock locked = document_.Locked();
        autoClose = locked.Settings().GetNumber(P::AutoClose) != 0;
    }
    if (autoClose) {
        host_.CloseSessionWindow();
    } else if (!title.contains(mark)) {
        host_.SetFrameTitle(title + mark);
    }
}

} // namespace tamsivane
