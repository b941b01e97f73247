#include "AiosmtpdServer.h"
#include "ScriptedSmtpServer.h"
#include "TMailMessage.h"
#include "TSMTP.h"
#include "TSocketTalk.h"
#include "TestCertificates.h"
#include "TestFiles.h"

#include <QProcess>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <random>

namespace {

// A TLS-capable peer for the STARTTLS exchange itself: after its "220" to STARTTLS it
// appends "250 injected" in the same packet, then answers the encrypted EHLO only after
// a pause, noting whether the client spoke before that answer.
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
        socket->setPeerVerifyMode(QSslSocket::VerifyNone);
        connect(socket, &QSslSocket::readyRead, this, [this, socket] { onLines(socket); });
        socket->write("220 peer\r\n");
    }

private:
    QByteArray m_buffer;
    bool m_pausing = false;

    void onLines(QSslSocket *socket)
    {
        m_buffer += socket->readAll();
        if (m_pausing && !m_buffer.isEmpty())
            spokeEarly = true;
        qsizetype end;
        while (!m_pausing && (end = m_buffer.indexOf("\r\n")) >= 0) {
            const QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 2);
            if (!socket->isEncrypted()) {
                if (line.startsWith("EHLO")) {
                    socket->write("250-peer\r\n250 STARTTLS\r\n");
                } else if (line == "STARTTLS") {
                    socket->write("220 go ahead\r\n250 injected\r\n");
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
            } else if (line == "AUTH LOGIN") {
                socket->write("504 5.5.4 Unrecognized authentication type\r\n");
            } else {
                socket->write("250 OK\r\n");
            }
        }
    }
};

} // namespace

// The session over TLS against aiosmtpd with certificates of a CA made for the test:
// STARTTLS, TLS from the first byte, AUTH PLAIN, and the certificate checks.
class TestSmtpTls : public QObject
{
    Q_OBJECT

    TestCertificates m_certs;
    TestCertificates::Issued m_good;
    QList<QSslCertificate> m_ca;
    AiosmtpdServer m_starttls; // requires STARTTLS before AUTH LOGIN and mail

    void prepare(TSMTP &smtp, const AiosmtpdServer &server, const std::string &host = "localhost")
    {
        smtp.Host = host;
        smtp.Port = server.port();
        smtp.SetTimeOut(10);
        smtp.TrustedCertificates = m_ca;
    }

    static void address(TMailMessage &message)
    {
        message.SetFrom("Vera", "vera@vellorn.test");
        message.ToRecipients.SetAll("Bob", "bob@x.test");
        message.SetSubject("over TLS");
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QSslSocket::supportsSsl(), "Qt has no TLS backend (libqt6network6's OpenSSL plugin, libssl3)");
        QVERIFY2(m_certs.create(), qPrintable(m_certs.errorString()));
        m_good = m_certs.issue(QStringLiteral("good"), {QStringLiteral("DNS:localhost"), QStringLiteral("IP:127.0.0.1")});
        QVERIFY2(m_good.valid(), qPrintable(m_certs.errorString()));
        m_ca = QSslCertificate::fromPath(m_certs.caFile());
        QCOMPARE(m_ca.size(), 1);
        m_starttls.setLogin("user", "secret");
        m_starttls.setTls(m_good.certificate, m_good.key);
        QVERIFY2(m_starttls.start(), qPrintable(m_starttls.errorString()));
    }

    void init()
    {
        m_starttls.clearMails();
    }

    // STARTTLS on a server that requires it before AUTH; by name and by address; then a
    // 5 MB mail arrives byte for byte.
    void starttlsWithLogin_data()
    {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<bool>("large");
        QTest::newRow("host name, 5 MB") << QByteArray("localhost") << true;
        QTest::newRow("numeric address") << QByteArray("127.0.0.1") << false;
    }
    void starttlsWithLogin()
    {
        QFETCH(QByteArray, host);
        QFETCH(bool, large);
        TSMTP smtp;
        prepare(smtp, m_starttls, host.toStdString());
        QVERIFY2(smtp.Connect(), smtp.LastReply().c_str());
        QVERIFY(smtp.Encrypted());
        // What the server said before the handshake is forgotten.
        for (const std::string &line : smtp.Capabilities())
            QVERIFY2(line != "STARTTLS", line.c_str());
        QCOMPARE(smtp.AuthMechanism(), std::string("LOGIN"));
        QVERIFY2(smtp.Login("user", "secret"), smtp.LastReply().c_str());

        TMailMessage message;
        address(message);
        message.SetPlainText("Hello over TLS\r\n.dot line\r\n");
        if (large) {
            std::string bytes(5 * 1024 * 1024, '\0');
            std::mt19937 random(16);
            for (char &c : bytes)
                c = static_cast<char>(random() & 0xFF);
            message.AttachStream(bytes, "data.bin");
        }
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
        // Pieces and progress as in cleartext: 0, each piece, and the total twice.
        if (large) {
            const std::int64_t piece = 1024 * 1024;
            QCOMPARE(progress.size(), std::size_t((total + piece - 1) / piece + 2));
            QCOMPARE(progress.front(), 0);
            QCOMPARE(progress.at(1), piece);
            QCOMPARE(progress.back(), total);
            QCOMPARE(progress.at(progress.size() - 2), total);
        }

        const QList<AiosmtpdServer::Mail> mails = m_starttls.mails();
        QCOMPARE(mails.size(), 1);
        QCOMPARE(mails.front().login, QByteArray("user"));
        QByteArray expected = QByteArray::fromStdString(message.SourceText());
        if (!expected.endsWith("\r\n"))
            expected += "\r\n";
        QCOMPARE(mails.front().content.size(), expected.size());
        QVERIFY(mails.front().content == expected);
    }

    // TLS from the first byte on a server that offers AUTH PLAIN only: LOGIN is refused,
    // PLAIN is used.
    void implicitTlsWithPlain()
    {
        AiosmtpdServer server;
        server.setLogin("user", "pa ss");
        server.setTls(m_good.certificate, m_good.key, true);
        server.excludeAuth(QStringLiteral("LOGIN"));
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        for (const char *password : {"wrong", "pa ss"}) {
            TSMTP smtp;
            prepare(smtp, server);
            smtp.ImplicitTlsPort = server.port();
            QVERIFY2(smtp.Connect(), smtp.LastReply().c_str());
            QVERIFY(smtp.Encrypted());
            QVERIFY(smtp.LoginReady());
            QCOMPARE(smtp.AuthMechanism(), std::string("PLAIN"));
            const bool right = std::string(password) == "pa ss";
            QCOMPARE(smtp.Login("user", password), right);
            QCOMPARE(smtp.LastReply().substr(0, 3), std::string(right ? "235" : "535"));
            if (right) {
                TMailMessage message;
                address(message);
                message.SetPlainText("plain\r\n");
                message.Rebuild();
                smtp.MailMessage = &message;
                QVERIFY2(smtp.SendMail(), smtp.LastReply().c_str());
            }
            smtp.Quit();
        }
        QCOMPARE(server.mails().size(), 1);
        QCOMPARE(server.mails().front().login, QByteArray("user"));
    }

    // Certificates that must not be trusted: the connect fails with "TLS: " and the
    // reason, and the server receives nothing.
    void untrustedCertificate_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("implicit");
        QTest::addColumn<QString>("reason");
        for (const bool implicit : {false, true}) {
            const char *mode = implicit ? ", implicit TLS" : ", STARTTLS";
            QTest::newRow(QByteArray("wrong host").append(mode).constData()) << "wrong host" << implicit << "host name";
            QTest::newRow(QByteArray("self-signed").append(mode).constData()) << "self-signed" << implicit << "self-signed";
            QTest::newRow(QByteArray("CA not trusted").append(mode).constData()) << "unknown CA" << implicit << "";
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
        prepare(smtp, server);
        if (kind == QLatin1String("unknown CA"))
            smtp.TrustedCertificates.clear();
        if (implicit)
            smtp.ImplicitTlsPort = server.port();
        QVERIFY(!smtp.Connect());
        const QString last = QString::fromStdString(smtp.LastReply());
        QVERIFY2(last.startsWith(QLatin1String("TLS: ")) && last.contains(reason, Qt::CaseInsensitive), qPrintable(last));
        QVERIFY(!smtp.Connected() && !smtp.LoginReady());
        QVERIFY(!smtp.Login("user", "secret"));
        QVERIFY(!smtp.Talk()->IsConnected());
        QVERIFY(server.mails().isEmpty());
    }

    // A server without STARTTLS: the session stays in cleartext, as before.
    void serverWithoutTls()
    {
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        TSMTP smtp;
        prepare(smtp, server);
        QVERIFY(smtp.Connect());
        QVERIFY(!smtp.Encrypted());
        QVERIFY(smtp.Login("user", "secret"));
        smtp.Quit();
    }

    // A server that offers STARTTLS and then refuses it, or agrees and never answers the
    // handshake: no cleartext fallback, nothing after STARTTLS is sent.
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
        peer.reply("220 hi\r\n").expect().reply("250-hi\r\n250-AUTH LOGIN\r\n250 STARTTLS\r\n").expect("STARTTLS")
            .reply(answer);
        QVERIFY(peer.listen());
        TSMTP smtp;
        smtp.Host = "127.0.0.1";
        smtp.Port = peer.port();
        smtp.SetTimeOut(2);
        QVERIFY(!smtp.Connect());
        QCOMPARE(QByteArray::fromStdString(smtp.LastReply()), lastReply);
        QTRY_VERIFY(peer.clientClosed());
        QCOMPARE(peer.commands().size(), 2);
        QVERIFY(peer.mismatches().isEmpty());
    }

    // "250 injected" behind the 220 to STARTTLS, in the same packet, is dropped: the
    // client waits for the real, encrypted answer to its EHLO.
    void injectionAfterStarttls()
    {
        InjectingPeer peer;
        peer.certificate = QSslCertificate::fromPath(m_good.certificate).value(0);
        peer.key = QSslKey(TestFiles::read(m_good.key), QSsl::Ec);
        QVERIFY(!peer.key.isNull());
        QVERIFY(peer.listen(QHostAddress::LocalHost));
        TSMTP smtp;
        smtp.Host = "localhost";
        smtp.Port = peer.serverPort();
        smtp.SetTimeOut(5);
        smtp.TrustedCertificates = m_ca;
        QVERIFY2(smtp.Connect(), smtp.LastReply().c_str());
        QVERIFY(smtp.Encrypted());
        QVERIFY(!peer.spokeEarly);
        QCOMPARE(smtp.Capabilities(), std::vector<std::string>{"AUTH PLAIN"});
        QCOMPARE(smtp.AuthMechanism(), std::string("PLAIN"));
        QCOMPARE(peer.encryptedCommands.size(), 3);
        QVERIFY(peer.encryptedCommands.at(0).startsWith("EHLO "));
        QCOMPARE(peer.encryptedCommands.mid(1), (QList<QByteArray>{"AUTH LOGIN", "NOOP"}));
    }

    // vellorn-cli send trusts --ca-file for that run only.
    void commandLineCaFile_data()
    {
        QTest::addColumn<bool>("withCa");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("lastLine");
        QTest::newRow("with --ca-file") << true << 0 << QByteArray("Quit");
        QTest::newRow("without") << false << 1 << QByteArray("Error: TLS: ");
    }
    void commandLineCaFile()
    {
        QFETCH(bool, withCa);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, lastLine);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("mail.eml"));
        TestFiles::write(file, "From: <cli@vellorn.test>\nTo: <to@x.test>\nSubject: cli\n\nbody\n");
        QStringList args{QStringLiteral("send"), file, QStringLiteral("--host"), QStringLiteral("localhost"),
                         QStringLiteral("--port"), QString::number(m_starttls.port()), QStringLiteral("--user"),
                         QStringLiteral("user"), QStringLiteral("--pass"), QStringLiteral("secret"),
                         QStringLiteral("--timeout"), QStringLiteral("10")};
        if (withCa)
            args << QStringLiteral("--ca-file") << m_certs.caFile();
        QProcess cli;
        cli.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-cli"), args);
        QVERIFY(cli.waitForFinished(60000));
        const QByteArray err = cli.readAllStandardError();
        QCOMPARE(cli.exitCode(), exitCode);
        QVERIFY2(err.trimmed().split('\n').last().startsWith(lastLine), err.constData());
        QCOMPARE(m_starttls.mails().size(), withCa ? 1 : 0);
        if (withCa)
            QVERIFY2(err.contains("Connected over TLS; the server offers AUTH LOGIN"), err.constData());
    }
};

QTEST_GUILESS_MAIN(TestSmtpTls)
#include "tst_smtptls.moc"
