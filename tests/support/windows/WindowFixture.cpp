#include "tests/support/windows/WindowFixture.h"

#include "config/ConfigFile.h"
#include "config/DataFiles.h"
#include "mailbox/MailStore.h"
#include "picture/windows/TFM_Preview.h"
#include "tests/support/TestFiles.h"

#include <QtTest>

namespace {

DataPaths pathsIn(const QTemporaryDir &dir)
{
    DataPaths paths = DataPaths::besideExecutable(dir.path());
    // The help pages are those of the source tree.
    paths.help = QStringLiteral(VELLORN_SOURCE_DIR "/help/");
    return paths;
}

} // namespace

WindowFixture::WindowFixture()
    : paths(pathsIn(dir))
    , services{dialogs, shell, clock, random, settings, paths, help, links, opener}
{
    if (!dir.isValid())
        qFatal("WindowFixture: no temporary folder");
    DataFiles::ensureConfigFile(paths.config);
    DataFiles::ensureMailBoxFile(paths.mailBox);
    LoadConfig(settings, paths.config);
    opener.services = &services;
}

void RecordingOpener::showPreview(std::function<PicturePreview::Input()> source, QWidget *owner, bool print)
{
    if (services)
        TFM_Preview::showBeside(*services, std::move(source), owner, print);
}

void WindowFixture::writeConfig(const QByteArray &iniText)
{
    TestFiles::write(paths.config, iniText);
    settings = ConfigSettings();
    LoadConfig(settings, paths.config);
}

void WindowFixture::configureAccount(const QString &host, int port)
{
    settings.ACC_SMTPHost = host.toStdString();
    settings.ACC_SMTPPort = port;
    settings.ACC_SMTPUser = "user";
    settings.ACC_SMTPPass = "secret";
    settings.ACC_FromName = "Ann Sender";
    settings.ACC_FromAdd = "ann@example.com";
    settings.ACC_ReplyName = "Ann Sender";
    settings.ACC_ReplyAdd = "ann@example.com";
}

std::int64_t WindowFixture::addMail(const std::string &mailText, char boxCode, char attachFlag)
{
    return MailStore(paths.mailBox).AppendMail(mailText, boxCode, attachFlag);
}

std::string WindowFixture::sampleMail(const std::string &to, const std::string &subject, const std::string &letter)
{
    return "From: \"Ann Sender\" <ann@example.com>\r\n"
           "To: " + to + "\r\n"
           "Subject: " + subject + "\r\n"
           "Date: Mon, 02 Dec 2002 10:20:30 +0000\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
           "Content-Transfer-Encoding: 8bit\r\n"
           "\r\n"
           "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 " + letter + "\\par}\r\n";
}
