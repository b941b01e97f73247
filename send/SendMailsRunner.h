#pragma once

#include "picture/SendJob.h"
#include "send/SendMode.h"
#include "send/SmtpDelivery.h"
#include "send/SmtpStepWatch.h"
#include "smtp/TSMTP.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>

struct ConfigSettings;
class EmlHandOver;
class CertificateTrust;
class Shell;

// One send job over a list of stored mails, without a window: each mail is loaded,
// rendered to pictures, built as an HTML picture mail and either sent through SMTP
// (SendMode::Smtp) or saved as an .eml file in the temporary folder and handed to the desktop's
// mail program (SendMode::Desktop); a mail that went out moves to the sent box. What happens is
// reported through signals, which the send dialog shows: each step as it happens, and a
// failure with its reason.
class SendMailsRunner : public QObject
{
    Q_OBJECT

public:
    // The settings are read as the job runs; they and the shell must outlive the runner.
    SendMailsRunner(const ConfigSettings &settings, QString mailBoxPath, Shell &shell, QObject *parent = nullptr);
    ~SendMailsRunner() override;

    TSMTP FSMTP;
    SendJob FJob; // holds the letter (FEdt), the mail (FMailMsg) and PageCount

    // The job is to stop.
    bool Cancelled = false;

    // Asked when a server's certificate fails the normal checks; none: the send fails with
    // the reason. Not owned.
    CertificateTrust *certificateTrust = nullptr;
    // The Config.dat that keeps the trusted certificates; empty: a yes holds for this job only.
    QString configPath;

    // Runs a job over the record positions (decimal texts). True when it ran to its end or
    // ended through the general error path (failed() was emitted); false when cancelled or
    // stopped at a connect, login or send failure (the last status tells why: its first
    // line the short message, then the reason).
    bool SendMails(const QStringList &list, SendMode mode);

    // Loads one stored mail into FMailMsg and its letter into FEdt.
    void LoadLetter(std::int64_t position);
    void RenderPages();
    void BuildHtmlBody();
    // Ends the session (if any) and marks the job cancelled.
    void AbortJob();
    // The user cancels: waits end at once and the connection closes.
    void Cancel();
    // Bytes of the mail text sent so far.
    void FSMTPProgress(QObject *Sender, qint64 Total, qint64 Current);

signals:
    // "Total: <n> Left: <mails after this one>".
    void countChanged(const QString &text);
    // The status text, and whether the progress bar shows with it.
    void statusChanged(const QString &text, bool barShown);
    void progressChanged(int value, int maximum);
    // Cancelling is not possible while the mail text is written.
    void cancelAllowed(bool allowed);
    // The general error path: something went wrong that the status cannot tell; the
    // reason in words.
    void failed(const QString &reason);
    // The job is over and the dialog should close.
    void closeRequested();

private:
    bool sendOne(std::int64_t position, SendMode mode, EmlHandOver &handOver);
    bool deliver(std::int64_t position);
    void showStatus(const char *text, bool barShown);
    void setProgress(int value, int maximum);
    bool stopIfCancelled();

    const ConfigSettings &m_settings;
    QString m_mailBoxPath;
    Shell &m_shell;
    SmtpStepWatch m_watch;
    SmtpDelivery m_delivery;
};
