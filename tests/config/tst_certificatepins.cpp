#include "config/CertificatePins.h"
#include "config/IniFile.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

// A pin is a key of Config.dat: whatever host is accepted must read back as itself, and
// the file must keep every other section and key as it was.
class TestCertificatePins : public QObject
{
    Q_OBJECT

private slots:
    void hostRoundTrips_data()
    {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("name") << QByteArray("mail.example.org") << true;
        QTest::newRow("capitals") << QByteArray("MAIL.Example.ORG") << true;
        QTest::newRow("address") << QByteArray("192.0.2.7") << true;
        QTest::newRow("bare IPv6") << QByteArray("2001:db8::1") << true;
        QTest::newRow("underscore and dash") << QByteArray("smtp_relay-2.example") << true;
        QTest::newRow("8-bit name") << QByteArray("b\xc3\xbc" "cher.example") << true;
        QTest::newRow("blank inside") << QByteArray("a b") << true;

        QTest::newRow("leading blank, section header") << QByteArray(" [x]") << false;
        QTest::newRow("section header") << QByteArray("[x]") << false;
        QTest::newRow("bracketed IPv6") << QByteArray("[::1]") << false;
        QTest::newRow("closing bracket") << QByteArray("x]") << false;
        QTest::newRow("leading blank") << QByteArray(" mail.example.org") << false;
        QTest::newRow("trailing blank") << QByteArray("mail.example.org ") << false;
        QTest::newRow("equals") << QByteArray("a=b") << false;
        QTest::newRow("semicolon") << QByteArray("a;b") << false;
        QTest::newRow("comment") << QByteArray(";a") << false;
        QTest::newRow("line break") << QByteArray("a\r\nACC_SMTPHost=evil") << false;
        QTest::newRow("tab") << QByteArray("\ta") << false;
        QTest::newRow("delete") << QByteArray("a\x7f") << false;
        QTest::newRow("empty") << QByteArray("") << false;
    }

    void hostRoundTrips()
    {
        QFETCH(QByteArray, host);
        QFETCH(bool, accepted);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Config.dat"));
        const QByteArray before = "[System]\r\nACC_SMTPHost=mail.example.org\r\nPIC_W=600\r\n"
                                  "[Trusted Certificates]\r\nother.example:465=AA:BB\r\n"
                                  "[Address List]\r\nAnn=ann@example.org\r\n";
        TestFiles::write(path, before);
        const std::string name = host.toStdString();
        const std::string fp = "12:34:56:78";

        CertificatePins pins(path);
        QCOMPARE(pins.trust(name, 25, fp), accepted);
        if (!accepted) {
            QCOMPARE(TestFiles::read(path), before);
            QCOMPARE(pins.fingerprint(name, 25), std::string());
            return;
        }
        QCOMPARE(pins.fingerprint(name, 25), fp);
        QCOMPARE(CertificatePins(path).fingerprint(name, 465), std::string());
        const IniFile ini(path);
        QCOMPARE(ini.readString("System", "ACC_SMTPHost"), std::string("mail.example.org"));
        QCOMPARE(ini.readInteger("System", "PIC_W", 0), 600);
        QCOMPARE(ini.readString(CertificatePins::Section, "other.example:465"), std::string("AA:BB"));
        QCOMPARE(ini.keyNames("Address List"), std::vector<std::string>{"Ann"});
        // Trusting another certificate replaces the line instead of adding one.
        QVERIFY(pins.trust(name, 25, "99:88"));
        QCOMPARE(pins.fingerprint(name, 25), std::string("99:88"));
        QCOMPARE(ini.keyNames(CertificatePins::Section).size(), std::size_t(2));
    }

    void fingerprintMustFitInAValue()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Config.dat"));
        TestFiles::write(path, "[System]\r\nPIC_W=600\r\n");
        CertificatePins pins(path);
        QVERIFY(!pins.trust("mail.example.org", 25, ""));
        QVERIFY(!pins.trust("mail.example.org", 25, "AA\r\nPIC_W=1"));
        QVERIFY(!pins.trust("mail.example.org", 25, " AA"));
        QCOMPARE(TestFiles::read(path), QByteArray("[System]\r\nPIC_W=600\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCertificatePins)
#include "tst_certificatepins.moc"
