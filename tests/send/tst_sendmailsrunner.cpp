#include "config/CertificatePins.h"
#include "config/ConfigFile.h"
#include "config/ConfigSettings.h"
#include "config/DataFiles.h"
#include "mail/RandomSource.h"
#include "mail/TMailMessage.h"
#include "mailbox/MailStore.h"
#include "os/MessagePump.h"
#include "send/SendFailure.h"
#include "send/SendMailsRunner.h"
#include "tests/picture/PictureFixtures.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/FakeCertificateTrust.h"
#include "tests/support/RecordingShell.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestFiles.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>

#include <QtTest>

using namespace PictureFixtures;

// The send job loop without its dialog: what it reports, and where it stops.
class TestSendMailsRunner : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_store;
    ConfigSettings m_settings = ConfigSettings::firstRun();
    RecordingShell m_shell;

    std::int64_t add(const std::string &subject, int paragraphs)
    {
        return MailStore(m_store).AppendMail(storedMail(subject, rtfLetter(paragraphs)), 'u', 'N');
    }
    char boxOf(std::int64_t position) const
    {
        for (const MailSummary &s : MailStore(m_store).ScanStore())
            if (s.position == position)
                return s.boxCode;
        return 0;
    }

private slots:
    void init()
    {
        m_store = m_dir.filePath(QStringLiteral("MailBox%1.dat").arg(QRandomGenerator::global()->generate()));
        DataFiles::ensureMailBoxFile(m_store);
        m_shell.opened.clear();
        qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
        MessagePump::setHook({});
    }

    void handsEveryMailToTheDesktop()
    {
        const std::int64_t a = add("One", 2);
        const std::int64_t b = add("Two", 2);
        SendMailsRunner runner(m_settings, m_store, m_shell);
        QSignalSpy counts(&runner, &SendMailsRunner::countChanged);
        QSignalSpy statuses(&runner, &SendMailsRunner::statusChanged);
        QSignalSpy cancel(&runner, &SendMailsRunner::cancelAllowed);
        QSignalSpy failed(&runner, &SendMailsRunner::failed);
        QSignalSpy closed(&runner, &SendMailsRunner::closeRequested);
        QVERIFY(runner.SendMails({QString::number(a), QString::number(b)}, SendMode::Desktop));
        QCOMPARE(counts.size(), 2);
        QCOMPARE(counts[0][0].toString(), QStringLiteral("Total: 2 Left: 1"));
        QCOMPARE(counts[1][0].toString(), QStringLiteral("Total: 2 Left: 0"));
        QStringList texts;
        for (const QList<QVariant> &s : statuses)
            texts << s[0].toString() + (s[1].toBool() ? QStringLiteral(" [bar]") : QString());
        const QString rendering = QStringLiteral("Generating pictures... [bar]");
        const QString building = QStringLiteral("Generating mail ... It will take a few minutes ");
        // The run starts with an empty status.
        QCOMPARE(texts, QStringList({QStringLiteral(" [bar]"), rendering, building, rendering, building,
                                     QStringLiteral("Quit [bar]")}));
        QCOMPARE(cancel.size(), 4);
        QVERIFY(!cancel[0][0].toBool() && cancel[1][0].toBool());
        QCOMPARE(failed.size(), 0);
        QCOMPARE(closed.size(), 1);
        QCOMPARE(m_shell.opened.size(), 2);
        QVERIFY(m_shell.opened[1].toLocalFile().endsWith(QStringLiteral(".eml")));
        QCOMPARE(boxOf(a), 's');
        QCOMPARE(boxOf(b), 's');
    }

    // An entry that is not a record ends the job through the general error path.
    void badEntryFails()
    {
        const std::int64_t a = add("Kept", 1);
        SendMailsRunner runner(m_settings, m_store, m_shell);
        QSignalSpy failed(&runner, &SendMailsRunner::failed);
        QSignalSpy closed(&runner, &SendMailsRunner::closeRequested);
        QVERIFY(runner.SendMails({QStringLiteral("12abc"), QString::number(a)}, SendMode::Desktop));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0][0].toString(), QStringLiteral("'12abc' is not a valid integer value"));
        QCOMPARE(closed.size(), 1);
        QVERIFY(m_shell.opened.isEmpty());
        QCOMPARE(boxOf(a), 'u');
    }

    void connectErrorStops()
    {
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            closedPort = probe.serverPort();
        }
        m_settings.ACC_SMTPHost = "127.0.0.1";
        m_settings.ACC_SMTPPort = closedPort;
        const std::int64_t a = add("Nowhere", 1);
        SendMailsRunner runner(m_settings, m_store, m_shell);
        QSignalSpy statuses(&runner, &SendMailsRunner::statusChanged);
        QSignalSpy closed(&runner, &SendMailsRunner::closeRequested);
        QVERIFY(!runner.SendMails({QString::number(a)}, SendMode::Smtp));
        QCOMPARE(statuses.at(statuses.size() - 2)[0].toString(), QStringLiteral("Connecting 127.0.0.1 ..."));
        QCOMPARE(statuses.last()[0].toString(),
                 QStringLiteral("Connect error!\r\n127.0.0.1 refused the connection on port %1: no mail server answers "
                                "there. Check the server's name and port in the SMTP account.")
                     .arg(closedPort));
        QCOMPARE(closed.size(), 0);
        QCOMPARE(boxOf(a), 'u');
        // The next run does not begin under this run's error.
        statuses.clear();
        QVERIFY(!runner.SendMails({QString::number(a)}, SendMode::Smtp));
        QCOMPARE(statuses.first()[0].toString(), QString());
    }

    // A refused encryption shows its reason under "Connect error!"; nothing is sent.
    void connectErrorShowsTlsReason()
    {
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect().reply("250-hi\r\n250 STARTTLS\r\n").expect("STARTTLS")
            .reply("454 4.7.0 TLS not available\r\n");
        QVERIFY(peer.listen());
        m_settings.ACC_SMTPHost = "127.0.0.1";
        m_settings.ACC_SMTPPort = peer.port();
        const std::int64_t a = add("Refused", 1);
        SendMailsRunner runner(m_settings, m_store, m_shell);
        QSignalSpy statuses(&runner, &SendMailsRunner::statusChanged);
        QVERIFY(!runner.SendMails({QString::number(a)}, SendMode::Smtp));
        QCOMPARE(statuses.last()[0].toString(),
                 QStringLiteral("Connect error!\r\nTLS: the server refused STARTTLS: 454 4.7.0 TLS not available"));
        QCOMPARE(boxOf(a), 'u');
    }

    // Each step shows as it happens; a refused login says what the server answered.
    void stepsAsTheyHappen()
    {
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect().reply("250 hello\r\n").expect("AUTH LOGIN").reply("334 VXNlcm5hbWU6\r\n")
            .expect().reply("334 UGFzc3dvcmQ6\r\n").expect().reply("535 5.7.8 Bad credentials\r\n");
        QVERIFY(peer.listen());
        m_settings.ACC_SMTPHost = "127.0.0.1";
        m_settings.ACC_SMTPPort = peer.port();
        m_settings.ACC_SMTPUser = "anna";
        const std::int64_t a = add("Locked", 1);
        SendMailsRunner runner(m_settings, m_store, m_shell);
        QSignalSpy statuses(&runner, &SendMailsRunner::statusChanged);
        QVERIFY(!runner.SendMails({QString::number(a)}, SendMode::Smtp));
        QStringList texts;
        for (const QList<QVariant> &s : statuses)
            texts << s[0].toString();
        QCOMPARE(texts.mid(3), QStringList({QStringLiteral("Connecting 127.0.0.1 ..."),
                                            QStringLiteral("Connected to 127.0.0.1, waiting for the server's greeting..."),
                                            QStringLiteral("Logging in as anna ..."),
                                            QStringLiteral("Login error! Please check your SMTP account\r\n"
                                                           "The server answered: 535 5.7.8 Bad credentials")}));
        QCOMPARE(boxOf(a), 'u');
    }

    void failureReasons_data()
    {
        using R = SendFailure::Reached;
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("reached");
        QTest::addColumn<int>("error"); // -1: none
        QTest::addColumn<QString>("connect");
        QTest::addColumn<QString>("send");
        QTest::newRow("greeting refused") << "554 5.3.2 busy\r\n" << int(R::Closed) << int(QAbstractSocket::RemoteHostClosedError)
                                          << "The server answered: 554 5.3.2 busy" << "554 5.3.2 busy";
        QTest::newRow("refused TLS, whole") << "TLS: The host name did not match any of the valid hosts for this certificate; "
                                               "The certificate is self-signed, and untrusted"
                                            << int(R::Closed) << int(QAbstractSocket::SslHandshakeFailedError)
                                            << "TLS: The host name did not match any of the valid hosts for this certificate; "
                                               "The certificate is self-signed, and untrusted"
                                            << "TLS: The host name did not match any of the valid hosts for this certificate; "
                                               "The certificate is self-signed, and untrusted";
        QTest::newRow("name not found") << "" << int(R::Connecting) << int(QAbstractSocket::HostNotFoundError)
                                        << "The server name smtp.example.org was not found. Check the server's name in "
                                           "the SMTP account and the network connection."
                                        << "The server name smtp.example.org was not found. Check the server's name in "
                                           "the SMTP account and the network connection.";
        QTest::newRow("no connection in time") << "" << int(R::Connecting) << -1
                                               << "No connection to smtp.example.org on port 587 within 60 seconds."
                                               << "No connection to smtp.example.org on port 587 within 60 seconds.";
        QTest::newRow("silent server") << "" << int(R::Connected) << -1
                                       << "The server smtp.example.org did not answer within 60 seconds."
                                       << "The server smtp.example.org did not answer within 60 seconds.";
        QTest::newRow("closed while sending") << "" << int(R::Closed) << int(QAbstractSocket::RemoteHostClosedError)
                                              << "The server smtp.example.org closed the connection."
                                              << "The server smtp.example.org closed the connection.";
    }

    void failureReasons()
    {
        QFETCH(QString, reply);
        QFETCH(int, reached);
        QFETCH(int, error);
        QFETCH(QString, connect);
        QFETCH(QString, send);
        SendFailure::Facts facts;
        facts.host = QStringLiteral("smtp.example.org");
        facts.port = 587;
        facts.lastReply = reply;
        facts.reached = SendFailure::Reached(reached);
        if (error >= 0)
            facts.socketError = QAbstractSocket::SocketError(error);
        QCOMPARE(SendFailure::connectReason(facts), connect);
        QCOMPARE(SendFailure::replyReason(facts), send);
        facts.port = 0;
        QVERIFY(SendFailure::connectReason(facts).startsWith(QStringLiteral("The port 0 is not a port number")));
    }

    // The mail that goes out through SMTP and the file handed to the desktop differ only in
    // the file's "X-Unsent" mark and in their identities, both named after the sender. A
    // large attachment's body (left in the store by both) goes into each whole, and the
    // head names the length of what follows it.
    void smtpMailIsTheHandOverWithoutItsMark_data()
    {
        QTest::addColumn<int>("attachmentBytes");
        QTest::newRow("letter only") << 0;
        QTest::newRow("large attachment") << 300 * 1024;
    }
    void smtpMailIsTheHandOverWithoutItsMark()
    {
        QFETCH(int, attachmentBytes);
        std::vector<Attachment> attachments;
        std::string bytes;
        if (attachmentBytes > 0) {
            QRandomGenerator random(7);
            for (int i = 0; i < attachmentBytes; ++i)
                bytes += char(random.bounded(256));
            attachments.push_back({"data.bin", bytes});
        }
        const std::int64_t a =
            MailStore(m_store).AppendMail(storedMail("Both ways", rtfLetter(3), attachments), 'u', 'Y');
        // The same random values for both jobs, so that both mails get the same boundaries.
        std::uint32_t next = 0;
        const auto sameRandom = [&] {
            next = 0;
            SetMailRandomSource([&] { return ++next * 2654435761u; });
        };

        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect().reply("250 ok\r\n").expect("AUTH LOGIN").reply("502 no\r\n")
            .expect().reply("250 ok\r\n").expect().reply("250 ok\r\n").expect().reply("250 ok\r\n")
            .expect("DATA").reply("354 go\r\n").expectData().reply("250 queued\r\n");
        QVERIFY(peer.listen());
        m_settings.ACC_SMTPHost = "127.0.0.1";
        m_settings.ACC_SMTPPort = peer.port();
        sameRandom();
        {
            SendMailsRunner runner(m_settings, m_store, m_shell);
            QVERIFY(runner.SendMails({QString::number(a)}, SendMode::Smtp));
        }
        sameRandom();
        {
            SendMailsRunner runner(m_settings, m_store, m_shell);
            QVERIFY(runner.SendMails({QString::number(a)}, SendMode::Desktop));
        }
        SetMailRandomSource({});
        QVERIFY2(peer.mismatches().isEmpty(), qPrintable(peer.mismatches().join(QLatin1Char('\n'))));
        QCOMPARE(peer.dataBlocks().size(), 1);

        // The text as sent, without the transparency dots and the end of data.
        QByteArray sent = peer.dataBlocks().first();
        QVERIFY(sent.endsWith("\r\n.\r\n"));
        sent.chop(3);
        sent.replace("\r\n..", "\r\n.");
        QCOMPARE(m_shell.opened.size(), 1);
        QByteArray file = TestFiles::read(m_shell.opened[0].toLocalFile());
        QVERIFY(!sent.contains("X-Unsent"));
        QCOMPARE(file.count("\r\nX-Unsent: 1\r\n"), 1);
        file.replace("\r\nX-Unsent: 1\r\n", "\r\n");
        const QRegularExpression id(QStringLiteral("\r\nMessage-ID: <\\d{14}\\.[0-9A-F]+\\.[0-9A-F]+@example\\.org>\r\n"));
        QCOMPARE(QString::fromLatin1(sent).count(id), 1);
        QCOMPARE(QString::fromLatin1(file).count(id), 1);
        // The two runs may fall in different seconds: the Date lines are left out too.
        const QRegularExpression date(QStringLiteral("\r\nDate: [^\r]*\r\n"));
        const QString sentRest =
            QString::fromLatin1(sent).replace(id, QStringLiteral("\r\n")).replace(date, QStringLiteral("\r\n"));
        const QString fileRest =
            QString::fromLatin1(file).replace(id, QStringLiteral("\r\n")).replace(date, QStringLiteral("\r\n"));
        QCOMPARE(sentRest, fileRest);
        QVERIFY(sentRest.contains(QStringLiteral("Paragraph 3 of the letter")));

        // Read back, the file holds the attachment's bytes and its head the body's length.
        TMailMessage read;
        read.LoadFromString(file.toStdString());
        read.ScanParts();
        const qsizetype bodyStart = file.indexOf("\r\n\r\n") + 4;
        QCOMPARE(QByteArray::fromStdString(read.HeaderValue("Content-Length")),
                 QByteArray::number(file.size() - bodyStart));
        int found = 0;
        for (TMailPart *part : read.Attachments)
            if (part->AttachmentFileNameText() == QLatin1String("data.bin")) {
                part->Decode();
                QVERIFY(part->DecodedBody == bytes);
                ++found;
            }
        QCOMPARE(found, attachmentBytes > 0 ? 1 : 0);
    }

    // Cancelling while the pages are made stops after the page in hand.
    void cancelWhileRendering()
    {
        const std::int64_t a = add("Long", 400);
        SendMailsRunner runner(m_settings, m_store, m_shell);
        QObject::connect(&runner, &SendMailsRunner::progressChanged, &runner, [&](int value) {
            if (value > 0)
                runner.Cancel();
        });
        QVERIFY(!runner.SendMails({QString::number(a)}, SendMode::Desktop));
        QVERIFY(runner.Cancelled);
        QVERIFY(runner.FJob.PageCount <= 2);
        QVERIFY(m_shell.opened.isEmpty());
        QCOMPARE(boxOf(a), 'u');
    }

    // A self-signed certificate: asked once (answered Trust), the mail goes out, and the
    // next job trusts it without asking, from Config.dat. A server showing another
    // certificate under a trusted name is asked about again as changed; refused, nothing
    // is sent.
    void trustingACertificate()
    {
        TestCertificates certs;
        QVERIFY2(certs.create(), qPrintable(certs.errorString()));
        const TestCertificates::Issued self = certs.issue(QStringLiteral("self"), {QStringLiteral("DNS:localhost")}, true);
        const TestCertificates::Issued other = certs.issue(QStringLiteral("other"), {QStringLiteral("DNS:localhost")}, true);
        QVERIFY2(self.valid() && other.valid(), qPrintable(certs.errorString()));
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        server.setTls(self.certificate, self.key);
        QVERIFY2(server.start(), qPrintable(server.errorString()));

        const QString config = m_dir.filePath(QStringLiteral("Config-trust.dat"));
        TestFiles::write(config, FirstRunConfigText());
        m_settings.ACC_SMTPHost = "localhost";
        m_settings.ACC_SMTPPort = server.port();
        m_settings.ACC_SMTPUser = "user";
        m_settings.ACC_SMTPPass = "secret";
        FakeCertificateTrust trust;
        trust.answers.enqueue(true);
        // One job over one mail, with its status lines.
        const auto send = [&](std::int64_t position, QStringList *statuses = nullptr) {
            SendMailsRunner runner(m_settings, m_store, m_shell);
            runner.certificateTrust = &trust;
            runner.configPath = config;
            if (statuses)
                connect(&runner, &SendMailsRunner::statusChanged, this, [statuses](const QString &text) { *statuses << text; });
            return runner.SendMails({QString::number(position)}, SendMode::Smtp);
        };
        const std::int64_t a = add("Trusted", 1);
        QVERIFY(send(a));
        QCOMPARE(trust.asked.size(), 1);
        QCOMPARE(trust.asked[0].server(), QStringLiteral("localhost:%1").arg(server.port()));
        QVERIFY(trust.asked[0].reasons.contains(QStringLiteral("self-signed")));
        QVERIFY(!trust.asked[0].changed);
        QCOMPARE(boxOf(a), 's');
        QCOMPARE(server.mails().size(), 1);
        const std::string kept = CertificatePins(config).fingerprint("LOCALHOST", server.port());
        QCOMPARE(QString::fromStdString(kept), trust.asked[0].fingerprint);

        const std::int64_t b = add("Again", 1);
        QVERIFY(send(b));
        QCOMPARE(trust.asked.size(), 1);
        QCOMPARE(server.mails().size(), 2);

        AiosmtpdServer changed;
        changed.setLogin("user", "secret");
        changed.setTls(other.certificate, other.key);
        QVERIFY2(changed.start(), qPrintable(changed.errorString()));
        QVERIFY(CertificatePins(config).trust("localhost", changed.port(), kept));
        m_settings.ACC_SMTPPort = changed.port();
        const std::int64_t c = add("Refused", 1);
        QStringList statuses;
        QVERIFY(!send(c, &statuses));
        QCOMPARE(trust.asked.size(), 2);
        QVERIFY(trust.asked[1].changed);
        QVERIFY(trust.asked[1].fingerprint != trust.asked[0].fingerprint);
        QVERIFY(statuses.last().startsWith(QStringLiteral("Connect error!\r\nTLS: ")));
        QVERIFY(changed.mails().isEmpty());
        QCOMPARE(boxOf(c), 'u');
        QCOMPARE(CertificatePins(config).fingerprint("localhost", changed.port()), kept);
    }
};

QTEST_MAIN(TestSendMailsRunner)
#include "tst_sendmailsrunner.moc"
