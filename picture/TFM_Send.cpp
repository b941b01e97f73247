#include "TFM_Send.h"

#include "Ansi.h"
#include "AppError.h"
#include "AppInfo.h"
#include "AppPaths.h"
#include "ConfigSettings.h"
#include "MailStore.h"
#include "MessagePump.h"
#include "Shell.h"
#include "TSocketTalk.h"
#include "UserDialogs.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <exception>

namespace {

const char *const kStatusRendering = "Generating pictures...";
const char *const kStatusBuilding = "Generating mail ... It will take a few minutes ";

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

std::int64_t positionOf(const QString &entry)
{
    bool ok = false;
    const qlonglong value = entry.trimmed().toLongLong(&ok);
    if (!ok)
        throw AppError("'" + entry.toStdString() + "' is not a valid integer value");
    return value;
}

} // namespace

TFM_Send::TFM_Send(UserDialogs &dialogs, Shell &shell, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , FJob(ConfigSettings::instance())
    , dialogs_(dialogs)
    , shell_(shell)
{
    setObjectName(QStringLiteral("FM_Send"));
    setWindowTitle(QStringLiteral("Sending ..."));
    setFixedSize(400, 115);

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
    LB_p->setGeometry(304, 39, 75, 13);

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

    FSMTP.setObjectName(QStringLiteral("FSMTP"));
    FSMTP.Port = 25;
    FSMTP.SetTimeOut(60);
    FSMTP.PacketSize = 102400;
    FSMTP.SetOnProgress([this](auto, auto total, auto current) {
        FSMTPProgress(&FSMTP, static_cast<qint64>(total), static_cast<qint64>(current));
    });

    FJob.isCancelled = [this] { return Cancelled; };
    FJob.renderProgress = [this](int percent) { setProgress(percent); };
}

TFM_Send::~TFM_Send()
{
    FSMTP.Disconnect();
}

void TFM_Send::serve()
{
    MessagePump::serveNow();
}

void TFM_Send::setProgress(int value)
{
    PB->setValue(std::clamp(value, PB->minimum(), PB->maximum()));
}

void TFM_Send::ShowStatus(const QString &text, const QString &barMode)
{
    MO->setPlainText(text);
    PB->setVisible(barMode != QLatin1String("Hide"));
    repaint();
}

void TFM_Send::LoadLetter(std::int64_t position)
{
    FJob.LoadLetter(MailStore(AppPaths::mailBoxPath()), position);
}

void TFM_Send::RenderPages()
{
    PB->setRange(0, 100);
    FJob.RenderPages();
}

void TFM_Send::BuildHtmlBody()
{
    FJob.BuildHtmlBody();
}

void TFM_Send::AbortJob()
{
    FSMTP.Disconnect();
    FSMTP.Quit();
    Cancelled = true;
}

void TFM_Send::BT_CancelClick()
{
    if (FSMTP.Talk())
        FSMTP.Talk()->Cancelled = true;
    Cancelled = true;
    FSMTP.Disconnect();
    hide();
}

void TFM_Send::reject()
{
    BT_CancelClick();
}

void TFM_Send::FSMTPProgress(QObject *, qint64 Total, qint64 Current)
{
    if (Cancelled)
        return;
    // The bar counts in int; a text beyond that range is shown in kilobytes.
    const qint64 scale = Total > 0x7FFFFFFF ? 1024 : 1;
    PB->setMaximum(static_cast<int>(std::max<qint64>(Total / scale, 1)));
    setProgress(static_cast<int>(std::clamp<qint64>(Current / scale, 0, Total / scale)));
}

bool TFM_Send::SendMails(const QStringList &list, const QString &mode)
{
    const ConfigSettings &settings = ConfigSettings::instance();
    if (FSMTP.Talk())
        FSMTP.Talk()->Cancelled = false;
    BT_Cancel->setFocus();
    const QStringList entries = list;
    FSMTP.Host = settings.ACC_SMTPHost;
    FSMTP.Port = settings.ACC_SMTPPort;
    Cancelled = false;
    // The whole path, however long; the files go straight into it.
    const QString tempFolder = QDir::tempPath() + QLatin1Char('/');

    try {
        for (int i = 0; i < entries.size(); ++i) {
            LB_p->setText(QStringLiteral("Total: %1 Left: %2").arg(entries.size()).arg(entries.size() - i - 1));
            PB->setRange(0, 100);
            PB->setValue(0);
            if (!sendOne(i, positionOf(entries.at(i)), mode, tempFolder))
                return false;
        }
        ShowStatus(QStringLiteral("Quit"), QStringLiteral("Show"));
        FSMTP.Quit();
    } catch (const std::exception &) {
        AbortJob();
        dialogs_.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                            QStringLiteral("Error"));
    }
    AbortJob();
    hide();
    return true;
}

// One mail of the job; false when the job stops here (the status tells why).
bool TFM_Send::sendOne(int index, std::int64_t position, const QString &mode, const QString &tempFolder)
{
    const ConfigSettings &settings = ConfigSettings::instance();
    LoadLetter(position);
    if (Cancelled) {
        AbortJob();
        return false;
    }

    serve();
    ShowStatus(QString::fromLatin1(kStatusRendering), QStringLiteral("Show"));
    RenderPages();
    if (Cancelled) {
        AbortJob();
        return false;
    }

    serve();
    BuildHtmlBody();
    if (Cancelled) {
        AbortJob();
        return false;
    }

    serve();
    ShowStatus(QString::fromLatin1(kStatusBuilding), QStringLiteral("Hide"));
    // Writing the text cannot be interrupted halfway.
    BT_Cancel->setEnabled(false);
    try {
        FJob.Rebuild();
    } catch (...) {
        BT_Cancel->setEnabled(true);
        throw;
    }
    BT_Cancel->setEnabled(true);
    BT_Cancel->setFocus();
    if (Cancelled) {
        AbortJob();
        return false;
    }

    serve();
    const MailStore store(AppPaths::mailBoxPath());
    if (mode == QLatin1String("MSOE")) {
        const QString path = SendJob::emlPath(tempFolder, index);
        FJob.SaveToFile(path);
        shell_.openFile(path);
        store.SetBoxCode(position, "s");
        return true;
    }

    ShowStatus(QStringLiteral("Connecting ") + Ansi::toQString(settings.ACC_SMTPHost) + QStringLiteral(" ..."),
               QStringLiteral("Show"));
    PB->setValue(0);
    if (!FSMTP.Connect()) {
        ShowStatus(QStringLiteral("Connect error!"), QStringLiteral("Show"));
        return false;
    }
    if (Cancelled) {
        AbortJob();
        return false;
    }
    if (FSMTP.LoginReady() && !FSMTP.Login(settings.ACC_SMTPUser, settings.ACC_SMTPPass)) {
        ShowStatus(QStringLiteral("Login error! Please check your SMTP account"), QStringLiteral("Show"));
        return false;
    }
    if (Cancelled) {
        AbortJob();
        return false;
    }
    ShowStatus(QStringLiteral("Sending mail..."), QStringLiteral("Show"));
    FSMTP.MailMessage = &FJob.FMailMsg;
    if (!FSMTP.SendMail()) {
        ShowStatus(QStringLiteral("Error: ") + Ansi::toQString(FSMTP.LastReply()), QStringLiteral("Hide"));
        AbortJob();
        return false;
    }
    PB->setValue(PB->maximum());
    store.SetBoxCode(position, "s");
    FSMTP.Quit();
    return true;
}
