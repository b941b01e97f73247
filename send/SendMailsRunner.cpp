#include "send/SendMailsRunner.h"

#include "config/ConfigSettings.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "os/EmlHandOver.h"
#include "os/MessagePump.h"
#include "os/Shell.h"
#include "smtp/CertificateTrust.h"
#include "smtp/TSocketTalk.h"
#include "text/Ansi.h"

#include <QDir>
#include <algorithm>
#include <exception>

namespace {

const char *const kStatusRendering = "Generating pictures...";
const char *const kStatusBuilding = "Generating mail ... It will take a few minutes ";

std::int64_t positionOf(const QString &entry)
{
    bool ok = false;
    const qlonglong value = entry.trimmed().toLongLong(&ok);
    if (!ok)
        throw AppError("'" + entry.toStdString() + "' is not a valid integer value");
    return value;
}

} // namespace

SendMailsRunner::SendMailsRunner(const ConfigSettings &settings, QString mailBoxPath, Shell &shell, QObject *parent)
    : QObject(parent)
    , FJob(settings)
    , m_settings(settings)
    , m_mailBoxPath(std::move(mailBoxPath))
    , m_shell(shell)
    , m_watch(FSMTP)
    , m_delivery(FSMTP)
{
    FSMTP.setObjectName(QStringLiteral("FSMTP"));
    FSMTP.Port = 25;
    FSMTP.SetTimeOut(60);
    FSMTP.PacketSize = 102400;
    FSMTP.SetOnProgress([this](auto, auto total, auto current) {
        FSMTPProgress(&FSMTP, static_cast<qint64>(total), static_cast<qint64>(current));
    });

    connect(&m_watch, &SmtpStepWatch::step, this, [this](const QString &text) { emit statusChanged(text, true); });

    // What the dialog shows at each step of a delivery; a failure is worded in deliver().
    m_delivery.isCancelled = [this] { return Cancelled; };
    m_delivery.connectAttempt = [this] { m_watch.start(); };
    m_delivery.trustCertificate = [this](const CertificateFacts &facts) {
        return certificateTrust && !Cancelled && certificateTrust->trustCertificate(facts) && !Cancelled;
    };
    m_delivery.stepStarting = [this](SmtpDelivery::Step step) {
        switch (step) {
        case SmtpDelivery::Step::Connect:
            emit statusChanged(QStringLiteral("Connecting ") + Ansi::toQString(m_settings.ACC_SMTPHost)
                                   + QStringLiteral(" ..."),
                               true);
            setProgress(0, 100);
            break;
        case SmtpDelivery::Step::Login:
            emit statusChanged(QStringLiteral("Logging in as %1 ...").arg(Ansi::toQString(m_settings.ACC_SMTPUser)), true);
            break;
        case SmtpDelivery::Step::Send:
            showStatus("Sending mail...", true);
            break;
        }
    };

    m_delivery.accessStarting = [this](SmtpDelivery::Access access) {
        emit statusChanged(access == SmtpDelivery::Access::SigningIn
                               ? QStringLiteral("Signing in as %1 ...").arg(Ansi::toQString(m_settings.ACC_SMTPUser))
                               : QStringLiteral("Refreshing access ..."),
                           true);
    };

    FJob.isCancelled = [this] { return Cancelled; };
    FJob.renderProgress = [this](int percent) { setProgress(percent, 100); };
}

SendMailsRunner::~SendMailsRunner()
{
    FSMTP.Disconnect();
}

void SendMailsRunner::showStatus(const char *text, bool barShown)
{
    emit statusChanged(QString::fromLatin1(text), barShown);
}

void SendMailsRunner::setProgress(int value, int maximum)
{
    emit progressChanged(std::clamp(value, 0, maximum), maximum);
}

void SendMailsRunner::LoadLetter(std::int64_t position)
{
    FJob.LoadLetter(MailStore(m_mailBoxPath), position);
}

void SendMailsRunner::RenderPages()
{
    setProgress(0, 100);
    FJob.RenderPages();
}

void SendMailsRunner::BuildHtmlBody()
{
    FJob.BuildHtmlBody();
}

void SendMailsRunner::AbortJob()
{
    FSMTP.Disconnect();
    FSMTP.Quit();
    Cancelled = true;
}

void SendMailsRunner::Cancel()
{
    if (FSMTP.Talk())
        FSMTP.Talk()->Cancelled = true;
    Cancelled = true;
    FSMTP.Disconnect();
}

void SendMailsRunner::FSMTPProgress(QObject *, qint64 Total, qint64 Current)
{
    if (Cancelled)
        return;
    // The bar counts in int; a text beyond that range is shown in kilobytes.
    const qint64 scale = Total > 0x7FFFFFFF ? 1024 : 1;
    const int maximum = static_cast<int>(std::max<qint64>(Total / scale, 1));
    setProgress(static_cast<int>(std::clamp<qint64>(Current / scale, 0, maximum)), maximum);
}

bool SendMailsRunner::stopIfCancelled()
{
    if (!Cancelled)
        return false;
    AbortJob();
    return true;
}

bool SendMailsRunner::SendMails(const QStringList &list, SendMode mode)
{
    if (FSMTP.Talk())
        FSMTP.Talk()->Cancelled = false;
    const QStringList entries = list;
    SmtpAccount account = SmtpAccount::fromSettings(m_settings);
    account.pinsFile = configPath;
    m_delivery.setAccount(account);
    // A certificate trusted without being kept holds for this job only.
    m_delivery.forgetTrusted();
    Cancelled = false;
    // A run starts with an empty status, not with the outcome of the run before.
    emit statusChanged(QString(), true);
    // The hand-over files of this job share one private folder of the temporary folder.
    EmlHandOver handOver(QDir::tempPath());

    try {
        for (int i = 0; i < entries.size(); ++i) {
            emit countChanged(QStringLiteral("Total: %1 Left: %2").arg(entries.size()).arg(entries.size() - i - 1));
            setProgress(0, 100);
            if (!sendOne(positionOf(entries.at(i)), mode, handOver))
                return false;
        }
        showStatus("Quit", true);
        FSMTP.Quit();
    } catch (const std::exception &e) {
        AbortJob();
        emit failed(QString::fromUtf8(e.what()));
    }
    AbortJob();
    emit closeRequested();
    return true;
}

// One mail of the job; false when the job stops here (the status tells why).
bool SendMailsRunner::sendOne(std::int64_t position, SendMode mode, EmlHandOver &handOver)
{
    const bool desktop = mode == SendMode::Desktop;
    // The bodies of large attachments stay in the store until they are sent or written
    // to the hand-over file.
    FJob.LoadLetterLeavingBodies(MailStore(m_mailBoxPath), position);
    if (stopIfCancelled())
        return false;

    MessagePump::serveNow();
    showStatus(kStatusRendering, true);
    RenderPages();
    if (stopIfCancelled())
        return false;

    // The mail is generated from here on: said before it begins, and shown at once.
    showStatus(kStatusBuilding, false);
    MessagePump::serveNow();
    BuildHtmlBody();
    if (stopIfCancelled())
        return false;

    MessagePump::serveNow();
    // Writing the text cannot be interrupted halfway.
    emit cancelAllowed(false);
    try {
        // A mail with bodies left in the store is written while it is sent.
        if (FJob.hasOuterBodies())
            FJob.RebuildHeaders();
        else
            FJob.Rebuild();
    } catch (...) {
        emit cancelAllowed(true);
        throw;
    }
    emit cancelAllowed(true);
    if (stopIfCancelled())
        return false;

    MessagePump::serveNow();
    const MailStore store(m_mailBoxPath);
    if (desktop) {
        m_shell.openFile(handOver.write([this](const EmlHandOver::PieceWriter &put) { FJob.WriteHandOver(put); }));
        store.SetBoxCode(position, BoxCode::Sent);
        return true;
    }

    return deliver(position);
}

// Sends the built mail through SMTP; false when the job stops here, with the failure in
// the status: every one says why, so the user can act on it (name, port, certificate,
// password, what the server refused).
bool SendMailsRunner::deliver(std::int64_t position)
{
    FSMTP.RebuildWhileSending = FJob.hasOuterBodies();
    FSMTP.OuterBody = [this](std::string_view piece) { return FJob.outerBody(piece); };
    if (m_delivery.deliver(FJob.FMailMsg)) {
        emit progressChanged(1, 1); // full
        MailStore(m_mailBoxPath).SetBoxCode(position, BoxCode::Sent);
        FSMTP.Quit();
        return true;
    }
    const std::optional<SmtpDelivery::Step> failed = m_delivery.failedStep();
    if (!failed) {
        stopIfCancelled();
        return false;
    }
    switch (*failed) {
    case SmtpDelivery::Step::Connect:
        emit statusChanged(QStringLiteral("Connect error!\r\n") + SendFailure::connectReason(m_watch.facts()), true);
        return false;
    case SmtpDelivery::Step::Login:
        // An OAuth2 login that got no token: the reason, and when only a new sign-in
        // helps, where to do it. The mail stays in its box, unsent.
        if (!m_delivery.accessProblem().isEmpty()) {
            emit statusChanged(QStringLiteral("Login error! ") + m_delivery.accessProblem()
                                   + (m_delivery.signInAgain()
                                          ? QStringLiteral("\r\nSign in again: Settings, SMTP page, \"Sign in\".")
                                          : QString()),
                               true);
            return false;
        }
        emit statusChanged(QStringLiteral("Login error! Please check your SMTP account\r\n")
                               + SendFailure::loginReason(m_watch.facts()),
                           true);
        return false;
    case SmtpDelivery::Step::Send:
        break;
    }
    // A size refusal names both sizes: the server's reply alone seldom does.
    const QString reason = FSMTP.SizeRefusal().empty() ? SendFailure::replyReason(m_watch.facts())
                                                        : QString::fromStdString(FSMTP.SizeRefusal());
    emit statusChanged(QStringLiteral("Error: ") + reason, false);
    AbortJob();
    return false;
}
