#include "shell/windows/HelpWindow.h"

#include "os/ProgramIcons.h"
#include "shell/LinkConfig.h"
#include "shell/windows/ScreenCentre.h"

#include <QAction>
#include <QTextBrowser>
#include <QToolBar>

HelpWindow::HelpWindow(Shell &shell, QString homeFile, QWidget *parent)
    : QMainWindow(parent, Qt::Window)
    , m_shell(shell)
    , m_homeFile(std::move(homeFile))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowIcon(ProgramIcons::icon(ProgramIcons::Role::ProgramIcon));
    setAttribute(Qt::WA_QuitOnClose, false);

    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    Browser->setOpenLinks(false);
    Browser->setAccessibleName(QStringLiteral("Help page"));
    Browser->setFrameShape(QFrame::NoFrame);
    Browser->document()->setDocumentMargin(16);
    setCentralWidget(Browser);

    auto *bar = new QToolBar(QStringLiteral("Navigation"), this);
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    addToolBar(bar);
    BackAction = bar->addAction(ProgramIcons::icon(ProgramIcons::Role::HelpBack), QStringLiteral("&Back"));
    BackAction->setShortcut(QKeySequence::Back);
    BackAction->setEnabled(false);
    ForwardAction = bar->addAction(ProgramIcons::icon(ProgramIcons::Role::HelpForward), QStringLiteral("&Forward"));
    ForwardAction->setShortcut(QKeySequence::Forward);
    ForwardAction->setEnabled(false);
    HomeAction = bar->addAction(ProgramIcons::icon(ProgramIcons::Role::HelpHome), QStringLiteral("&Home"));
    HomeAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    auto *closeAction = new QAction(this);
    closeAction->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(closeAction);

    connect(BackAction, &QAction::triggered, Browser, &QTextBrowser::backward);
    connect(ForwardAction, &QAction::triggered, Browser, &QTextBrowser::forward);
    connect(HomeAction, &QAction::triggered, this, [this] { showPage(m_homeFile); });
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    connect(Browser, &QTextBrowser::backwardAvailable, BackAction, &QAction::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardAction, &QAction::setEnabled);
    connect(Browser, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(Browser, &QTextBrowser::sourceChanged, this, &HelpWindow::updateTitle);

    resize(780, 580);
    centreOnScreen(this);
    updateTitle();
}

void HelpWindow::showPage(const QString &file)
{
    Browser->setSource(QUrl::fromLocalFile(file));
    updateTitle();
}

void HelpWindow::followLink(const QUrl &url)
{
    const QUrl target = Browser->source().resolved(url);
    if (target.isLocalFile() || target.scheme().isEmpty())
        Browser->setSource(target);
    else
        LinkConfig::open(m_shell, target);
}

void HelpWindow::updateTitle()
{
    const QString title = Browser->documentTitle().trimmed();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Vellorn Composer Help") : title);
}
