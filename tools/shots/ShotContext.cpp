#include "tools/shots/ShotContext.h"

#include "config/ConfigFile.h"
#include "config/DataFiles.h"
#include "mailbox/MailStore.h"
#include "os/Clock.h"
#include "os/RandomSource.h"
#include "os/Shell.h"
#include "ui/HelpLauncher.h"
#include "ui/UserDialogs.h"

#include <QCoreApplication>
#include <QFile>

namespace {

class QuietDialogs : public UserDialogs
{
public:
    Answer messageBox(Kind, const QString &, const QString &, Buttons) override { return Answer::Cancel; }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QStringList openFileNames(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString &) override { return {}; }
};

class QuietShell : public Shell
{
public:
    bool openUrl(const QUrl &) override { return true; }
};

class DemoClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 8), QTime(9, 30)); }
};

class FirstRandom : public RandomSource
{
public:
    int bounded(int) override { return 0; }
};

class QuietHelp : public HelpLauncher
{
public:
    int HtmlHelp(QObject *, const QString &, int, int) override { return 1; }
};

std::string demoMail(const std::string &to, const std::string &subject, const std::string &date,
                     const std::string &letter)
{
    return "From: \"Ann Sender\" <ann@example.com>\r\n"
           "To: " + to + "\r\n"
           "Subject: " + subject + "\r\n"
           "Date: " + date + "\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
           "Content-Transfer-Encoding: 8bit\r\n"
           "\r\n"
           "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs22 " + letter + "\\par}\r\n";
}

} // namespace

ShotContext::ShotContext()
    : m_paths(DataPaths::besideExecutable(m_dir.path()))
    , m_dialogs(std::make_unique<QuietDialogs>())
    , m_shell(std::make_unique<QuietShell>())
    , m_clock(std::make_unique<DemoClock>())
    , m_random(std::make_unique<FirstRandom>())
    , m_help(std::make_unique<QuietHelp>())
{
    m_paths.help = QCoreApplication::applicationDirPath() + QStringLiteral("/help/");
    writeDemoData();
    m_parts = std::make_unique<AppAssembly>(AppAssembly::Seams{*m_dialogs, *m_shell, *m_clock, *m_random, *m_help},
                                            m_settings, m_paths);
    m_parts->loadConfiguration();
}

ShotContext::~ShotContext() = default;

void ShotContext::writeDemoData()
{
    QFile config(m_paths.config);
    if (config.open(QIODevice::WriteOnly)) {
        QByteArray text = FirstRunConfigText();
        text.replace("ACC_FromName=\r\n", "ACC_FromName=Ann Sender\r\n");
        text.replace("ACC_FromAdd=\r\n", "ACC_FromAdd=ann@example.com\r\n");
        text.replace("ACC_ReplyName=\r\n", "ACC_ReplyName=Ann Sender\r\n");
        text.replace("ACC_ReplyAdd=\r\n", "ACC_ReplyAdd=ann@example.com\r\n");
        text.replace("ACC_SMTPHost=\r\n", "ACC_SMTPHost=smtp.example.com\r\n");
        text.replace("ACC_SMTPPort=25\r\n", "ACC_SMTPPort=587\r\n");
        text.replace("ACC_SMTPUser=\r\n", "ACC_SMTPUser=ann\r\n");
        text.replace("ACC_SMTPPass=\r\n", "ACC_SMTPPass=secret\r\n");
        text += "[Address List]\r\n"
                "Bob=bob@example.com\r\n"
                "Carol Jones=carol@example.org\r\n"
                "Dave=dave@example.net\r\n";
        config.write(text);
    }
    DataFiles::ensureMailBoxFile(m_paths.mailBox);
    const MailStore store(m_paths.mailBox);
    store.AppendMail(demoMail("Bob <bob@example.com>", "Quarterly report", "Mon, 07 Dec 2026 09:12:00 +0000",
                              "Here is the quarterly report."), BoxCode::Unsent, 'N');
    store.AppendMail(demoMail("Carol Jones <carol@example.org>", "Holiday pictures", "Sun, 06 Dec 2026 18:40:00 +0000",
                              "The pictures from our trip."), BoxCode::Unsent, 'N');
    store.AppendMail(demoMail("Dave <dave@example.net>", "Meeting on Friday", "Fri, 04 Dec 2026 11:05:00 +0000",
                              "See you on Friday at ten."), BoxCode::Sent, 'N');
    store.AppendMail(demoMail("Bob <bob@example.com>", "Old draft", "Tue, 01 Dec 2026 08:00:00 +0000",
                              "An old draft."), BoxCode::Trash, 'N');
}
