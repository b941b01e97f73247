#include "tests/picture/BigMailRun.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

// A mail with a 1 GB attachment stored, selected, sent, opened for changes and handed to
// the desktop's mail program in this process: the memory it
// takes stays far below the attachment's size, and the event loop answers throughout.
// VELLORN_BIG_ATTACHMENT_MB sets another size. The longest waits are printed, not judged.
class TestBigAttachment : public QObject
{
    Q_OBJECT

private slots:
    void storedSelectedAndSent()
    {
        if (BigMailRun::statusKb("VmHWM") < 0)
            QSKIP("/proc/self/status has no VmHWM here");
        const qint64 megabytes = qEnvironmentVariableIsSet("VELLORN_BIG_ATTACHMENT_MB")
                                     ? qEnvironmentVariableIntValue("VELLORN_BIG_ATTACHMENT_MB")
                                     : 1024;
        QTemporaryDir dir;
        const BigMailRun::Figures f = BigMailRun::run(dir.path(), megabytes);
        QVERIFY2(f.ok, qPrintable(f.error));
        qInfo("store %lld ms (longest wait %lld ms), select %lld ms, send %lld ms (longest wait %lld ms)",
              f.storeMs, f.storeGapMs, f.selectMs, f.sendMs, f.sendGapMs);
        qInfo("peak above idle: store %lld KB, select %lld KB, send %lld KB, modify %lld KB (%lld ms), "
              "hand-over %lld KB (%lld ms)",
              f.storePeakKb - f.idleKb, f.selectPeakKb - f.idleKb, f.sendPeakKb - f.idleKb, f.modifyPeakKb - f.idleKb,
              f.modifyMs, f.handOverPeakKb - f.idleKb, f.handOverMs);

        // The whole file went into the store and out to the server.
        QVERIFY(f.recordBytes > megabytes * 1024 * 1024 * 4 / 3);
        QVERIFY2(f.sentBytes >= f.recordBytes, qPrintable(QString::number(f.sentBytes)));
        QCOMPARE(f.attachmentName, QStringLiteral("recording.bin"));

        // Memory: far below the attachment at every step.
        const qint64 limitKb = 300 * 1024;
        QVERIFY2(f.storePeakKb - f.idleKb < limitKb, qPrintable(QString::number(f.storePeakKb - f.idleKb)));
        QVERIFY2(f.selectPeakKb - f.idleKb < limitKb, qPrintable(QString::number(f.selectPeakKb - f.idleKb)));
        QVERIFY2(f.sendPeakKb - f.idleKb < limitKb, qPrintable(QString::number(f.sendPeakKb - f.idleKb)));
        QVERIFY2(f.modifyPeakKb - f.idleKb < limitKb, qPrintable(QString::number(f.modifyPeakKb - f.idleKb)));
        QVERIFY2(f.handOverPeakKb - f.idleKb < limitKb, qPrintable(QString::number(f.handOverPeakKb - f.idleKb)));
        // Opened for changes the attachment is copied whole; handed over, the file holds it.
        QCOMPARE(f.copiedBytes, megabytes * 1024 * 1024);
        QVERIFY2(f.handOverBytes > f.recordBytes, qPrintable(QString::number(f.handOverBytes)));

        // The event loop was served while the mail was stored and sent: a timer of 5 ms
        // fired again and again, not once at the end.
        QVERIFY2(f.storeTicks > 10, qPrintable(QString::number(f.storeTicks)));
        QVERIFY2(f.sendTicks > 10, qPrintable(QString::number(f.sendTicks)));
    }
};

QTEST_MAIN(TestBigAttachment)
#include "tst_bigattachment.moc"
