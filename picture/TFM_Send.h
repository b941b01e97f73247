#pragma once

#include "SendJob.h"
#include "TSMTP.h"

#include <QDialog>
#include <QStringList>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class Shell;
class UserDialogs;

// The send dialog: runs one send job over a list of stored mails, showing what happens,
// how many mails are left and a progress bar, with a Cancel button that works at every
// step. Each mail is loaded, rendered to pictures, built as an HTML picture mail and
// either sent through SMTP ("Self") or saved as an .eml file in the temporary folder and
// handed to the desktop's mail program ("MSOE"); a mail that went out moves to the sent box.
// The steps themselves live in SendJob; this window sequences them and reports.
class TFM_Send : public QDialog
{
    Q_OBJECT

public:
    TFM_Send(UserDialogs &dialogs, Shell &shell, QWidget *parent = nullptr);
    ~TFM_Send() override;

    // Controls.
    QFrame *Panel1 = nullptr;
    QLabel *Image1 = nullptr;
    QPlainTextEdit *MO = nullptr;
    QLabel *LB_p = nullptr;
    QProgressBar *PB = nullptr;
    QPushButton *BT_Cancel = nullptr;

    // Components.
    TSMTP FSMTP;
    SendJob FJob; // holds the letter (FEdt), the mail (FMailMsg) and PageCount

    // The job is to stop.
    bool Cancelled = false;

    // Runs a job over the record positions (decimal texts) of stored mails. Mode "MSOE"
    // hands each mail to the desktop's mail program, any other mode sends through SMTP.
    // True when the job ran to its end or ended through the general error path (the
    // dialog has then closed itself); false when cancelled or stopped at a connect,
    // login or send failure (the dialog stays open with the reason).
    bool SendMails(const QStringList &list, const QString &mode);

    // Puts the text into the status memo; the progress bar shows unless barMode is "Hide".
    void ShowStatus(const QString &text, const QString &barMode);
    // Loads one stored mail into FMailMsg and its letter into FEdt.
    void LoadLetter(std::int64_t position);
    void RenderPages();
    void BuildHtmlBody();
    // Ends the session (if any) and marks the job cancelled.
    void AbortJob();
    void BT_CancelClick();
    // Bytes of the mail text sent so far.
    void FSMTPProgress(QObject *Sender, qint64 Total, qint64 Current);

    int PageCount() const { return FJob.PageCount; }

    // Escape and the window's close act as Cancel.
    void reject() override;

private:
    void serve();
    bool sendOne(int index, std::int64_t position, const QString &mode, const QString &tempFolder);
    void setProgress(int value);

    UserDialogs &dialogs_;
    Shell &shell_;
};
