#include "ComposerCascade.h"
#include "ToolBandFit.h"

#include <QSet>
#include <QTest>

// Where the main window places composers and how its picture band fits, without a window.
class TestMainWindowRules : public QObject
{
    Q_OBJECT

private slots:
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
