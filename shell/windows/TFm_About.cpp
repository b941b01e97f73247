#include "shell/windows/TFm_About.h"

#include "os/ProgramIcons.h"
#include "product/AppInfo.h"
#include "shell/LinkConfig.h"
#include "shell/windows/ScreenCentre.h"
#include "ui/WindowOpener.h"
#include "ui/WindowServices.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QSize kPictureSize(480, 320);
// The window has no border: the footer says how it goes away.
const char *const kClickHint = "Click the picture to close this window.";
const char *const kStartingHint = "Starting ...";

// The link as people read it: without the scheme and the closing slash.
QString shownAddress(QString url)
{
    for (const char *scheme : {"https://", "http://"})
        if (url.startsWith(QLatin1String(scheme)))
            url = url.mid(qsizetype(qstrlen(scheme)));
    if (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url;
}

} // namespace

TFm_About::TFm_About(WindowServices &services, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_services(services)
{
    setObjectName(QStringLiteral("Fm_About"));
    setWindowTitle(QStringLiteral("About Vellorn Composer"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, QColor(0x40, 0x40, 0x40));
    setPalette(white);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(kPictureSize);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(ProgramIcons::icon(ProgramIcons::Role::AboutPicture).pixmap(kPictureSize, devicePixelRatio()));
    Image1->installEventFilter(this);
    // The name and version are only drawn in the picture: a screen reader is told them, and
    // the picture (closing) and the link (opening) work from the keyboard too.
    Image1->setAccessibleName(QString::fromLatin1(AppInfo::ApplicationTitle));
    Image1->setAccessibleDescription(QString::fromLatin1(kClickHint));
    Image1->setFocusPolicy(Qt::StrongFocus);

    Label1 = new QLabel(QString::fromLatin1(kClickHint), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    Label4 = new QLabel(shownAddress(m_services.links.homePage), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->setToolTip(m_services.links.homePage);
    QFont link = Label4->font();
    link.setUnderline(true);
    Label4->setFont(link);
    QPalette blue = Label4->palette();
    blue.setColor(QPalette::WindowText, QColor(0x1F, 0x4E, 0x9A));
    Label4->setPalette(blue);
    Label4->installEventFilter(this);
    Label4->setAccessibleName(QStringLiteral("Home page ") + shownAddress(m_services.links.homePage));
    Label4->setFocusPolicy(Qt::StrongFocus);

    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    QPalette grey = rule->palette();
    grey.setColor(QPalette::WindowText, QColor(0xD0, 0xD4, 0xDC));
    rule->setPalette(grey);

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(14, 6, 14, 8);
    footer->addWidget(Label1);
    footer->addStretch(1);
    footer->addWidget(Label4);
    auto *all = new QVBoxLayout(this);
    all->setContentsMargins(1, 1, 1, 1);
    all->setSpacing(0);
    all->addWidget(Image1);
    all->addWidget(rule);
    all->addLayout(footer);
    setFixedSize(sizeHint());
    centreOnScreen(this);

    TM_close = new QTimer(this);
    TM_close->setObjectName(QStringLiteral("TM_close"));
    TM_close->setInterval(20);
    connect(TM_close, &QTimer::timeout, this, &TFm_About::TM_closeTimer);
}

void TFm_About::showSplash()
{
    Label1->setText(QString::fromLatin1(kStartingHint));
    m_state.showAsSplash();
    // Every message box of the start-up passes here (see eventFilter).
    qApp->installEventFilter(this);
    show();
    repaint();
}

void TFm_About::startSplashTimer()
{
    m_state.startTimer();
    TM_close->start();
}

void TFm_About::TM_closeTimer()
{
    TM_close->stop();
    qApp->removeEventFilter(this);
    const bool enableMain = m_state.timerFired(tipsShowing && tipsShowing());
    close();
    Label1->setText(QString::fromLatin1(kClickHint));
    if (enableMain)
        m_services.opener.setMainWindowEnabled(true);
    if (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void TFm_About::Image1Click()
{
    if (m_state.pictureClickCloses())
        close();
}

void TFm_About::Label4Click()
{
    LinkConfig::open(m_services.shell, LinkConfig::homePage(m_services.links));
}

void TFm_About::reject()
{
    if (m_state.pictureClickCloses())
        QDialog::reject();
}

void TFm_About::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // Without a border of its own the window needs an edge on a white desktop.
    QPainter painter(this);
    painter.setPen(QColor(0x9A, 0xA4, 0xB4));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool TFm_About::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && qobject_cast<QMessageBox *>(watched) && m_state.messageBoxShown()) {
        qApp->removeEventFilter(this);
        hide();
    }
    const auto pressed = [event] {
        if (event->type() == QEvent::MouseButtonRelease)
            return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    };
    if (pressed()) {
        if (watched == Image1)
            Image1Click();
        else if (watched == Label4)
            Label4Click();
    }
    return QDialog::eventFilter(watched, event);
}
