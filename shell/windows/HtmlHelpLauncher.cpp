#include "shell/windows/HtmlHelpLauncher.h"

#include "os/DataPaths.h"
#include "product/AppInfo.h"
#include "shell/HelpPages.h"
#include "shell/windows/HelpWindow.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

HtmlHelpLauncher::HtmlHelpLauncher(UserDialogs &dialogs, Shell &shell, const DataPaths &paths)
    : m_dialogs(dialogs)
    , m_shell(shell)
    , m_paths(paths)
{
}

HtmlHelpLauncher::~HtmlHelpLauncher()
{
    // A window that lives inside a dialog goes with that dialog.
    if (m_window && !m_window->parent())
        delete m_window;
}

HelpWindow *HtmlHelpLauncher::window() const
{
    return m_window;
}

int HtmlHelpLauncher::HtmlHelp(QObject *, const QString &target, int command, int)
{
    if (command != 0)
        return 0;
    const QString file = HelpPages::pageFile(target, m_paths);
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        m_dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                             QStringLiteral("Cannot find the help page ")
                                 + QDir::toNativeSeparators(file.isEmpty() ? target : file));
        return 0;
    }

    // Help asked for from a modal dialog must be usable while that dialog is open, so the
    // window then belongs to the dialog; otherwise it stands on its own.
    QWidget *owner = QApplication::activeModalWidget();
    if (owner == m_window)
        owner = nullptr;
    if (!m_window) {
        m_window = new HelpWindow(m_shell, HelpPages::homeFile(m_paths), owner);
    } else if (m_window->parentWidget() != owner) {
        const QPoint position = m_window->pos();
        m_window->setParent(owner, m_window->windowFlags());
        m_window->move(position);
    }
    m_window->showPage(file);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return 1;
}
