#include "app/ToolBarIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

#include "keyboard/CommandIds.h"
#include "keyboard/CommandTable.h"

namespace tamsivane {
namespace {

// The tool bar in order; 0 is a separator.
constexpr int kToolBarCommands[] = {
    Command::New,       Command::AddressBook, Command::Reconnect, Command::Open,
    Command::Save,      Command::Print,       0,                  Command::Copy,
    Command::Paste,     0,                    Command::Find,      Command::FindNext,
    0,                  Command::LargerFont,  Command::SmallerFont, 0,
    Command::Settings,  0,                    Command::Capture,   Command::RecordMacro,
    0,                  Command::Content,     Command::Exit,
};

// A picture on a 32 x 32 grid; the painter's pen and brush are set for
// outlines in the text colour over a light fill.
using Picture = void (*)(QPainter&);

const QColor kPaper(250, 250, 246);
const QColor kAccent(52, 101, 164);
const QColor kRed(204, 40, 40);

void Page(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - 6, r.top());
    path.lineTo(r.right(), r.top() + 6);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 6, r.top()), QPointF(r.right() - 6, r.top() + 6));
    p.drawLine(QPointF(r.right() - 6, r.top() + 6), QPointF(r.right(), r.top() + 6));
}

void TextLines(QPainter& p, qreal left, qreal top, qreal width, int count) {
    for (int i = 0; i < count; ++i) p.drawLine(QPointF(left, top + 4 * i), QPointF(left + width, top + 4 * i));
}

void Lens(QPainter& p, const QPointF& centre, qreal radius) {
    p.setBrush(QColor(220, 232, 246));
    p.drawEllipse(centre, radius, radius);
    QPen handle = p.pen();
    handle.setWidthF(4);
    handle.setCapStyle(Qt::RoundCap);
    p.save();
    p.setPen(handle);
    const qreal d = radius * 0.72;
    p.drawLine(centre + QPointF(d, d), centre + QPointF(d + 8, d + 8));
    p.restore();
}

void Sign(QPainter& p, const QPointF& centre, bool plus) {
    QPen pen(kAccent, 2.5);
    p.save();
    p.setPen(pen);
    p.drawLine(centre - QPointF(4, 0), centre + QPointF(4, 0));
    if (plus) p.drawLine(centre - QPointF(0, 4), centre + QPointF(0, 4));
    p.restore();
}

void DrawNew(QPainter& p) { Page(p, QRectF(7.5, 3.5, 18, 25)); }

void DrawAddressBook(QPainter& p) {
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(6.5, 3.5, 20, 25), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(10.5, 7.5, 12, 6));
    for (int y : {8, 14, 20}) p.fillRect(QRectF(4, y, 4, 2), p.pen().color());
}

void DrawOpen(QPainter& p) {
    p.setBrush(QColor(237, 212, 0));
    QPainterPath back;
    back.moveTo(3.5, 8.5);
    back.lineTo(11.5, 8.5);
    back.lineTo(13.5, 11.5);
    back.lineTo(26.5, 11.5);
    back.lineTo(26.5, 25.5);
    back.lineTo(3.5, 25.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(252, 233, 79));
    p.drawPolygon(QPolygonF({QPointF(3.5, 25.5), QPointF(8.5, 15.5), QPointF(29.5, 15.5),
                             QPointF(26.5, 25.5)}));
}

void DrawSave(QPainter& p) {
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(4.5, 4.5, 23, 23), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9.5, 4.5, 13, 8));
    p.drawRect(QRectF(8.5, 17.5, 15, 10));
}

void DrawReconnect(QPainter& p) {
    QPen pen(kAccent, 3.5, Qt::SolidLine, Qt::RoundCap);
    p.save();
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 6, 20, 20), 60 * 16, 280 * 16);
    p.restore();
    p.setBrush(kAccent);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(17, 2), QPointF(26, 7), QPointF(17, 12)}));
}

void DrawPrint(QPainter& p) {
    Page(p, QRectF(9.5, 3.5, 13, 10));
    p.setBrush(QColor(186, 189, 182));
    p.drawRoundedRect(QRectF(3.5, 12.5, 25, 11), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(8.5, 19.5, 15, 9));
    TextLines(p, 11, 23, 9, 2);
    p.fillRect(QRectF(23, 15, 3, 2), QColor(78, 154, 6));
}

void DrawCopy(QPainter& p) {
    Page(p, QRectF(4.5, 3.5, 15, 19));
    Page(p, QRectF(12.5, 9.5, 15, 19));
    TextLines(p, 15, 18, 9, 3);
}

void DrawPaste(QPainter& p) {
    p.setBrush(QColor(193, 125, 17));
    p.drawRoundedRect(QRectF(5.5, 5.5, 19, 23), 2, 2);
    p.setBrush(QColor(186, 189, 182));
    p.drawRoundedRect(QRectF(10.5, 2.5, 9, 6), 1.5, 1.5);
    Page(p, QRectF(13.5, 12.5, 14, 17));
    TextLines(p, 16, 20, 8, 2);
}

void DrawFind(QPainter& p) { Lens(p, QPointF(13, 13), 8.5); }

void DrawFindNext(QPainter& p) {
    Lens(p, QPointF(11, 11), 7.5);
    p.setBrush(kAccent);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(19, 21), QPointF(29, 21), QPointF(24, 29)}));
}

void DrawLarger(QPainter& p) {
    Lens(p, QPointF(13, 13), 8.5);
    Sign(p, QPointF(13, 13), true);
}

void DrawSmaller(QPainter& p) {
    Lens(p, QPointF(13, 13), 8.5);
    Sign(p, QPointF(13, 13), false);
}

void DrawSettings(QPainter& p) {
    // A gear: eight teeth around a ring.
    p.save();
    p.translate(16, 16);
    p.setBrush(QColor(136, 138, 133));
    for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-2.5, -14, 5, 6));
        p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), 10, 10);
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(0, 0), 4, 4);
    p.restore();
}

void DrawCapture(QPainter& p) {
    Page(p, QRectF(4.5, 3.5, 18, 25));
    TextLines(p, 7, 12, 10, 3);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(22, 22), 6, 6);
}

void DrawRecordMacro(QPainter& p) {
    p.setBrush(kRed);
    p.drawEllipse(QPointF(16, 16), 11, 11);
    p.setBrush(kPaper);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(16, 16), 4, 4);
}

void DrawHelp(QPainter& p) {
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(16, 16), 13, 13);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, "?");
}

void DrawExit(QPainter& p) {
    p.setBrush(QColor(143, 89, 2));
    p.drawRect(QRectF(5.5, 3.5, 14, 25));
    QPen arrow(kRed, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(arrow);
    p.drawLine(QPointF(14, 16), QPointF(28, 16));
    p.drawPolyline(QPolygonF({QPointF(23, 11), QPointF(28, 16), QPointF(23, 21)}));
}

struct DrawnIcon {
    int id;
    Picture draw;
};
constexpr DrawnIcon kDrawn[] = {
    {Command::New, DrawNew},           {Command::AddressBook, DrawAddressBook},
    {Command::Reconnect, DrawReconnect}, {Command::Open, DrawOpen},
    {Command::Save, DrawSave},         {Command::Print, DrawPrint},
    {Command::Copy, DrawCopy},         {Command::Paste, DrawPaste},
    {Command::Find, DrawFind},         {Command::FindNext, DrawFindNext},
    {Command::LargerFont, DrawLarger}, {Command::SmallerFont, DrawSmaller},
    {Command::Settings, DrawSettings}, {Command::Capture, DrawCapture},
    {Command::RecordMacro, DrawRecordMacro}, {Command::Content, DrawHelp},
    {Command::Exit, DrawExit},
};

// The picture at the usual icon sizes, drawn on its 32 x 32 grid.
QIcon Drawn(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        painter.setPen(QPen(QColor(46, 52, 54), 1.2));
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The program's picture: a terminal screen with a prompt and a cursor.
void DrawProgram(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 63, 65));
    p.drawRoundedRect(QRectF(1, 2, 30, 23), 2.5, 2.5);
    p.setBrush(QColor(11, 26, 14));
    p.drawRoundedRect(QRectF(3.5, 4.5, 25, 18), 1, 1);
    const QColor green(70, 227, 106);
    p.setPen(QPen(green, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(6, 8.5), QPointF(10, 11), QPointF(6, 13.5)}));
    p.fillRect(QRectF(12, 12.5, 6, 1.5), green);
    p.fillRect(QRectF(6, 17, 15, 1), QColor(47, 154, 72));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 63, 65));
    p.drawRect(QRectF(11, 25, 10, 3));
    p.drawRoundedRect(QRectF(7, 27.5, 18, 3), 1, 1);
}

} // namespace

QIcon CommandIcon(int id) {
    const CommandInfo* info = FindCommand(id);
    if (info != nullptr && info->icon[0] != '\0') {
        const QIcon themed = QIcon::fromTheme(QString::fromLatin1(info->icon));
        if (!themed.isNull()) return themed;
    }
    for (const DrawnIcon& drawn : kDrawn) {
        if (drawn.id == id) return Drawn(drawn.draw);
    }
    return {};
}

void FillToolBar(QToolBar& bar, CommandActions& commands) {
    for (const int id : kToolBarCommands) {
        if (QAction* action = commands.Action(id)) {
            action->setIcon(CommandIcon(id));
            action->setToolTip(QString::fromStdString(MenuText(FindCommand(id)->caption)));
        }
    }
    commands.AddActions(bar, kToolBarCommands);
}

QIcon ProgramIcon() {
    const QIcon themed = QIcon::fromTheme("tamsivane");
    return themed.isNull() ? Drawn(DrawProgram) : themed;
}

} // namespace tamsivane
