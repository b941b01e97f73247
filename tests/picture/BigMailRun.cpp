#include "tests/picture/BigMailRun.h"

#include "composer/MailStorer.h"
#include "config/ConfigSettings.h"
#include "config/DataFiles.h"
#include "mail/TMailMessage.h"
#include "mailbox/MailBoxCore.h"
#include "mailbox/MailStore.h"
#include "os/Clock.h"
#include "os/Shell.h"
#include "send/SendMailsRunner.h"
#include "ui/WorkerStep.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QWidget>
#include <fstream>
#include <string>

namespace {

class NowClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class NoShell : public Shell
{
public:
    bool openUrl(const QUrl &url) override
    {
        opened.append(url.toLocalFile());
        return true;
    }
    QStringList opened;
};

// Starts a new peak: the high-water mark falls back to what the process holds now.
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The longest time the event loop let a 5 ms timer wait, and how often it fired.
class LoopWatch
{
public:
    LoopWatch()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.elapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
            ++m_ticks;
        });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_ticks = 0;
        m_timer.start();
    }
    void stop()
    {
        m_longest = std::max(m_longest, m_clock.elapsed() - m_last);
        m_timer.stop();
    }
    qint64 longest() const { return m_longest; }
    int ticks() const { return m_ticks; }
    qint64 elapsed() const { return m_clock.elapsed(); }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    int m_ticks = 0;
};

QString pythonPath()
{
#ifdef VELLORN_PYTHON3
    return QStringLiteral(VELLORN_PYTHON3);
#else
    return QStringLiteral("python3");
#endif
}

QString discardScript()
{
#ifdef VELLORN_SUPPORT_DIR
    return QStringLiteral(VELLORN_SUPPORT_DIR "/smtp_discard.py");
#else
    return QStringLiteral(VELLORN_SOURCE_DIR "/tests/support/smtp_discard.py");
#endif
}

} // namespace

qint64 BigMailRun::statusKb(const char *field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0)
            return std::stoll(line.substr(prefix.size()));
    return -1;
}

BigMailRun::Figures BigMailRun::run(const QString &folder, qint64 megabytes)
{
    Figures f;
    const QString config = folder + QStringLiteral("/Config.dat");
    const QString mailBox = folder + QStringLiteral("/MailBox.dat");
    const QString file = folder + QStringLiteral("/big.bin");
    DataFiles::ensureConfigFile(config);
    DataFiles::ensureMailBoxFile(mailBox);

    // The server that keeps nothing.
    QProcess server;
    server.start(pythonPath(), {discardScript()});
    if (!server.waitForStarted(10000) || !server.waitForReadyRead(10000)) {
        f.error = QStringLiteral("the discard server did not start");
        return f;
    }
    const int port = server.readLine().trimmed().toInt();

    ConfigSettings settings = ConfigSettings::firstRun();
    settings.ACC_FromName = "Ann Sender";
    settings.ACC_FromAdd = "ann@example.com";
    settings.ACC_SMTPHost = "127.0.0.1";
    settings.ACC_SMTPPort = port;
    settings.ACC_SMTPUser = "ann";
    settings.ACC_SMTPPass = "secret";
    settings.ACC_SMTPSecurity = SmtpSecurity::None;
    QWidget window;
    window.resize(300, 200);
    window.show();
    QCoreApplication::processEvents();

    {
        QFile sparse(file);
        if (!sparse.open(QIODevice::WriteOnly) || !sparse.resize(megabytes * 1024 * 1024)) {
            f.error = QStringLiteral("cannot make the sparse file");
            return f;
        }
    }
    QTextDocument letter;
    QTextCursor(&letter).insertText(QStringLiteral("Dear Bob,\nthe recording is attached.\nAnn"));
    f.idleKb = statusKb("VmRSS");
    LoopWatch watch;

    // Storing, as the composer stores a large mail.
    resetPeak();
    std::int64_t position = -1;
    try {
        NowClock clock;
        MailStorer storer(settings, clock, mailBox, config, folder);
        TMailMessage msg;
        std::vector<AttachmentRow> rows{{QStringLiteral("recording.bin"), file, AttachmentRow::File}};
        const ComposedMail mail{&letter, QStringLiteral("bob@example.com"), {}, {}, QStringLiteral("The recording"),
                                ComposeMode::New, BoxCode::Unsent};
        watch.start();
        PreparedMail prepared = storer.prepare(msg, mail, rows);
        f.recordBytes = prepared.length();
        WorkerStep::run(&window, QStringLiteral("Storing the mail..."),
                        [&](const WorkerStep::Progress &progress) { position = prepared.write(progress); });
        prepared.release();
        watch.stop();
    } catch (const std::exception &e) {
        f.error = QString::fromUtf8(e.what());
        return f;
    }
    f.storeMs = watch.elapsed();
    f.storeGapMs = watch.longest();
    f.storeTicks = watch.ticks();
    f.storePeakKb = statusKb("VmHWM");
    if (position < 0) {
        f.error = QStringLiteral("the mail was not stored");
        return f;
    }

    // Selecting it: the preview reads the text part only.
    resetPeak();
    {
        TMailMessage shown;
        watch.start();
        MailStore(mailBox).LoadMailShown(position, shown);
        watch.stop();
        if (shown.Attachments.Count() == 1)
            f.attachmentName = shown.Attachments[0]->AttachmentFileNameText();
    }
    f.selectMs = watch.elapsed();
    f.selectGapMs = watch.longest();
    f.selectPeakKb = statusKb("VmHWM");

    // Sending it through SMTP, as the send dialog does.
    resetPeak();
    {
        NoShell shell;
        SendMailsRunner runner(settings, mailBox, shell);
        QString failure;
        QObject::connect(&runner, &SendMailsRunner::statusChanged, [&failure](const QString &text, bool) {
            if (text.startsWith(QLatin1String("Error")) || text.startsWith(QLatin1String("Connect error")))
                failure = text;
        });
        watch.start();
        const bool sent = runner.SendMails({QString::number(position)}, SendMode::Smtp);
        watch.stop();
        if (!sent || !failure.isEmpty()) {
            f.error = QStringLiteral("the send failed: ") + failure;
            return f;
        }
    }
    f.sendMs = watch.elapsed();
    f.sendGapMs = watch.longest();
    f.sendTicks = watch.ticks();
    f.sendPeakKb = statusKb("VmHWM");
    QByteArray said = server.readAll();
    // The server says what it received once the mail is in.
    while (!said.contains('\n') && server.waitForReadyRead(10000))
        said += server.readAll();
    const qsizetype at = said.indexOf("received ");
    if (at >= 0)
        f.sentBytes = said.mid(at + 9).trimmed().split('\n').first().toLongLong();
    server.kill();
    server.waitForFinished(5000);
    QFile::remove(file);

    // Opening it for changes, as Modify does: the attachment is copied out of the store.
    resetPeak();
    {
        settings.BOX_CurrentBox = "UnsentBox";
        MailBoxCore core(settings, mailBox);
        TMailMessage message;
        QStringList files;
        try {
            core.ReloadBoxes();
            // Sent, the mail is in the sent box now.
            core.showBox(BoxCode::Sent);
            const int row = core.rowOf(position);
            watch.start();
            files = core.loadMailForChange(row, message, folder);
            watch.stop();
        } catch (const std::exception &e) {
            f.error = QStringLiteral("opening for changes: ") + QString::fromUtf8(e.what());
            return f;
        }
        f.modifyPeakKb = statusKb("VmHWM");
        f.modifyMs = watch.elapsed();
        if (files.size() == 1) {
            f.copiedBytes = QFileInfo(files[0]).size();
            QDir(QFileInfo(files[0]).absolutePath()).removeRecursively();
        }
    }

    // Handing it to the desktop's mail program.
    resetPeak();
    {
        NoShell shell;
        SendMailsRunner runner(settings, mailBox, shell);
        watch.start();
        const bool handed = runner.SendMails({QString::number(position)}, SendMode::Desktop);
        watch.stop();
        if (!handed || shell.opened.size() != 1) {
            f.error = QStringLiteral("the hand-over failed");
            return f;
        }
        f.handOverPeakKb = statusKb("VmHWM");
        f.handOverMs = watch.elapsed();
        f.handOverBytes = QFileInfo(shell.opened[0]).size();
        QDir(QFileInfo(shell.opened[0]).absolutePath()).removeRecursively();
    }
    f.ok = true;
    return f;
}
