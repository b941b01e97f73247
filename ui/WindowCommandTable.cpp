#include "ui/WindowCommandTable.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using Kind = WindowCommand::Kind;

WindowCommandTable::WindowCommandTable(QWidget *window, std::vector<WindowCommand> rows)
    : m_window(window)
    , m_rows(std::move(rows))
{
}

QAction *WindowCommandTable::make(const WindowCommand &row, QWidget *parent)
{
    const QString name = QLatin1String(row.name);
    if (QAction *made = m_actions.value(name))
        return made;
    auto *a = new QAction(QLatin1String(row.caption), parent);
    a->setObjectName(name);
    if (row.hint) {
        a->setToolTip(QLatin1String(row.hint));
        a->setStatusTip(QLatin1String(row.hint));
    }
    if (!row.icon.isNull())
        a->setIcon(row.icon);
    if (!row.keys.isEmpty()) {
        a->setShortcuts(row.keys);
        // The keys work anywhere in the window, whichever control has the focus.
        a->setShortcutContext(Qt::WindowShortcut);
        m_window->addAction(a);
    }
    if (row.handler)
        QObject::connect(a, &QAction::triggered, m_window, row.handler);
    m_actions.insert(name, a);
    return a;
}

void WindowCommandTable::makeActions()
{
    for (const WindowCommand &row : m_rows) {
        if (row.kind == Kind::Command)
            make(row, m_window);
    }
}

void WindowCommandTable::makeMenus(QMenuBar *bar)
{
    for (const WindowCommand &row : m_rows) {
        QMenu *in = row.menu ? m_menus.value(QLatin1String(row.menu)) : nullptr;
        switch (row.kind) {
        case Kind::Menu: {
            QMenu *m = nullptr;
            if (in) {
                m = in->addMenu(QLatin1String(row.caption));
            } else {
                m = bar->addMenu(QLatin1String(row.caption));
            }
            m->setObjectName(QLatin1String(row.name));
            m_menus.insert(m->objectName(), m);
            break;
        }
        case Kind::Popup: {
            auto *m = new QMenu(m_window);
            m->setObjectName(QLatin1String(row.name));
            m_menus.insert(m->objectName(), m);
            break;
        }
        case Kind::Separator:
            if (in)
                in->addSeparator();
            break;
        case Kind::Command:
            if (in)
                in->addAction(make(row, in));
            else
                make(row, m_window);
            break;
        }
    }
}

bool WindowCommandTable::trigger(const QString &name) const
{
    QAction *a = m_actions.value(name);
    if (!a || !a->isEnabled())
        return false;
    a->trigger();
    return true;
}
