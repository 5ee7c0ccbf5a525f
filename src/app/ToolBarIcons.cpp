#include "app/ToolBarIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include <iterator>

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

// What stands in when the theme lacks an icon: one of the style's own
// pictures, or a short text drawn on a blank.
struct Fallback {
    int id;
    QStyle::StandardPixmap standard; // used when text is empty
    const char* text;
};
constexpr Fallback kFallbacks[] = {
    {Command::New, QStyle::SP_FileIcon, ""},
    {Command::AddressBook, QStyle::SP_FileIcon, "AB"},
    {Command::Reconnect, QStyle::SP_BrowserReload, ""},
    {Command::Open, QStyle::SP_DialogOpenButton, ""},
    {Command::Save, QStyle::SP_DialogSaveButton, ""},
    {Command::Print, QStyle::SP_FileIcon, "Pr"},
    {Command::Copy, QStyle::SP_FileIcon, "Cp"},
    {Command::Paste, QStyle::SP_FileIcon, "Ps"},
    {Command::Find, QStyle::SP_FileDialogContentsView, ""},
    {Command::FindNext, QStyle::SP_ArrowDown, ""},
    {Command::LargerFont, QStyle::SP_FileIcon, "A+"},
    {Command::SmallerFont, QStyle::SP_FileIcon, "A-"},
    {Command::Settings, QStyle::SP_FileDialogDetailedView, ""},
    {Command::Capture, QStyle::SP_FileIcon, "Cap"},
    {Command::RecordMacro, QStyle::SP_MediaPlay, ""},
    {Command::Content, QStyle::SP_DialogHelpButton, ""},
    {Command::Exit, QStyle::SP_DialogCloseButton, ""},
};

QIcon TextIcon(const char* text) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QApplication::palette().color(QPalette::WindowText), 1.5));
    painter.drawRoundedRect(QRectF(2.5, 2.5, 27, 27), 4, 4);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(12);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString::fromLatin1(text));
    return QIcon(pixmap);
}

QIcon FallbackIcon(int id) {
    for (const Fallback& fallback : kFallbacks) {
        if (fallback.id != id) continue;
        if (fallback.text[0] != '\0') return TextIcon(fallback.text);
        return QApplication::style()->standardIcon(fallback.standard);
    }
    return {};
}

} // namespace

QIcon CommandIcon(int id) {
    const CommandInfo* info = FindCommand(id);
    if (info != nullptr && info->icon[0] != '\0') {
        const QIcon themed = QIcon::fromTheme(QString::fromLatin1(info->icon));
        if (!themed.isNull()) return themed;
    }
    return FallbackIcon(id);
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

} // namespace tamsivane
