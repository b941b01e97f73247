#pragma once

#include "ui/HelpLauncher.h"

#include <QPointer>

class HelpWindow;
class Shell;
class UserDialogs;
struct DataPaths;

// Shows the help pages in the program's help window: one window, reused by every call and
// brought to the front. A page that is not there is reported in an error box that names
// the file.
class HtmlHelpLauncher : public HelpLauncher
{
public:
    HtmlHelpLauncher(UserDialogs &dialogs, Shell &shell, const DataPaths &paths);
    ~HtmlHelpLauncher() override;

    // command 0 shows the target's page; 0 is returned when nothing was shown.
    int HtmlHelp(QObject *window, const QString &target, int command = 0, int data = 0) override;

    // The help window, once a page has been shown.
    HelpWindow *window() const;

private:
    UserDialogs &m_dialogs;
    Shell &m_shell;
    const DataPaths &m_paths;
    QPointer<HelpWindow> m_window;
};
