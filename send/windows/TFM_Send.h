#pragma once

#include "send/SendMailsRunner.h"
#include "send/SendMode.h"
#include "ui/CertificateQuestion.h"

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <vector>

class QFrame;
class QLabel;
class QTextEdit;
class QProgressBar;
class QPushButton;
class Shell;
class UserDialogs;
struct ConfigSettings;
struct WindowServices;

// The send dialog: shows a send job as it runs (each step as it happens, how many mails
// are left, a progress bar) with a Cancel button that works at every step. A failure shows
// with its whole reason, wrapped and selectable; the window grows to show it and can be
// resized. The job itself is SendMailsRunner's; this window starts it and shows what it
// reports.
class TFM_Send : public QDialog
{
    Q_OBJECT

public:
    TFM_Send(UserDialogs &dialogs, Shell &shell, const ConfigSettings &settings, const QString &mailBoxPath,
             QWidget *parent = nullptr);
    explicit TFM_Send(WindowServices &services, QWidget *parent = nullptr);

    // Controls.
    QFrame *Panel1 = nullptr;
    QLabel *Image1 = nullptr;
    QTextEdit *MO = nullptr;
    QLabel *LB_p = nullptr;
    QProgressBar *PB = nullptr;
    QPushButton *BT_Cancel = nullptr;

private:
    SendMailsRunner m_runner;

public:
    // The job's components and state, as the runner holds them.
    TSMTP &FSMTP = m_runner.FSMTP;
    SendJob &FJob = m_runner.FJob;
    bool &Cancelled = m_runner.Cancelled;

    // Runs a job over the record positions (decimal texts) of stored mails. Mode "MSOE"
    // hands each mail to the desktop's mail program, any other mode sends through SMTP.
    // True when the job ran to its end or ended through the general error path (the
    // dialog has then closed itself); false when cancelled or stopped at a connect,
    // login or send failure (the dialog stays open with the reason).
    bool SendMails(const QStringList &list, const QString &mode);
    // The same for the typed request the other windows make.
    bool SendMails(const std::vector<std::int64_t> &positions, SendMode mode);

    // Puts the text into the status memo; the progress bar shows unless barMode is "Hide".
    void ShowStatus(const QString &text, const QString &barMode);
    void BT_CancelClick();

    int PageCount() const { return FJob.PageCount; }

    // Who answers when a server's certificate fails the checks (by default the question
    // box of this window), and the Config.dat that keeps a trusted one.
    void setCertificateTrust(CertificateTrust *trust) { m_runner.certificateTrust = trust; }
    void setConfigPath(const QString &path) { m_runner.configPath = path; }
    CertificateQuestion &certificateQuestion() { return m_question; }

    // Escape and the window's close act as Cancel.
    void reject() override;

private:
    bool runJob(const QStringList &list, SendMode mode);
    void showStatus(const QString &text, bool barShown);
    void showProgress(int value, int maximum);
    void allowCancel(bool allowed);
    void reportFailure(const QString &reason);
    // Tells assistive technology the status text as an alert (a failure).
    void announceStatus();
    // Grows the window until the status text shows whole (up to most of the screen).
    void fitStatus();

    UserDialogs &m_dialogs;
    CertificateQuestion m_question{this};
    int m_heightBeforeFit = 0; // the height before fitStatus grew the window; 0: not grown
};
