// One QAction per command id of the command table, with the handler that
// carries the command out and the tests that enable and check it.  The
// menus and the tool bar show these actions; key-map entries, scripts and
// the button bar reach the same handlers through Execute().
//
// No action has a shortcut: every key belongs to the terminal view.  The
// accelerator text after a tab in a caption is only shown.
#pragma once

#include <QAction>
#include <QMenuBar>
#include <QObject>

#include <functional>
#include <map>
#include <span>

namespace tamsivane {

struct CommandHandler {
    CommandHandler() = default;
    CommandHandler(std::function<void()> run_, std::function<bool()> enabled_ = {},
                   std::function<bool()> checked_ = {})
        : run(std::move(run_)), enabled(std::move(enabled_)), checked(std::move(checked_)) {}

    std::function<void()> run;
    std::function<bool()> enabled; // empty: enabled whenever a handler exists
    std::function<bool()> checked; // empty: not a check item
};

class CommandActions final : public QObject {
    Q_OBJECT
public:
    explicit CommandActions(QObject* parent = nullptr);

    // The table's action for id, or nullptr.
    QAction* Action(int id) const;
    // A later handler replaces an earlier one.
    void SetHandler(int id, CommandHandler handler);
    // What runs an id without a handler of its own (the active view's
    // commands); an id neither handles stays disabled.
    struct Fallback {
        std::function<bool(int)> run;
        std::function<bool(int)> enabled;
        std::function<bool(int)> checked;
    };
    void SetFallback(Fallback fallback) { fallback_ = std::move(fallback); }
    // Also handles ids outside the table (the button bar's), never shown.
    bool Execute(int id);
    bool IsEnabled(int id) const;

    // The pop-up menus in the table's order, each with its commands.
    void BuildMenus(QMenuBar* bar);
    // Adds the actions of ids to a menu or a tool bar in order; 0 is a separator.
    void AddActions(QWidget& target, std::span<const int> ids);
    // A pop-up menu by its text without "&" ("Connection"), or nullptr.
    QMenu* Menu(const QString& popup) const;

    // Refreshes every action's enabled and checked state.
    void Update();

private:
    std::map<int, QAction*> actions_;
    std::map<int, CommandHandler> handlers_;
    Fallback fallback_;
    std::map<QString, QMenu*> menus_;
};

} // namespace tamsivane
