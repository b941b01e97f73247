#include "mail/TMailMessage.h"
#include "smtp/CertificateFacts.h"
#include "smtp/TSMTP.h"
#include "smtp/TSocketTalk.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestFiles.h"

#include <QProcess>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <random>

namespace {

// After its "220" to STARTTLS this peer appends "250 injected" in the same packet; over
// TLS it answers EHLO only after a pause and notes whether the client spoke before that.
class InjectingPeer : public QTcpServer
{
public:
    QSslCertificate certificate;
    QSslKey key;
    QList<QByteArray> encryptedCommands;
    bool spokeEarly = false;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        socket->setLocalCertificate(certificate);
        socket->setPrivateKey(key);
        connect(socket, &QSslSocket::readyRead, this, [this, socket] { onLines(socket); });
        socket->write("220 peer\r\n");
    }

private:
    QByteArray m_buffer;
    bool m_pausing = false;

    void onLines(QSslSocket *socket)
    {
        m_buffer += socket->readAll();
        spokeEarly = spokeEarly || (m_pausing && !m_buffer.isEmpty());
        for (qsizetype end; !m_pausing && (end = m_buffer.indexOf("\r\n")) >= 0;) {
            const QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 2);
            if (!socket->isEncrypted()) {
                socket->write(line == "STARTTLS" ? "220 go ahead\r\n250 injected\r\n" : "250-peer\r\n250 STARTTLS\r\n");
                if (line == "STARTTLS") {
                    socket->flush();
                    socket->startServerEncryption();
                }
                continue;
            }
            encryptedCommands.append(line);
            if (line.startsWith("EHLO")) {
                m_pausing = true;
                QTimer::singleShot(300, socket, [this, socket] {
                    m_pausing = false;
                    socket->write("250-peer over TLS\r\n250 AUTH PLAIN\r\n");
                    onLines(socket);
                });
            } else {
                socket->write(line == "AUTH LOGIN" ? "504 5.5.4 Unrecognized authentication type\r\n" : "250 OK\r\n");
            }
        }
    }
};

void address(TMailMessage &message, const std::string &text)
{
    message.SetFrom("Vera", "vera@vellorn.test");
    message.ToRecipients.SetAll("Bob", "bob@x.test");
    message.SetPlainText(text);
}

} // namespace

// The session over TLS against aiosmtpd with certificates of a CA made for the test.
class TestSmtpTls : public QObject
{
    Q_OBJECT

    TestCertificates m_certs;
    TestCertificates::Issued m_good;
    QList<QSslCertificate> m_ca;
    AiosmtpdServer m_starttls; // requires STARTTLS before AUTH LOGIN and mail

    void prepare(TSMTP &smtp, quint16 port, const std::string &host = "localhost")
    {
        smtp.Host = host;
        smtp.Port = port;
        smtp.SetTimeOut(10);
        smtp.TrustedCertificates = m_ca;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QSslSocket::supportsSsl(), "Qt has no TLS backend (libqt6network6's OpenSSL plugin, libssl3)");
        QVERIFY2(m_certs.create(), qPrintable(m_certs.errorString()));
        m_good = m_certs.issue(QStringLiteral("good"), {QStringLiteral("DNS:localhost"), QStringLiteral("IP:127.0.0.1")});
        QVERIFY2(m_good.valid(), qPrintable(m_certs.errorString()));
        m_ca = QSslCertificate::fromPath(m_certs.caFile());
        m_starttls.setLogin("user", "secret");
        m_starttls.setTls(m_good.certificate, m_good.key);
        QVERIFY2(m_starttls.start(), qPrintable(m_starttls.errorString()));
    }

    void init() { m_starttls.clearMails(); }

    // STARTTLS by name and by address, AUTH LOGIN, and a 5 MB mail in pieces with the
    // progress of a cleartext send, arriving byte for byte.
    void starttlsWithLogin_data()
    {
        QTest::addColumn<QByteArray>("host");
        QTest::newRow("host name") << QByteArray("localhost");
        QTest::newRow("numeric address") << QByteArray("127.0.0.1");
    }
    void starttlsWithLogin()
    {
        QFETCH(QByteArray, host);
        TSMTP smtp;
        prepare(smtp, m_starttls.port(), host.toStdString());
        QVERIFY2(smtp.Connect(), smtp.LastReply().c_str());
        QVERIFY(smtp.Encrypted());
        // The capabilities from before the handshake are forgotten.
        QVERIFY(std::find(smtp.Capabilities().begin(), smtp.Capabilities().end(), "STARTTLS") == smtp.Capabilities().end());
        // aiosmtpd offers PLAIN and LOGIN: PLAIN is chosen.
        QCOMPARE(smtp.AuthMechanism(), std::string("PLAIN"));
        QVERIFY2(smtp.Login("user", "secret"), smtp.LastReply().c_str());

        TMailMessage message;
        address(message, "Hello over TLS\r\n.dot line\r\n");
        std::string bytes(5 * 1024 * 1024, '\0');
        std::mt19937 random(16);
        for (char &c : bytes)
            c = static_cast<char>(random() & 0xFF);
        message.AttachStream(bytes, "data.bin");
        message.Rebuild();
        smtp.MailMessage = &message;
        smtp.PacketSize = 1024 * 1024;
        std::vector<std::int64_t> progress;
        std::int64_t total = 0;
        smtp.SetOnProgress([&](QObject *, std::int64_t length, std::int64_t current) {
            total = length;
            progress.push_back(current);
        });
        QVERIFY2(smtp.SendMail(), smtp.LastReply().c_str());
        QVERIFY(smtp.Quit());
        QCOMPARE(progress.size(), std::size_t((total + smtp.PacketSize - 1) / smtp.PacketSize + 2));
        QCOMPARE(progress.at(1), smtp.PacketSize);
        QCOMPARE(progress.at(progress.size() - 2), total);

        const QList<AiosmtpdServer::Mail> mails = m_starttls.mails();
        QCOMPARE(mails.size(), 1);
        QCOMPARE(mails.front().login, QByteArray("user"));
        const QByteArray sent = QByteArray::fromStdString(message.SourceText());
        QVERIFY(mails.front().content == (sent.endsWith("\r\n") ? sent : sent + "\r\n"));
    }

    // TLS from the first byte on a server that offers AUTH PLAIN only.
    void implicitTlsWithPlain()
    {
        AiosmtpdServer server;
        server.setLogin("user", "pa ss");
        server.setTls(m_good.certificate, m_good.key, true);
        server.excludeAuth(QStringLiteral("LOGIN"));
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        TSMTP smtp;
        prepare(smtp, server.port());
        smtp.ImplicitTlsPort = server.port();
        QVERIFY2(smtp.Connect(), smtp.LastReply().c_str());
        QVERIFY(smtp.Encrypted());
        QCOMPARE(smtp.AuthMechanism(), std::string("PLAIN"));
        QVERIFY2(smtp.Login("user", "pa ss"), smtp.LastReply().c_str());
        TMailMessage message;
        address(message, "plain\r\n");
        message.Rebuild();
        smtp.MailMessage = &message;
        QVERIFY2(smtp.SendMail(), smtp.LastReply().c_str());
        QCOMPARE(server.mails().size(), 1);
        QCOMPARE(server.mails().front().login, QByteArray("user"));
    }

    // Certificates that must not be trusted: "TLS: " and the reason, nothing sent.
    void untrustedCertificate_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("implicit");
        QTest::addColumn<QString>("reason");
        for (const bool implicit : {false, true}) {
            const QByteArray mode = implicit ? ", implicit TLS" : ", STARTTLS";
            QTest::newRow("wrong host" + mode) << "wrong host" << implicit << "host name";
            QTest::newRow("self-signed" + mode) << "self-signed" << implicit << "self-signed";
            QTest::newRow("CA not trusted" + mode) << "unknown CA" << implicit << "";
        }
    }
    void untrustedCertificate()
    {
        QFETCH(QString, kind);
        QFETCH(bool, implicit);
        QFETCH(QString, reason);
        TestCertificates::Issued issued = m_good;
        if (kind == QLatin1String("wrong host"))
            issued = m_certs.issue(QStringLiteral("wrong"), {QStringLiteral("DNS:mail.elsewhere.test")});
        else if (kind == QLatin1String("self-signed"))
            issued = m_certs.issue(QStringLiteral("self"), {QStringLiteral("DNS:localhost")}, true);
        QVERIFY2(issued.valid(), qPrintable(m_certs.errorString()));
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        server.setTls(issued.certificate, issued.key, implicit);
        QVERIFY2(server.start(), qPrintable(server.errorString()));

        TSMTP smtp;
        prepare(smtp, server.port());
        if (kind == QLatin1String("unknown CA"))
            smtp.TrustedCertificates.clear();
        if (implicit)
            smtp.ImplicitTlsPort = server.port();
        QVERIFY(!smtp.Connect());
        const QString last = QString::fromStdString(smtp.LastReply());
        QVERIFY2(last.startsWith(QLatin1String("TLS: ")) && last.contains(reason, Qt::CaseInsensitive), qPrintable(last));
        QVERIFY(!smtp.LoginReady() && !smtp.Login("user", "secret") && !smtp.Talk()->IsConnected());
        QVERIFY(server.mails().isEmpty());
    }

    // STARTTLS offered, then refused, or agreed to with no handshake following: no
    // cleartext fallback, nothing sent after STARTTLS.
    void failedStarttls_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("lastReply");
        QTest::newRow("refused") << QByteArray("454 4.7.0 TLS not available\r\n")
                                 << QByteArray("TLS: the server refused STARTTLS: 454 4.7.0 TLS not available");
        QTest::newRow("silent handshake") << QByteArray("220 go ahead\r\n")
                                          << QByteArray("TLS: the handshake did not complete within 2 seconds");
    }
    void failedStarttls()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, lastReply);
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect().reply("250-hi\r\n250-AUTH LOGIN\r\n250 STARTTLS\r\n").expect("STARTTLS").reply(answer);
        QVERIFY(peer.listen());
        TSMTP smtp;
        prepare(smtp, peer.port(), "127.0.0.1");
        smtp.SetTimeOut(2);
        QVERIFY(!smtp.Connect());
        QCOMPARE(QByteArray::fromStdString(smtp.LastReply()), lastReply);
        QTRY_VERIFY(peer.clientClosed());
        QCOMPARE(peer.commands().size(), 2);
    }

    // "250 injected" behind the 220 to STARTTLS is dropped: the client waits for the real,
    // encrypted answer to its EHLO.
    void injectionAfterStarttls()
    {
        InjectingPeer peer;
        peer.certificate = QSslCertificate::fromPath(m_good.certificate).value(0);
        peer.key = QSslKey(TestFiles::read(m_good.key), QSsl::Ec);
        QVERIFY(peer.listen(QHostAddress::LocalHost));
        TSMTP smtp;
        prepare(smtp, peer.serverPort());
        QVERIFY2(smtp.Connect(), smtp.LastReply().c_str());
        QVERIFY(smtp.Encrypted() && !peer.spokeEarly);
        QCOMPARE(smtp.Capabilities(), std::vector<std::string>{"AUTH PLAIN"});
        // PLAIN is offered: no LOGIN is tried.
        QCOMPARE(peer.encryptedCommands.mid(1), QList<QByteArray>{});
        QCOMPARE(smtp.AuthMechanism(), std::string("PLAIN"));
    }

    // A certificate that fails the checks is described (server, names, validity, SHA-256
    // fingerprint, reason); trusted by its fingerprint, exactly it is accepted, and a
    // server showing another one is refused again, marked as changed.
    void trustedFingerprint_data()
    {
        QTest::addColumn<bool>("implicit");
        QTest::newRow("STARTTLS") << false;
        QTest::newRow("implicit TLS") << true;
    }
    void trustedFingerprint()
    {
        QFETCH(bool, implicit);
        const TestCertificates::Issued self =
            m_certs.issue(QStringLiteral("trusted-self"), {QStringLiteral("DNS:localhost")}, true);
        QVERIFY2(self.valid(), qPrintable(m_certs.errorString()));
        const QSslCertificate certificate = QSslCertificate::fromPath(self.certificate).value(0);
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        server.setTls(self.certificate, self.key, implicit);
        QVERIFY2(server.start(), qPrintable(server.errorString()));

        TSMTP smtp;
        prepare(smtp, server.port());
        smtp.Security = implicit ? SmtpSecurity::Tls : SmtpSecurity::Automatic;
        QVERIFY(!smtp.Connect());
        QVERIFY(smtp.UntrustedCertificate().has_value());
        const CertificateFacts facts = *smtp.UntrustedCertificate();
        QCOMPARE(facts.server(), QStringLiteral("localhost:%1").arg(server.port()));
        QCOMPARE(facts.fingerprint, CertificateFacts::fingerprintOf(certificate));
        QCOMPARE(facts.fingerprint.size(), 32 * 3 - 1);
        QVERIFY2(facts.reasons.contains(QStringLiteral("self-signed")), qPrintable(facts.reasons.join(',')));
        QCOMPARE(facts.validUntil, certificate.expiryDate().toUTC());
        QVERIFY(!facts.changed);
        QVERIFY(facts.text().contains(facts.fingerprint));

        // Trusted in the form people copy it: lower case, without colons.
        smtp.Disconnect();
        smtp.TrustedFingerprints = {facts.fingerprint.toLower().remove(QLatin1Char(':'))};
        QVERIFY2(smtp.Connect(), smtp.LastReply().c_str());
        QVERIFY(smtp.Encrypted() && !smtp.UntrustedCertificate());
        QVERIFY2(smtp.Login("user", "secret"), smtp.LastReply().c_str());
        TMailMessage message;
        address(message, "trusted\r\n");
        message.Rebuild();
        smtp.MailMessage = &message;
        QVERIFY2(smtp.SendMail(), smtp.LastReply().c_str());
        QVERIFY(smtp.Quit());
        QCOMPARE(server.mails().size(), 1);

        // Another certificate for the same server: refused and marked as changed.
        smtp.TrustedFingerprints = {CertificateFacts::fingerprintOf(m_ca.value(0))};
        QVERIFY(!smtp.Connect());
        QVERIFY(smtp.UntrustedCertificate() && smtp.UntrustedCertificate()->changed);
        QVERIFY(smtp.UntrustedCertificate()->text().startsWith(QStringLiteral("Warning: ")));
        QCOMPARE(server.mails().size(), 1);
    }

    void wrongHostNameIsTheReason()
    {
        const TestCertificates::Issued wrong = m_certs.issue(QStringLiteral("wrong-name"), {QStringLiteral("DNS:mail.elsewhere.test")});
        AiosmtpdServer server;
        server.setTls(wrong.certificate, wrong.key);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        TSMTP smtp;
        prepare(smtp, server.port());
        QVERIFY(!smtp.Connect());
        QVERIFY(smtp.UntrustedCertificate());
        QCOMPARE(smtp.UntrustedCertificate()->reasons, QStringList{QStringLiteral("wrong host name")});
    }

    // The connection security against a server that offers STARTTLS or does not: what
    // the client says before its first MAIL, or why it stops.
    void connectionSecurity_data()
    {
        QTest::addColumn<int>("security");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("connects");
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("none, offered") << int(SmtpSecurity::None) << true << true << QByteArray("AUTH LOGIN");
        QTest::newRow("auto, offered") << int(SmtpSecurity::Automatic) << true << false << QByteArray("STARTTLS");
        QTest::newRow("auto, not offered") << int(SmtpSecurity::Automatic) << false << true << QByteArray("AUTH LOGIN");
        QTest::newRow("starttls, not offered") << int(SmtpSecurity::StartTls) << false << false << QByteArray();
    }
    void connectionSecurity()
    {
        QFETCH(int, security);
        QFETCH(bool, offered);
        QFETCH(bool, connects);
        QFETCH(QByteArray, second);
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect().reply(offered ? "250-hi\r\n250 STARTTLS\r\n" : "250-hi\r\n250 AUTH LOGIN\r\n");
        // STARTTLS is refused here: the test is about what the client asks for.
        peer.expect().reply(second == "STARTTLS" ? "454 not now\r\n" : "334 VXNlcm5hbWU6\r\n");
        QVERIFY(peer.listen());
        TSMTP smtp;
        prepare(smtp, peer.port(), "127.0.0.1");
        smtp.SetTimeOut(5);
        smtp.Security = static_cast<SmtpSecurity>(security);
        QCOMPARE(smtp.Connect(), connects);
        if (second.isEmpty()) {
            QCOMPARE(QByteArray::fromStdString(smtp.LastReply()),
                     QByteArray("TLS: the server does not offer STARTTLS, and the connection security asks for it"));
            QTRY_VERIFY(peer.clientClosed());
            QCOMPARE(peer.commands().size(), 1);
        } else {
            QCOMPARE(peer.commands().value(1), second);
        }
        QVERIFY(!smtp.Encrypted());
    }

    // "SSL/TLS" speaks TLS from the first byte on a port other than 465.
    void implicitTlsOnAnyPort()
    {
        AiosmtpdServer server;
        server.setTls(m_good.certificate, m_good.key, true);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        TSMTP smtp;
        prepare(smtp, server.port());
        QVERIFY(server.port() != smtp.ImplicitTlsPort);
        smtp.Security = SmtpSecurity::Tls;
        QVERIFY2(smtp.Connect(), smtp.LastReply().c_str());
        QVERIFY(smtp.Encrypted());
    }

    // vellorn-cli send trusts --ca-file for that run.
    void commandLineCaFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("mail.eml"));
        TestFiles::write(file, "From: <cli@vellorn.test>\nTo: <to@x.test>\nSubject: cli\n\nbody\n");
        QProcess cli;
        cli.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-cli"),
                  {QStringLiteral("send"), file, QStringLiteral("--host"), QStringLiteral("localhost"),
                   QStringLiteral("--port"), QString::number(m_starttls.port()), QStringLiteral("--user"),
                   QStringLiteral("user"), QStringLiteral("--pass"), QStringLiteral("secret"),
                   QStringLiteral("--ca-file"), m_certs.caFile()});
        QVERIFY(cli.waitForFinished(60000));
        const QByteArray err = cli.readAllStandardError();
        QVERIFY2(cli.exitCode() == 0 && err.contains("Connected over TLS; the server offers AUTH PLAIN"), err.constData());
        QCOMPARE(m_starttls.mails().size(), 1);
    }

    // vellorn-cli send with a self-signed certificate: refused with its fingerprint, then
    // sent with --trust of that fingerprint (the password from the first line of a file).
    void commandLineTrust()
    {
        const TestCertificates::Issued self = m_certs.issue(QStringLiteral("cli-self"), {QStringLiteral("DNS:localhost")}, true);
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        server.setTls(self.certificate, self.key, true);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("mail.eml"));
        TestFiles::write(file, "From: <cli@vellorn.test>\nTo: <to@x.test>\nSubject: cli\n\nbody\n");
        const QString fingerprint = CertificateFacts::fingerprintOf(QSslCertificate::fromPath(self.certificate).value(0));
        const auto run = [&](const QStringList &extra, QByteArray *err) {
            QProcess cli;
            cli.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-cli"),
                      QStringList{QStringLiteral("send"), file, QStringLiteral("--host"), QStringLiteral("localhost"),
                                  QStringLiteral("--port"), QString::number(server.port()), QStringLiteral("--security"),
                                  QStringLiteral("tls"), QStringLiteral("--user"), QStringLiteral("user"),
                                  QStringLiteral("--pass-file"), dir.filePath(QStringLiteral("pass"))}
                          + extra);
            cli.waitForFinished(60000);
            *err = cli.readAllStandardError();
            return cli.exitCode();
        };
        TestFiles::write(dir.filePath(QStringLiteral("pass")), "secret\nnot this line\n");
        QByteArray err;
        QCOMPARE(run({}, &err), 1);
        QVERIFY2(err.contains("--trust " + fingerprint.toLatin1()) && err.contains("self-signed"), err.constData());
        QVERIFY(server.mails().isEmpty());
        QVERIFY2(run({QStringLiteral("--trust"), fingerprint}, &err) == 0, err.constData());
        QCOMPARE(server.mails().size(), 1);
        QCOMPARE(run({QStringLiteral("--trust"), QStringLiteral("12:34")}, &err), 1);
        QVERIFY2(err.contains("SHA-256"), err.constData());
    }
};

QTEST_GUILESS_MAIN(TestSmtpTls)
#include "tst_smtptls.moc"
