#include "mailbox/MailSummary.h"

#include <QTest>

// The listing's texts: sizes, dates and the To/Subject/Date lines of the 1024-byte window.
class TestMailSummary : public QObject
{
    Q_OBJECT

private slots:
    void sizeText_data()
    {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << qint64(0) << "0 KB";
        QTest::newRow("one byte is not 0 KB") << qint64(1) << "1 KB";
        QTest::newRow("half is not 0 KB") << qint64(512) << "1 KB";
        QTest::newRow("just above half") << qint64(513) << "1 KB";
        QTest::newRow("1.5 goes to 2") << qint64(1536) << "2 KB";
        QTest::newRow("2.5 goes to 2") << qint64(2560) << "2 KB";
        QTest::newRow("3.5 goes to 4") << qint64(3584) << "4 KB";
        QTest::newRow("1023.5 goes to 1024") << qint64(1023 * 1024 + 512) << "1024 KB";
        QTest::newRow("1024 KB still KB") << qint64(1048576) << "1024 KB";
        QTest::newRow("one byte more is MB") << qint64(1048577) << "1 MB";
        QTest::newRow("2.5 MB goes to 2") << qint64(2621440) << "2 MB";
        QTest::newRow("1.5 MB goes to 2") << qint64(1572864) << "2 MB";
        QTest::newRow("largest length") << qint64(0x7FFFFFFF) << "2048 MB";
    }
    void sizeText()
    {
        QFETCH(qint64, length);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(MailSummary::formatSize(length)), shown);
    }

    void dateText_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("full") << QByteArray("Mon, 02 Dec 2002 10:20:30 +0800") << QByteArray("2002-12-02 10:20:30");
        QTest::newRow("no weekday, lower case, one digit")
            << QByteArray("2 dec 2002 10:20:30 +0800") << QByteArray("2002-12-2 10:20:30");
        QTest::newRow("no zone: empty time") << QByteArray("Mon, 02 Dec 2002 10:20:30") << QByteArray("2002-12-02 ");
        QTest::newRow("ends after year") << QByteArray("Mon, 02 Dec 2002") << QByteArray("-12-02 ");
        QTest::newRow("unknown month stays") << QByteArray("Tue, 3 Foo 2003 01:02:03 GMT") << QByteArray("2003-Foo-3 01:02:03");
        QTest::newRow("every month word")
            << QByteArray("1 sEp 2001 00:00:00 -0500") << QByteArray("2001-09-1 00:00:00");
        QTest::newRow("zone comment dropped")
            << QByteArray("Wed, 01 Jan 2003 23:59:59 +0000 (UTC)") << QByteArray("2003-01-01 23:59:59");
        QTest::newRow("blanks around") << QByteArray("  Fri,   07 Mar 2003 12:00:00 +0100  ")
                                       << QByteArray("2003-03-07 12:00:00");
        QTest::newRow("empty") << QByteArray("") << QByteArray("-- ");
        QTest::newRow("comma only") << QByteArray(",") << QByteArray("-- ");
    }
    void dateText()
    {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, text);
        QCOMPARE(QByteArray::fromStdString(MailSummary::formatDate(value.toStdString())), text);
    }

    void window_data()
    {
        QTest::addColumn<QByteArray>("window");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QByteArray>("subject");
        QTest::addColumn<QByteArray>("date");
        QTest::newRow("first quoted name, more recipients")
            << QByteArray("To: \"Ann Lee\" <ann@x.org>, \"Bob\" <bob@x.org>\r\n") << QByteArray("Ann Lee")
            << QByteArray() << QByteArray();
        QTest::newRow("first recipient without a name: its address")
            << QByteArray("To: <ann@x.org>, \"Bob Roe\" <bob@x.org>\r\n") << QByteArray("ann@x.org") << QByteArray()
            << QByteArray();
        QTest::newRow("bare address") << QByteArray("To: ann@x.org\r\n") << QByteArray("ann@x.org") << QByteArray() << QByteArray();
        QTest::newRow("name without quotes")
            << QByteArray("To: Person Zero <p0@example.com>\r\n") << QByteArray("Person Zero") << QByteArray() << QByteArray();
        QTest::newRow("folded field")
            << QByteArray("To: =?iso-8859-1?Q?J=F6rg?=\r\n <j@x>, b@y\r\n") << QByteArray("=?iso-8859-1?Q?J=F6rg?=")
            << QByteArray() << QByteArray();
        QTest::newRow("single quote") << QByteArray("To: \"ann@x.org\r\n") << QByteArray() << QByteArray()
                                      << QByteArray();
        QTest::newRow("encoded name kept as is")
            << QByteArray("TO: \"=?iso-8859-1?Q?J=F6rg?=\" <j@x>\r\n") << QByteArray("=?iso-8859-1?Q?J=F6rg?=")
            << QByteArray() << QByteArray();
        QTest::newRow("later To line replaces")
            << QByteArray("To: \"First\" <a@x>\r\nto: plain@x\r\n") << QByteArray("plain@x") << QByteArray() << QByteArray();
        QTest::newRow("subject decoded, CR and LF line ends")
            << QByteArray("subject:  =?iso-8859-1?Q?Gr=FC=DFe?= \rDate: 2 dec 2002 10:20:30 +0800\n")
            << QByteArray() << QByteArray("Gr\xfc\xdf" "e") << QByteArray("2002-12-2 10:20:30");
        QTest::newRow("indented header still counts")
            << QByteArray("  Subject: hi\r\n\tDATE: Mon, 02 Dec 2002 10:20:30 +0800") << QByteArray()
            << QByteArray("hi") << QByteArray("2002-12-02 10:20:30");
        QTest::newRow("Cc and From ignored")
            << QByteArray("From: \"Me\" <m@x>\r\nCc: \"You\" <y@x>\r\n") << QByteArray() << QByteArray()
            << QByteArray();
        QTest::newRow("cut inside a header")
            << QByteArray("To: \"Ann Lee\" <a@x>\r\nSubj") << QByteArray("Ann Lee") << QByteArray() << QByteArray();
        static const char hostile[] = "To: \"a\0b\" <x>\r\nSubject: \xff\0\r\n";
        QTest::newRow("NUL and high bytes") << QByteArray(hostile, sizeof(hostile) - 1)
                                            << QByteArray() << QByteArray("\xff", 1) << QByteArray();
    }
    void window()
    {
        QFETCH(QByteArray, window);
        QFETCH(QByteArray, to);
        QFETCH(QByteArray, subject);
        QFETCH(QByteArray, date);
        const MailSummary s = MailSummary::build(4711, 3000, 't', 'Y', std::string_view(window.constData(), window.size()));
        QCOMPARE(s.position, std::int64_t(4711));
        QCOMPARE(s.sizeText, std::string("3 KB"));
        QCOMPARE(s.boxCode, 't');
        QCOMPARE(s.attachFlag, 'Y');
        QCOMPARE(QByteArray::fromStdString(s.to), to);
        QCOMPARE(QByteArray::fromStdString(s.subject), subject);
        QCOMPARE(QByteArray::fromStdString(s.date), date);
    }
};

QTEST_GUILESS_MAIN(TestMailSummary)
#include "tst_mailsummary.moc"
