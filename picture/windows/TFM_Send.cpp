#include "TFM_Send.h"

#include "AppInfo.h"
#include "DataPaths.h"
#include "UserDialogs.h"
#include "WindowServices.h"

#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace {

QPixmap bannerPixmap()
{
    QPixmap pixmap(400, 26);
    QPainter painter(&pixmap);
    QLinearGradient gradient(0, 0, 400, 0);
    gradient.setColorAt(0, QColor(0x1F, 0x4E, 0x9A));
    gradient.setColorAt(1, Qt::white);
    painter.fillRect(pixmap.rect(), gradient);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(14);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(8, 0, 392, 26), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::fromLatin1(AppInfo::ApplicationTitle));
    return pixmap;
}

} // namespace

TFM_Send::TFM_Send(WindowServices &services, QWidget *parent)
    : TFM_Send(services.dialogs, services.shell, services.settings, services.paths.mailBox, parent)
{
}

TFM_Send::TFM_Send(UserDialogs &dialogs, Shell &shell, const ConfigSettings &settings, const QString &mailBoxPath,
                   QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_runner(settings, mailBoxPath, shell)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FM_Send"));
    setWindowTitle(QStringLiteral("Sending ..."));
    setFixedSize(400, 115);
    // A job can outlive the window that started it; the main window's closing still ends
    // the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 400, 27);
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(2, 1, 400, 26);
    Image1->setPixmap(bannerPixmap());

    LB_p = new QLabel(this);
    LB_p->setObjectName(QStringLiteral("LB_p"));
    // Wide enough for two-digit counts in the desktop's font; it ends at the dialog's edge
    // and clears the status memo.
    LB_p->setGeometry(300, 36, 96, 16);

    MO = new QPlainTextEdit(this);
    MO->setObjectName(QStringLiteral("MO"));
    MO->setGeometry(7, 45, 289, 56);
    MO->setReadOnly(true);
    MO->setFrameShape(QFrame::NoFrame);
    MO->setFocusPolicy(Qt::NoFocus);
    MO->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette face = MO->palette();
    face.setColor(QPalette::Base, palette().color(QPalette::Button));
    MO->setPalette(face);

    PB = new QProgressBar(this);
    PB->setObjectName(QStringLiteral("PB"));
    PB->setGeometry(7, 72, 273, 16);
    PB->setRange(0, 100);
    PB->setValue(0);
    PB->setTextVisible(false);

    BT_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    BT_Cancel->setObjectName(QStringLiteral("BT_Cancel"));
    BT_Cancel->setGeometry(312, 68, 73, 22);
    BT_Cancel->setDefault(true);
    BT_Cancel->setFocus();
    connect(BT_Cancel, &QPushButton::clicked, this, &TFM_Send::BT_CancelClick);

    connect(&m_runner, &SendMailsRunner::countChanged, LB_p, &QLabel::setText);
    connect(&m_runner, &SendMailsRunner::statusChanged, this, &TFM_Send::showStatus);
    connect(&m_runner, &SendMailsRunner::progressChanged, this, &TFM_Send::showProgress);
    connect(&m_runner, &SendMailsRunner::cancelAllowed, this, &TFM_Send::allowCancel);
    connect(&m_runner, &SendMailsRunner::failed, this, &TFM_Send::reportFailure);
    connect(&m_runner, &SendMailsRunner::closeRequested, this, &QWidget::hide);
}

bool TFM_Send::SendMails(const QStringList &list, const QString &mode)
{
    BT_Cancel->setFocus();
    return m_runner.SendMails(list, mode);
}

void TFM_Send::ShowStatus(const QString &text, const QString &barMode)
{
    showStatus(text, barMode != QLatin1String("Hide"));
}

void TFM_Send::showStatus(const QString &text, bool barShown)
{
    MO->setPlainText(text);
    PB->setVisible(barShown);
    repaint();
}

void TFM_Send::showProgress(int value, int maximum)
{
    if (PB->maximum() != maximum)
        PB->setRange(0, maximum);
    PB->setValue(std::clamp(value, 0, maximum));
}

void TFM_Send::allowCancel(bool allowed)
{
    BT_Cancel->setEnabled(allowed);
    if (allowed)
        BT_Cancel->setFocus();
}

void TFM_Send::reportFailure()
{
    m_dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                         QStringLiteral("Error"));
}

void TFM_Send::BT_CancelClick()
{
    m_runner.Cancel();
    hide();
}

void TFM_Send::reject()
{
    BT_CancelClick();
}
