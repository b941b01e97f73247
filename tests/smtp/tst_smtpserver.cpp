#include "mail/TMailMessage.h"
#include "os/AppError.h"
#include "smtp/TSMTP.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/TestFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <random>

// End to end against a real SMTP server (Debian's python3-aiosmtpd): what the server
// receives is exactly the message text, with the right envelope and without "Bcc".
class TestSmtpServer : public QObject
{
    Q_OBJECT

    AiosmtpdServer m_server;

    // Lone CR and lone LF made CR LF, and a final CR LF: the text as a server stores it.
    static QByteArray crlfText(const std::string &text)
    {
        QByteArray out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' || text[i] == '\n') {
                out += "\r\n";
                if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
            } else {
                out += text[i];
            }
        }
        if (!out.endsWith("\r\n"))
            out += "\r\n";
        return out;
    }

    static void address(TMailMessage &message)
    {
        message.SetFrom("Vera Sender", "vera@vellorn.test");
        message.ToRecipients.SetAll("Bob", "bob@x.test");
        message.CcRecipients.SetAll("", "carol@x.test");
        message.BccRecipients.SetAll("Hidden", "zed@hidden.test");
        message.SetSubject("Test");
    }

    // The text the server must receive: the message's text without its "Bcc" field.
    static QByteArray expectedText(TMailMessage &message)
    {
        const std::vector<std::string> saved = message.Headers;
        message.SetHeaderValue("Bcc", "");
        const std::string text = message.SourceText();
        message.Headers = saved;
        return crlfText(text);
    }

    void connect(TSMTP &smtp)
    {
        smtp.Host = m_server.host().toStdString();
        smtp.Port = m_server.port();
        smtp.SetTimeOut(10);
        QVERIFY(smtp.Connect());
        QVERIFY(smtp.LoginReady());
        QVERIFY(smtp.Login("user", "secret"));
    }

private slots:
    void initTestCase()
    {
        m_server.setLogin("user", "secret");
        QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
    }

    void init()
    {
        m_server.clearMails();
    }

    // Four mails in one session: dot lines, bare LF line ends, 5 MB, and 5 MB written
    // from its parts while it is sent.
    void fourMails()
    {
        TSMTP smtp;
        connect(smtp);

        TMailMessage dots;
        address(dots);
        dots.SetPlainText(".leading dot\r\n.\r\n..two dots\r\nlast line .\r\n");
        dots.Rebuild();

        TMailMessage bareLf;
        address(bareLf);
        bareLf.SetPlainText("placeholder\r\n");
        bareLf.Rebuild();
        // Line ends as a careless producer leaves them, the "smuggling" sequence included.
        bareLf.EncodedBody = "first\nsecond\r\n.\nMAIL FROM: <evil@x.test>\nthird\rfourth";

        TMailMessage large;
        address(large);
        large.SetPlainText("See the attachment.\r\n");
        std::string bytes(5 * 1024 * 1024, '\0');
        std::mt19937 random(7);
        for (char &c : bytes)
            c = static_cast<char>(random() & 0xFF);
        large.AttachStream(bytes, "data.bin");
        large.Rebuild();

        TMailMessage fromParts;
        address(fromParts);
        fromParts.SetPlainText(".leading dot\r\nSee the attachment.\r\n");
        fromParts.AttachStream(bytes, "data.bin");

        int sent = 0;
        for (TMailMessage *message : {&dots, &bareLf, &large, &fromParts}) {
            smtp.MailMessage = message;
            smtp.RebuildWhileSending = message == &fromParts;
            QVERIFY2(smtp.SendMail(), smtp.LastReply().c_str());
            if (message == &fromParts) {
                // Its text was never kept: the rebuild made now must be what went out.
                QVERIFY(message->NeedRebuild);
                QVERIFY(!message->HasHeader("Content-Length"));
                message->Rebuild();
            }
            ++sent;
            const QList<AiosmtpdServer::Mail> mails = m_server.mails();
            QCOMPARE(mails.size(), sent);
            const AiosmtpdServer::Mail &mail = mails.back();

            // The message keeps its Bcc and gains the Message-ID it was sent with.
            QVERIFY(message->HasHeader("Bcc"));
            const std::string messageId = message->HeaderValue("Message-ID");
            QVERIFY(messageId.ends_with("@vellorn.test>"));

            QCOMPARE(mail.content.size(), expectedText(*message).size());
            QVERIFY(mail.content == expectedText(*message));
            const QByteArray head = mail.content.left(mail.content.indexOf("\r\n\r\n") + 2).toLower();
            QVERIFY(!head.startsWith("bcc:") && !head.contains("\nbcc:"));
            QVERIFY(mail.content.contains(QByteArray::fromStdString(messageId)));
            QCOMPARE(mail.mailFrom, QByteArray("vera@vellorn.test"));
            QCOMPARE(mail.rcptTos, (QList<QByteArray>{"bob@x.test", "carol@x.test", "zed@hidden.test"}));
            QCOMPARE(mail.login, QByteArray("user"));
        }
        QVERIFY(m_server.mails().at(0).content.contains("\r\n.leading dot\r\n.\r\n..two dots\r\n"));
        QVERIFY(m_server.mails().at(1).content.endsWith("\r\n.\r\nMAIL FROM: <evil@x.test>\r\nthird\r\nfourth\r\n"));
        QVERIFY(smtp.Quit());
    }

    // A server without AUTH LOGIN refuses the probe; the session goes on without login.
    void serverWithoutLogin()
    {
        AiosmtpdServer plain;
        QVERIFY2(plain.start(), qPrintable(plain.errorString()));
        TSMTP smtp;
        smtp.Host = "localhost";
        smtp.Port = plain.port();
        smtp.SetTimeOut(10);
        QVERIFY(smtp.Connect());
        QVERIFY(!smtp.LoginReady() && !smtp.Encrypted());
        TMailMessage message;
        address(message);
        message.SetPlainText("Hello\r\n");
        message.Rebuild();
        smtp.MailMessage = &message;
        QVERIFY2(smtp.SendMailTo("vera@vellorn.test", "only@x.test"), smtp.LastReply().c_str());
        QCOMPARE(plain.mails().size(), 1);
        QCOMPARE(plain.mails().front().rcptTos, QList<QByteArray>{"only@x.test"});
        QVERIFY(plain.mails().front().login.isEmpty());
        QVERIFY(smtp.Quit());
    }

    // Names with commas and quotes stay in the header; the envelope has one RCPT per
    // address, each once whatever its case.
    void commaInQuotedNameIsOneRecipient()
    {
        TSMTP smtp;
        connect(smtp);
        TMailMessage message;
        message.SetFrom("Vera Sender", "vera@vellorn.test");
        message.ToRecipients.SetAllText({QStringLiteral("Berg, Anna"), QStringLiteral("O\"Neil, \"Bo\"")},
                                        {QStringLiteral("anna@x.test"), QStringLiteral("bo@x.test")});
        message.CcRecipients.SetAllText({QStringLiteral("Berg, Anna (again)")}, {QStringLiteral("ANNA@x.test")});
        message.SetSubject("Commas");
        message.SetPlainText("Hello\r\n");
        message.Rebuild();
        smtp.MailMessage = &message;
        QVERIFY2(smtp.SendMail(), smtp.LastReply().c_str());
        QCOMPARE(m_server.mails().size(), 1);
        const AiosmtpdServer::Mail mail = m_server.mails().front();
        QCOMPARE(mail.rcptTos, (QList<QByteArray>{"anna@x.test", "bo@x.test"}));
        QVERIFY(mail.content.contains("\"Berg, Anna\" <anna@x.test>"));
        QVERIFY(smtp.Quit());
    }

    // The login chosen from what EHLO offers: PLAIN whenever it is offered, so a server
    // offering only PLAIN (or both) never sees a LOGIN attempt; EHLO names this machine
    // by its full name or by the address literal of the connection.
    void authChosenFromEhlo_data()
    {
        QTest::addColumn<QString>("excluded");
        QTest::newRow("PLAIN only") << QStringLiteral("LOGIN");
        QTest::newRow("PLAIN and LOGIN") << QString();
    }
    void authChosenFromEhlo()
    {
        QFETCH(QString, excluded);
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        if (!excluded.isEmpty())
            server.excludeAuth(excluded);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        TSMTP smtp;
        smtp.Host = server.host().toStdString();
        smtp.Port = server.port();
        smtp.SetTimeOut(10);
        QVERIFY(smtp.Connect());
        QCOMPARE(smtp.AuthMechanism(), std::string("PLAIN"));
        QVERIFY2(smtp.Login("user", "secret"), smtp.LastReply().c_str());
        TMailMessage message;
        address(message);
        message.SetPlainText("Hello\r\n");
        message.Rebuild();
        smtp.MailMessage = &message;
        QVERIFY2(smtp.SendMail(), smtp.LastReply().c_str());
        QVERIFY(smtp.Quit());
        QCOMPARE(server.mails().size(), 1);
        QCOMPARE(server.mails().front().login, QByteArray("user"));
        const QList<QByteArray> commands = server.commands();
        QCOMPARE(commands.size(), 2);
        QCOMPARE(commands.at(1), QByteArray("AUTH PLAIN"));
        const QRegularExpression name(QStringLiteral("^EHLO (\\[(\\d+\\.){3}\\d+\\]|\\[IPv6:[0-9a-fA-F:.]+\\]|"
                                                     "[A-Za-z0-9-]+(\\.[A-Za-z0-9-]+)+)$"));
        QVERIFY2(name.match(QString::fromLatin1(commands.at(0))).hasMatch(), commands.at(0).constData());
    }

    // A stored recipient field that is no address (as an older version wrote a typed
    // "Name <addr>") is refused before anything is sent: no address is made of it.
    void unreadableRecipientIsRefused()
    {
        TSMTP smtp;
        connect(smtp);
        TMailMessage message;
        message.LoadFromString("From: <vera@vellorn.test>\r\nTo: \"Lena Novak <lena@x.test>\" <Lena Novak "
                               "<lena@x.test>>, ok@x.test\r\nSubject: old\r\n\r\nHello\r\n");
        message.Rebuild();
        smtp.MailMessage = &message;
        try {
            smtp.SendMail();
            QFAIL("sent");
        } catch (const AppError &e) {
            QVERIFY2(QByteArray(e.what()).contains("To: \"\"Lena Novak <lena@x.test>\" <Lena Novak <lena@x.test>>\": "),
                     e.what());
        }
        QVERIFY(smtp.Quit());
        QVERIFY(m_server.mails().isEmpty());
    }

    // vellorn-cli send: the stages on stderr, exit 0 on acceptance, "Error: " and the
    // server's reply with exit 1 otherwise; the password from each of its sources.
    void commandLine_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("lastLine");
        QTest::newRow("accepted") << QStringLiteral("secret") << "word" << 0 << QByteArray("Quit");
        QTest::newRow("refused login") << QStringLiteral("wrong") << "word" << 1 << QByteArray("Error: 535");
        QTest::newRow("standard input") << QStringLiteral("secret") << "stdin" << 0 << QByteArray("Quit");
        QTest::newRow("file") << QStringLiteral("secret") << "file" << 0 << QByteArray("Quit");
        QTest::newRow("environment") << QStringLiteral("secret") << "env" << 0 << QByteArray("Quit");
        QTest::newRow("environment, wrong") << QStringLiteral("wrong") << "env" << 1 << QByteArray("Error: 535");
        QTest::newRow("two sources") << QStringLiteral("secret") << "both" << 1 << QByteArray("vellorn-cli: give --pass");
        QTest::newRow("missing file") << QStringLiteral("secret") << "nofile" << 1 << QByteArray("vellorn-cli: cannot read");
    }
    void commandLine()
    {
        QFETCH(QString, password);
        QFETCH(QString, source);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, lastLine);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("mail.eml"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("From: <cli@vellorn.test>\nTo: <to@x.test>\nBcc: <bcc@x.test>\nSubject: cli\n\n.dot\nbody\n");
        f.close();
        QStringList args{QStringLiteral("send"), file, QStringLiteral("--host"), m_server.host(), QStringLiteral("--port"),
                         QString::number(m_server.port()), QStringLiteral("--user"), QStringLiteral("user"),
                         QStringLiteral("--timeout"), QStringLiteral("10")};
        const QString passFile = dir.filePath(QStringLiteral("pass"));
        TestFiles::write(passFile, password.toUtf8() + "\r\nsecond line\n");
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("VELLORN_SMTP_PASS"));
        if (source == QLatin1String("word"))
            args << QStringLiteral("--pass") << password;
        else if (source == QLatin1String("stdin"))
            args << QStringLiteral("--pass") << QStringLiteral("-");
        else if (source == QLatin1String("file") || source == QLatin1String("both"))
            args << QStringLiteral("--pass-file") << passFile;
        else if (source == QLatin1String("nofile"))
            args << QStringLiteral("--pass-file") << dir.filePath(QStringLiteral("none"));
        if (source == QLatin1String("both"))
            args << QStringLiteral("--pass") << password;
        // The environment is the last source: the options win over it.
        env.insert(QStringLiteral("VELLORN_SMTP_PASS"), source == QLatin1String("env") ? password : QStringLiteral("wrong"));
        cli.setProcessEnvironment(env);
        cli.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-cli"), args);
        if (source == QLatin1String("stdin")) {
            cli.write(password.toUtf8() + "\nsecond line\n");
            cli.closeWriteChannel();
        }
        QVERIFY(cli.waitForFinished(60000));
        const QByteArray err = cli.readAllStandardError();
        QCOMPARE(cli.exitCode(), exitCode);
        QVERIFY2(err.trimmed().split('\n').last().startsWith(lastLine), err.constData());
        QCOMPARE(m_server.mails().size(), exitCode == 0 ? 1 : 0);
        if (exitCode == 0) {
            const AiosmtpdServer::Mail mail = m_server.mails().front();
            QCOMPARE(mail.rcptTos, (QList<QByteArray>{"bcc@x.test", "to@x.test"}));
            QVERIFY(mail.content.contains("\r\n\r\n.dot\r\nbody\r\n"));
            QVERIFY(!mail.content.toLower().contains("bcc:"));
        }
    }

    void commandLineWithoutServer()
    {
        QProcess cli;
        cli.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-cli"),
                  {QStringLiteral("send"), QStringLiteral(VELLORN_SUPPORT_DIR "/smtp_sink.py"), QStringLiteral("--host"),
                   QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("--timeout"),
                   QStringLiteral("5")});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 1);
        QVERIFY(cli.readAllStandardError().trimmed().split('\n').last().startsWith("Error: "));
    }
};

QTEST_GUILESS_MAIN(TestSmtpServer)
#include "tst_smtpserver.moc"
