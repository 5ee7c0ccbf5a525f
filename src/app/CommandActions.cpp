#include "app/CommandActions.h"

#include <QMenu>

#include "keyboard/CommandTable.h"

namespace tamsivane {

CommandActions::CommandActions(QObject* parent) : QObject(parent) {
    for (const CommandInfo& info : CommandTable()) {
        if (info.id == 0) continue;
        auto* action = new QAction(QString::fromUtf8(info.caption), this);
        action->setData(info.id);
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, [this, id = info.id] { Execute(id); });
        actions_[info.id] = action;
    }
}

QAction* CommandActions::Action(int id) const {
    const auto it = actions_.find(id);
    return it != actions_.end() ? it->second : nullptr;
}

void CommandActions::SetHandler(int id, CommandHandler handler) {
    handlers_[id] = std::move(handler);
}

bool CommandActions::IsEnabled(int id) const {
    if (const auto it = handlers_.find(id); it != handlers_.end()) {
        return it->second.run && (!it->second.enabled || it->second.enabled());
    }
    return Action(id) != nullptr && fallback_.enabled && fallback_.enabled(id);
}

bool CommandActions::Execute(int id) {
    if (!IsEnabled(id)) return false;
    if (const auto it = handlers_.find(id); it != handlers_.end()) {
        // A copy: the command may replace handlers or delete what holds them.
        const std::function<void()> run = it->second.run;
        run();
    } else if (!fallback_.run || !fallback_.run(id)) {
        return false;
    }
    Update();
    return true;
}

void CommandActions::BuildMenus(QMenuBar* bar) {
    for (const CommandInfo& info : CommandTable()) {
        const QString name = QString::fromStdString(MenuText(info.menu));
        QMenu* menu = Menu(name);
        if (menu == nullptr) {
            menu = bar->addMenu(QString::fromUtf8(info.menu));
            menus_[name] = menu;
            connect(menu, &QMenu::aboutToShow, this, &CommandActions::Update);
        }
        if (info.id == 0) {
            menu->addSeparator();
        } else {
            menu->addAction(Action(info.id));
        }
    }
}

void CommandActions::AddActions(QWidget& target, std::span<const int> ids) {
    for (const int id : ids) {
        QAction* action = Action(id);
        if (action == nullptr) {
            action = new QAction(&target);
            action->setSeparator(true);
        }
        target.addAction(action);
    }
}

QMenu* CommandActions::Menu(const QString& popup) const {
    const auto it = menus_.find(popup);
    return it != menus_.end() ? it->second : nullptr;
}

void CommandActions::Update() {
    for (const auto& [id, action] : actions_) {
        action->setEnabled(IsEnabled(id));
        bool checkable = false;
        bool checked = false;
        if (const auto it = handlers_.find(id); it != handlers_.end()) {
            checkable = static_cast<bool>(it->second.checked);
            checked = checkable && it->second.checked();
        } else if (fallback_.checked) {
            checked = fallback_.checked(id);
            checkable = checked;
        }
        action->setCheckable(checkable);
        action->setChecked(checked);
    }
}

} // namespace tamsivane
