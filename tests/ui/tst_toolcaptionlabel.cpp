#include "ui/ToolCaptionLabel.h"

#include <QApplication>
#include <QtTest>

// The caption line is parted into one caption per picture at runs of two or more blanks;
// a single blank stays inside a caption.
class TestToolCaptionLabel : public QObject
{
    Q_OBJECT

private slots:
    void captionsPartAtRunsOfBlanks_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("pictures") << QStringLiteral("  Send    New   Export  ")
                                  << QStringList{QStringLiteral("Send"), QStringLiteral("New"), QStringLiteral("Export")};
        QTest::newRow("one blank inside") << QStringLiteral("Ms OE  Help")
                                          << QStringList{QStringLiteral("Ms OE"), QStringLiteral("Help")};
        QTest::newRow("tab and blank") << QStringLiteral("Send\t New")
                                       << QStringList{QStringLiteral("Send"), QStringLiteral("New")};
        QTest::newRow("one caption") << QStringLiteral("Help") << QStringList{QStringLiteral("Help")};
        QTest::newRow("nothing") << QStringLiteral("   ") << QStringList{};
    }

    void captionsPartAtRunsOfBlanks()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, captions);
        const ToolCaptionLabel label(line, QList<int>{}, nullptr);
        QCOMPARE(label.words(), captions);
    }
};

QTEST_MAIN(TestToolCaptionLabel)
#include "tst_toolcaptionlabel.moc"
