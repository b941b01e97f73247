#include "send/windows/TFM_Send.h"

#include "os/DataPaths.h"
#include "product/AppInfo.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

#include <QAccessible>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QtMath>
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
    setConfigPath(services.paths.config);
}

TFM_Send::TFM_Send(UserDialogs &dialogs, Shell &shell, const ConfigSettings &settings, const QString &mailBoxPath,
                   QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_runner(settings, mailBoxPath, shell)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FM_Send"));
    setCertificateTrust(&m_question);
    setWindowTitle(QStringLiteral("Sending ..."));
    // A job can outlive the window that started it; the main window's closing still ends
    // the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(27);
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

    // The status: wrapped (a long reason breaks anywhere rather than running off), and
    // selectable, so that a server's reply can be copied.
    MO = new QTextEdit(this);
    MO->setAccessibleName(QStringLiteral("Send status"));
    MO->setObjectName(QStringLiteral("MO"));
    MO->setReadOnly(true);
    MO->setAcceptRichText(false);
    MO->setFrameShape(QFrame::NoFrame);
    MO->setFocusPolicy(Qt::ClickFocus);
    MO->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    MO->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    MO->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MO->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MO->document()->setDocumentMargin(2);
    QPalette face = MO->palette();
    face.setColor(QPalette::Base, palette().color(QPalette::Button));
    MO->setPalette(face);

    PB = new QProgressBar(this);
    PB->setObjectName(QStringLiteral("PB"));
    PB->setFixedHeight(16);
    PB->setRange(0, 100);
    PB->setValue(0);
    PB->setTextVisible(false);

    BT_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    BT_Cancel->setObjectName(QStringLiteral("BT_Cancel"));
    BT_Cancel->setFixedSize(73, 22);
    BT_Cancel->setDefault(true);
    connect(BT_Cancel, &QPushButton::clicked, this, &TFM_Send::BT_CancelClick);

    // The status fills what is left of the window; with the bar hidden it has the bar's
    // place too. The count and Cancel keep to the right.
    auto *body = new QGridLayout;
    body->setContentsMargins(7, 9, 15, 9);
    body->setHorizontalSpacing(12);
    body->setVerticalSpacing(4);
    body->addWidget(MO, 0, 0, 2, 1);
    body->addWidget(PB, 2, 0);
    body->addWidget(LB_p, 0, 1, Qt::AlignRight | Qt::AlignTop);
    body->addWidget(BT_Cancel, 2, 1, 1, 1, Qt::AlignRight | Qt::AlignBottom);
    body->setColumnStretch(0, 1);
    body->setRowStretch(1, 1);
    auto *all = new QVBoxLayout(this);
    all->setContentsMargins(0, 0, 0, 0);
    all->setSpacing(0);
    all->addWidget(Panel1);
    all->addLayout(body, 1);
    setMinimumSize(400, 115);
    resize(400, 115);
    setSizeGripEnabled(true);
    BT_Cancel->setFocus();

    connect(&m_runner, &SendMailsRunner::countChanged, LB_p, &QLabel::setText);
    connect(&m_runner, &SendMailsRunner::statusChanged, this, &TFM_Send::showStatus);
    connect(&m_runner, &SendMailsRunner::progressChanged, this, &TFM_Send::showProgress);
    connect(&m_runner, &SendMailsRunner::cancelAllowed, this, &TFM_Send::allowCancel);
    connect(&m_runner, &SendMailsRunner::failed, this, &TFM_Send::reportFailure);
    connect(&m_runner, &SendMailsRunner::closeRequested, this, &QWidget::hide);
}

bool TFM_Send::SendMails(const std::vector<std::int64_t> &positions, SendMode mode)
{
    QStringList list;
    for (std::int64_t position : positions)
        list << QString::number(position);
    return runJob(list, mode);
}

bool TFM_Send::SendMails(const QStringList &list, const QString &mode)
{
    return runJob(list, sendModeNamed(mode));
}

bool TFM_Send::runJob(const QStringList &list, SendMode mode)
{
    // A new job starts at the size the user left, not at the one a long reason needed.
    if (m_heightBeforeFit > 0) {
        resize(width(), m_heightBeforeFit);
        m_heightBeforeFit = 0;
    }
    BT_Cancel->setText(QStringLiteral("Cancel"));
    BT_Cancel->setFocus();
    MO->setAccessibleDescription(QString());
    const bool sent = m_runner.SendMails(list, mode);
    // The job is over: what the window still shows is its outcome, and the button only
    // closes it.
    BT_Cancel->setText(QStringLiteral("Close"));
    // A job stopped by a failure (not by Cancel) leaves the reason in the status.
    if (!sent && !Cancelled && isVisible())
        announceStatus();
    return sent;
}

void TFM_Send::ShowStatus(const QString &text, const QString &barMode)
{
    showStatus(text, barMode != QLatin1String("Hide"));
}

void TFM_Send::showStatus(const QString &text, bool barShown)
{
    // CR LF is one line break here (a lone CR would start a paragraph of its own).
    MO->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    PB->setVisible(barShown);
    fitStatus();
    repaint();
}

void TFM_Send::fitStatus()
{
    if (!isVisible())
        return;
    layout()->activate();
    QTextDocument *doc = MO->document();
    doc->setTextWidth(MO->viewport()->width());
    const int missing = qCeil(doc->size().height()) - MO->viewport()->height();
    if (missing <= 0)
        return;
    const QScreen *where = screen();
    const int limit = where ? where->availableGeometry().height() * 2 / 3 : 600;
    const int target = std::min(height() + missing, std::max(height(), limit));
    if (target <= height())
        return;
    if (m_heightBeforeFit == 0)
        m_heightBeforeFit = height();
    resize(width(), target);
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

void TFM_Send::reportFailure(const QString &reason)
{
    const QString text = reason.isEmpty() ? QStringLiteral("Error") : QStringLiteral("Error\r\n") + reason;
    // The status holds the failure too, told to a screen reader before the box asks.
    showStatus(text, false);
    announceStatus();
    m_dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle), text);
}

void TFM_Send::announceStatus()
{
    // An alert on the status, which keeps its name ("Send status") and carries the failure
    // as its description: a screen reader reads it out at once, wherever the focus is.
    MO->setAccessibleDescription(MO->toPlainText());
    QAccessibleEvent changed(MO, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
    QAccessibleEvent alert(MO, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
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
