#include "os/ProgramIcons.h"

#include <QGuiApplication>
#include <QImage>
#include <QtTest>

// Every icon and picture a window asks for is there on this machine: a theme icon through
// the Breeze fallback, the program's artwork from its resources.
class TestProgramIcons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ProgramIcons::installFallbackTheme(); }

    void everyRoleHasAPicture()
    {
        QStringList missing;
        for (const ProgramIcons::Role role : ProgramIcons::allRoles()) {
            const QIcon icon = ProgramIcons::icon(role);
            const QImage image = icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
            bool drawn = false;
            for (int y = 0; y < image.height() && !drawn; ++y)
                for (int x = 0; x < image.width() && !drawn; ++x)
                    drawn = qAlpha(image.pixel(x, y)) > 0;
            if (icon.isNull() || !drawn)
                missing << QStringLiteral("%1 (%2)").arg(int(role)).arg(ProgramIcons::source(role));
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }
};

QTEST_MAIN(TestProgramIcons)
#include "tst_programicons.moc"
