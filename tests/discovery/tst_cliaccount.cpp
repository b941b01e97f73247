#include "tests/support/AiosmtpdServer.h"
#include "tests/support/HttpsDocumentServer.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// vellorn-cli account discover against a local HTTPS server serving good and hostile
// documents as the configuration database, and account test against aiosmtpd.
class TestCliAccount : public QObject
{
    Q_OBJECT

    TestCertificates m_certs;
    HttpsDocumentServer m_https;
    QTemporaryDir m_dir;

    static QByteArray document(const QByteArray &outgoing)
    {
        return "<?xml version=\"1.0\"?><clientConfig version=\"1.1\"><emailProvider id=\"x\">" + outgoing
               + "</emailProvider></clientConfig>";
    }

    int run(const QStringList &args, QByteArray *out, QByteArray *err)
    {
        QProcess p;
        p.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-cli"), args);
        if (!p.waitForFinished(60000))
            return -1;
        *out = p.readAllStandardOutput();
        *err = p.readAllStandardError();
        return p.exitCode();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_certs.create(), qPrintable(m_certs.errorString()));
        const TestCertificates::Issued issued = m_certs.issue(QStringLiteral("https"), {QStringLiteral("IP:127.0.0.1")});
        QVERIFY(issued.valid());
        QVERIFY2(m_https.start(issued.certificate, issued.key), qPrintable(m_https.errorString()));
        const QByteArray starttls = "<outgoingServer type=\"smtp\"><hostname>smtp.good.invalid</hostname><port>587</port>"
                                    "<socketType>STARTTLS</socketType><authentication>password-cleartext</authentication>"
                                    "<username>%EMAILLOCALPART%</username></outgoingServer>";
        const QByteArray plain = "<outgoingServer type=\"smtp\"><hostname>smtp.plain.invalid</hostname><port>25</port>"
                                 "<socketType>plain</socketType><username>%EMAILADDRESS%</username></outgoingServer>";
        m_https.put(QStringLiteral("v1.1/good.invalid"), document(starttls));
        m_https.put(QStringLiteral("v1.1/plain.invalid"), document(plain));
        m_https.put(QStringLiteral("v1.1/oauth.invalid"),
                    document("<outgoingServer type=\"smtp\"><hostname>smtp.gmail.com</hostname><port>465</port>"
                             "<socketType>SSL</socketType><authentication>OAuth2</authentication>"
                             "<username>%EMAILADDRESS%</username></outgoingServer>"));
        m_https.put(QStringLiteral("v1.1/notxml.invalid"), "Not found: <b>no such page");
        m_https.put(QStringLiteral("v1.1/entities.invalid"),
                    "<!DOCTYPE clientConfig [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]><clientConfig>&b;</clientConfig>");
        m_https.put(QStringLiteral("v1.1/nosmtp.invalid"),
                    document("<incomingServer type=\"imap\"><hostname>imap.nosmtp.invalid</hostname></incomingServer>"));
    }

    void discover_data()
    {
        QTest::addColumn<QString>("domain");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("lines");  // stdout
        QTest::addColumn<QByteArray>("said");   // a part of stderr

        QTest::newRow("good") << "good.invalid" << 0
                              << QByteArray("[System]\nACC_SMTPHost=smtp.good.invalid\nACC_SMTPPort=587\n"
                                            "ACC_SMTPSecurity=starttls\nACC_SMTPNeedLogin=True\nACC_SMTPUser=ann\n")
                              << QByteArray("Found in https://127.0.0.1:");
        QTest::newRow("plain only") << "plain.invalid" << 0
                                    << QByteArray("[System]\nACC_SMTPHost=smtp.plain.invalid\nACC_SMTPPort=25\n"
                                                  "ACC_SMTPSecurity=none\nACC_SMTPNeedLogin=True\n"
                                                  "ACC_SMTPUser=ann@plain.invalid\n")
                                    << QByteArray("Warning: smtp.plain.invalid:25 is reached without encryption");
        // A server that signs in with the browser: the login and, for a provider of the
        // table, which one.
        QTest::newRow("OAuth2 document") << "oauth.invalid" << 0
                                         << QByteArray("[System]\nACC_SMTPHost=smtp.gmail.com\nACC_SMTPPort=465\n"
                                                       "ACC_SMTPSecurity=tls\nACC_SMTPNeedLogin=True\n"
                                                       "ACC_SMTPUser=ann@oauth.invalid\nACC_SMTPAuth=OAuth2\n"
                                                       "ACC_OAuthProvider=Google\n")
                                         << QByteArray("Found in https://127.0.0.1:");
        QTest::newRow("OAuth2 table") << "gmail.com" << 0
                                      << QByteArray("[System]\nACC_SMTPHost=smtp.gmail.com\nACC_SMTPPort=465\n"
                                                    "ACC_SMTPSecurity=tls\nACC_SMTPNeedLogin=True\n"
                                                    "ACC_SMTPUser=ann@gmail.com\nACC_SMTPAuth=OAuth2\n"
                                                    "ACC_OAuthProvider=Google\n")
                                      << QByteArray("built-in table");
        QTest::newRow("not xml") << "notxml.invalid" << 1 << QByteArray() << QByteArray("not well-formed");
        QTest::newRow("10 MB") << "huge.invalid" << 1 << QByteArray() << QByteArray("larger than 1024 KB");
        QTest::newRow("entities") << "entities.invalid" << 1 << QByteArray() << QByteArray("DTD");
        QTest::newRow("no SMTP server") << "nosmtp.invalid" << 1 << QByteArray() << QByteArray("names no SMTP server");
    }

    void discover()
    {
        QFETCH(QString, domain);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, said);
        QByteArray out, err;
        QCOMPARE(run({QStringLiteral("account"), QStringLiteral("discover"), QStringLiteral("ann@") + domain,
                      QStringLiteral("--database"), m_https.base() + QStringLiteral("v1.1/"), QStringLiteral("--no-dns"),
                      QStringLiteral("--ca-file"), m_certs.caFile()},
                     &out, &err),
                 exitCode);
        QCOMPARE(out, lines);
        QVERIFY2(err.contains(said), err.constData());
    }

    void certificateAndSwitches()
    {
        QByteArray out, err;
        // Without the test CA the database's certificate fails the checks.
        QCOMPARE(run({QStringLiteral("account"), QStringLiteral("discover"), QStringLiteral("ann@good.invalid"),
                      QStringLiteral("--database"), m_https.base() + QStringLiteral("v1.1/"), QStringLiteral("--no-dns")},
                     &out, &err),
                 1);
        QVERIFY(out.isEmpty());
        // Turned off, the database is not asked.
        const qsizetype before = m_https.requests().size();
        QCOMPARE(run({QStringLiteral("account"), QStringLiteral("discover"), QStringLiteral("ann@good.invalid"),
                      QStringLiteral("--no-database"), QStringLiteral("--no-dns")},
                     &out, &err),
                 1);
        QCOMPARE(m_https.requests().size(), before);
        QVERIFY(run({QStringLiteral("account"), QStringLiteral("discover"), QStringLiteral("ann@good.invalid"),
                     QStringLiteral("--no-database"), QStringLiteral("--database"), m_https.base()},
                    &out, &err)
                != 0);
        QVERIFY(run({QStringLiteral("account"), QStringLiteral("frobnicate")}, &out, &err) != 0);
    }

    void test()
    {
        const TestCertificates::Issued good =
            m_certs.issue(QStringLiteral("smtp"), {QStringLiteral("DNS:localhost"), QStringLiteral("IP:127.0.0.1")});
        const TestCertificates::Issued self = m_certs.issue(QStringLiteral("self"), {QStringLiteral("DNS:localhost")}, true);
        AiosmtpdServer starttls, selfSigned;
        starttls.setLogin("user", "secret");
        starttls.setTls(good.certificate, good.key);
        selfSigned.setLogin("user", "secret");
        selfSigned.setTls(self.certificate, self.key, true);
        QVERIFY2(starttls.start(), qPrintable(starttls.errorString()));
        QVERIFY2(selfSigned.start(), qPrintable(selfSigned.errorString()));

        // The account of a Config.dat; the password from a file.
        const QString config = m_dir.filePath(QStringLiteral("Config.dat"));
        TestFiles::write(config, "[System]\r\nACC_SMTPHost=localhost\r\nACC_SMTPPort=" + QByteArray::number(starttls.port())
                                     + "\r\nACC_SMTPUser=user\r\nACC_SMTPSecurity=starttls\r\n");
        const QString right = m_dir.filePath(QStringLiteral("right"));
        const QString wrong = m_dir.filePath(QStringLiteral("wrong"));
        TestFiles::write(right, "secret\n");
        TestFiles::write(wrong, "guess\n");
        const QStringList base{QStringLiteral("account"), QStringLiteral("test"), QStringLiteral("--config"), config,
                               QStringLiteral("--ca-file"), m_certs.caFile(), QStringLiteral("--timeout"), QStringLiteral("10")};
        QByteArray out, err;
        QCOMPARE(run(base + QStringList{QStringLiteral("--pass-file"), right}, &out, &err), 0);
        QVERIFY2(out.contains("AUTH:   ok      235"), out.constData());
        QVERIFY2(out.contains("TLS:    ok      encrypted after STARTTLS"), out.constData());
        QVERIFY(starttls.mails().isEmpty());

        QCOMPARE(run(base + QStringList{QStringLiteral("--pass-file"), wrong}, &out, &err), 1);
        QVERIFY2(out.contains("AUTH:   FAILED  535"), out.constData());
        QVERIFY2(err.contains("To change: the server does not accept this password"), err.constData());

        QCOMPARE(run({QStringLiteral("account"), QStringLiteral("test"), QStringLiteral("--host"), QStringLiteral("localhost"),
                      QStringLiteral("--port"), QString::number(selfSigned.port()), QStringLiteral("--security"),
                      QStringLiteral("tls"), QStringLiteral("--user"), QStringLiteral("user"), QStringLiteral("--pass-file"), right},
                     &out, &err),
                 1);
        QVERIFY2(err.contains("self-signed"), err.constData());
        QVERIFY2(err.contains("--trust "), err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCliAccount)
#include "tst_cliaccount.moc"
