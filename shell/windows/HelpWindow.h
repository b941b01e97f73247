#pragma once

#include <QMainWindow>

class QAction;
class QTextBrowser;
class Shell;

// The program's help: one page at a time, with Back, Forward and Home (the contents page);
// the page's title is the window's. Links to other pages follow in the window; web and
// mail links go to the desktop.
class HelpWindow : public QMainWindow
{
    Q_OBJECT

public:
    HelpWindow(Shell &shell, QString homeFile, QWidget *parent = nullptr);

    QTextBrowser *Browser = nullptr;
    QAction *BackAction = nullptr;
    QAction *ForwardAction = nullptr;
    QAction *HomeAction = nullptr;

    void showPage(const QString &file);

private:
    void followLink(const QUrl &url);
    void updateTitle();

    Shell &m_shell;
    QString m_homeFile;
};
