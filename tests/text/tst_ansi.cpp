// Windows-1252: every byte reads as one character and writes back as the same byte;
// what the code page cannot hold becomes one "?" per character.
#include "tests/text/TextTestTools.h"
#include "text/Ansi.h"

#include <QTest>

class TstAnsi : public QObject
{
    Q_OBJECT

private slots:
    void everyByteRoundTrips()
    {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all.push_back(static_cast<char>(b));
        const QString text = Ansi::toQString(all);
        QCOMPARE(text.size(), qsizetype(256));
        QVERIFY(Ansi::canHold(text));
        QVERIFY(Ansi::fromQString(text) == all);
        QCOMPARE(Ansi::toQString(B(all)), text);
    }

    void characters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("held");
        QTest::newRow("euro and quotes") << QStringLiteral("€„“”–—™") << QByteArray("\x80\x84\x93\x94\x96\x97\x99")
                                         << true;
        QTest::newRow("Latin-1 letters") << QStringLiteral("Zoë Ångström") << QByteArray("Zo\xeb \xc5ngstr\xf6m") << true;
        QTest::newRow("unassigned codes as C1 controls")
            << QString(QList<QChar>{QChar(0x81), QChar(0x8D)}.constData(), 2) << QByteArray("\x81\x8d") << true;
        QTest::newRow("C1 control that 1252 gives a letter") << QString(QChar(0x80)) << QByteArray("?") << false;
        QTest::newRow("Greek") << QStringLiteral("aΩb") << QByteArray("a?b") << false;
        QTest::newRow("outside the BMP is one ?") << QStringLiteral("a😀b") << QByteArray("a?b") << false;
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?") << false;
        QTest::newRow("NUL") << QString(QChar(0)) << QByteArray("\0", 1) << true;
    }
    void characters()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, held);
        QCOMPARE(B(Ansi::fromQString(text)), bytes);
        QCOMPARE(Ansi::canHold(text), held);
        if (held)
            QCOMPARE(Ansi::toQString(S(bytes)), text);
    }
};

QTEST_GUILESS_MAIN(TstAnsi)
#include "tst_ansi.moc"
