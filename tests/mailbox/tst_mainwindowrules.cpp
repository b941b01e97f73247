#include "mailbox/ComposerCascade.h"
#include "mailbox/SendQuestion.h"
#include "ui/ToolBandFit.h"

#include <QSet>
#include <QTest>

// What the main window decides about sending, placing composers and its picture band,
// without a window.
class TestMainWindowRules : public QObject
{
    Q_OBJECT

private slots:
    void sendQuestion_data()
    {
        QTest::addColumn<bool>("unsent");
        QTest::addColumn<QStringList>("subjects");
        QTest::addColumn<QString>("text");
        QTest::newRow("three unsent") << true << QStringList{"Spring concert", "", "  Re:\r\n  tickets  "}
                                      << "Send 3 unsent mails?\r\n\r\n- Spring concert\r\n- (no subject)\r\n- Re: tickets";
        QTest::newRow("one selected") << false << QStringList{"中文 Ωmega"} << "Send 1 selected mail?\r\n\r\n- 中文 Ωmega";
        QStringList twelve;
        for (int i = 1; i <= 12; ++i)
            twelve << QStringLiteral("m%1").arg(i);
        QString listed;
        for (int i = 1; i <= 10; ++i)
            listed += QStringLiteral("\r\n- m%1").arg(i);
        QTest::newRow("more than ten") << true << twelve
                                       << "Send 12 unsent mails?\r\n" + listed + "\r\n... and 2 more";
        // Cut after 57 characters; a character outside the basic plane is never halved.
        QTest::newRow("long subject") << false << QStringList{QString(56, 'a') + QStringLiteral("😀tail") + QString(20, 'z')}
                                      << "Send 1 selected mail?\r\n\r\n- " + QString(56, 'a') + "...";
    }

    void sendQuestion()
    {
        QFETCH(bool, unsent);
        QFETCH(QStringList, subjects);
        QFETCH(QString, text);
        QCOMPARE(SendQuestion::text(unsent ? SendQuestion::Scope::Unsent : SendQuestion::Scope::Selected, subjects), text);
    }

    // Ten composers opened one after the other all get places of their own inside the
    // screen, the first at its own place.
    void cascadeGivesEachComposerItsPlace_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QSize>("size");
        QTest::newRow("room for all") << QRect(0, 0, 1920, 1040) << QSize(710, 486);
        QTest::newRow("a few steps a run") << QRect(0, 30, 1024, 738) << QSize(710, 486);
        QTest::newRow("small screen") << QRect(0, 0, 1024, 600) << QSize(710, 486);
    }

    void cascadeGivesEachComposerItsPlace()
    {
        QFETCH(QRect, screen);
        QFETCH(QSize, size);
        const QPoint centre(screen.center().x() - size.width() / 2, screen.center().y() - size.height() / 2);
        QList<QPoint> open;
        for (int i = 0; i < 10; ++i) {
            const QPoint p = ComposerCascade::place(screen, size, centre, open);
            QVERIFY2(!open.contains(p), qPrintable(QStringLiteral("composer %1 on another").arg(i + 1)));
            QVERIFY(screen.contains(QRect(p, size)));
            open.append(p);
        }
        QCOMPARE(open.first(), centre);
    }

    // A closed composer's place is taken again by the next.
    void cascadeFillsAHole()
    {
        const QRect screen(0, 0, 1920, 1040);
        const QSize size(700, 480);
        const QPoint origin(600, 280);
        QList<QPoint> open;
        for (int i = 0; i < 3; ++i)
            open.append(ComposerCascade::place(screen, size, origin, open));
        const QPoint second = open.takeAt(1);
        // A window manager's frame moves a window by a few pixels; it still holds its place.
        open[0] += QPoint(3, 4);
        QCOMPARE(ComposerCascade::place(screen, size, origin, open), second);
    }

    void logoGivesWay_data()
    {
        QTest::addColumn<int>("bandWidth");
        QTest::addColumn<int>("left");
        // Buttons end at 442, the logo is 140 wide.
        QTest::newRow("wide") << 760 << 760 - ToolBandFit::Margin - 140;
        QTest::newRow("just fits") << ToolBandFit::preferredWidth(442, 140) << 442 + ToolBandFit::Gap;
        QTest::newRow("one pixel short") << ToolBandFit::preferredWidth(442, 140) - 1 << -1;
        QTest::newRow("narrow") << 400 << -1;
    }

    void logoGivesWay()
    {
        QFETCH(int, bandWidth);
        QFETCH(int, left);
        QCOMPARE(ToolBandFit::logoLeft(bandWidth, 442, 140), left);
        QVERIFY(ToolBandFit::minimumWidth(442) > 442);
    }
};

QTEST_GUILESS_MAIN(TestMainWindowRules)
#include "tst_mainwindowrules.moc"
