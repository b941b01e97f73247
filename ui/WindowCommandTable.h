#pragma once

#include "ui/WindowCommand.h"

#include <QHash>
#include <QString>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// A window's commands from their table: makes the actions (children of the window, or of
// their menu when it is made first), the menu bar's menus and the pop-up menus in table
// order, and finds or triggers a command by its name.
class WindowCommandTable
{
public:
    WindowCommandTable(QWidget *window, std::vector<WindowCommand> rows);

    // The actions of the commands, before the controls that show them (tool buttons) are
    // made. Commands made here are children of the window.
    void makeActions();
    // The menus in `bar` and the pop-ups, each with its commands and separators in table
    // order; a command not made yet becomes a child of its menu.
    void makeMenus(QMenuBar *bar);

    const std::vector<WindowCommand> &rows() const { return m_rows; }
    // Null when no command (or menu) has that name.
    QAction *action(const QString &name) const { return m_actions.value(name); }
    QMenu *menu(const QString &name) const { return m_menus.value(name); }
    // Triggers the named command as its menu item or keys would; false when there is none
    // or it is disabled.
    bool trigger(const QString &name) const;

private:
    QAction *make(const WindowCommand &row, QWidget *parent);

    QWidget *m_window;
    std::vector<WindowCommand> m_rows;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
};
