#include "mail/MailDates.h"
#include "os/LocalTime.h"

#include <QTest>
#include <QTimeZone>

#include <ctime>

// The offset from UTC of a local time, and the zone a mail's Date field writes from it:
// zones a half or three quarters of an hour off, west of UTC with minutes, and the same
// place in winter and in summer.
class tst_LocalTime : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The machine's own zone must not matter; St. John's is west of UTC by 3:30 in
        // winter and 2:30 in summer.
        qputenv("TZ", "America/St_Johns");
        tzset();
    }

    void zones_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("written");
        const QDate winter(2026, 1, 15), summer(2026, 7, 15);
        QTest::newRow("UTC") << QByteArray("UTC") << winter << 0 << "+0000";
        QTest::newRow("London in winter") << QByteArray("Europe/London") << winter << 0 << "+0000";
        QTest::newRow("London in summer") << QByteArray("Europe/London") << summer << 60 << "+0100";
        QTest::newRow("New York") << QByteArray("America/New_York") << winter << -300 << "-0500";
        QTest::newRow("Kolkata") << QByteArray("Asia/Kolkata") << winter << 330 << "+0530";
        QTest::newRow("Kathmandu") << QByteArray("Asia/Kathmandu") << summer << 345 << "+0545";
        QTest::newRow("St. John's in winter") << QByteArray("America/St_Johns") << winter << -210 << "-0330";
        QTest::newRow("St. John's in summer") << QByteArray("America/St_Johns") << summer << -150 << "-0230";
        QTest::newRow("Chatham in its summer") << QByteArray("Pacific/Chatham") << winter << 825 << "+1345";
        QTest::newRow("Kiritimati") << QByteArray("Pacific/Kiritimati") << winter << 840 << "+1400";
        QTest::newRow("Baker Island") << QByteArray("Etc/GMT+12") << winter << -720 << "-1200";
    }
    void zones()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDate, date);
        QFETCH(int, minutes);
        QFETCH(QString, written);
        const QTimeZone tz(zone);
        if (!tz.isValid())
            QSKIP("this machine's time-zone data lacks the zone");
        const QDateTime at(date, QTime(9, 5, 7), tz);
        QCOMPARE(LocalTime::offsetMinutes(at), minutes);
        QCOMPARE(QString::fromStdString(Rfc822Date(at)),
                 QLocale::c().toString(date, u"ddd, dd MMM yyyy") + QStringLiteral(" 09:05:07 ") + written);
    }

    // The program's local clock follows the zone the system names.
    void localClock()
    {
        if (!QTimeZone(QByteArrayLiteral("America/St_Johns")).isValid())
            QSKIP("this machine's time-zone data lacks the zone");
        const QDateTime winter(QDate(2026, 1, 15), QTime(12, 0));
        const QDateTime summer(QDate(2026, 7, 15), QTime(12, 0));
        QCOMPARE(LocalTime::offsetMinutes(winter), -210);
        QCOMPARE(LocalTime::offsetMinutes(summer), -150);
        QCOMPARE(Rfc822Date(winter), std::string("Thu, 15 Jan 2026 12:00:00 -0330"));
        const QDateTime now = LocalTime::now();
        QVERIFY(now.timeSpec() == Qt::LocalTime);
        QVERIFY(LocalTime::offsetMinutes(now) == -210 || LocalTime::offsetMinutes(now) == -150);
    }
};

QTEST_GUILESS_MAIN(tst_LocalTime)
#include "tst_localtime.moc"
