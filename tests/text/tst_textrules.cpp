// The shared small rules on text: which bytes each trim takes, and ASCII case that
// leaves every other byte alone.
#include "tests/text/TextTestTools.h"
#include "text/TextRules.h"

#include <QTest>

class TstTextRules : public QObject
{
    Q_OBJECT

private slots:
    // Each trim on the same input; the byte and the character forms agree on Latin-1 text.
    void trims_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("blanks");
        QTest::addColumn<QByteArray>("leadingBlanksTrailingSpaces");
        QTest::addColumn<QByteArray>("blanksOrControls");
        QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("only blanks") << QByteArray(" \t ") << QByteArray() << QByteArray("") << QByteArray();
        QTest::newRow("only a TAB") << QByteArray("\t") << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("blanks both ends") << QByteArray(" \ta b\t ") << QByteArray("a b") << QByteArray("a b\t")
                                          << QByteArray("a b");
        QTest::newRow("TAB last stays for the mail trim") << QByteArray("\tx\t") << QByteArray("x")
                                                          << QByteArray("x\t") << QByteArray("x");
        QTest::newRow("space after TAB") << QByteArray("x\t ") << QByteArray("x") << QByteArray("x\t")
                                         << QByteArray("x");
        QTest::newRow("CR LF is no blank") << QByteArray("\r\n x \r\n") << QByteArray("\r\n x \r\n")
                                           << QByteArray("\r\n x \r\n") << QByteArray("x");
        QTest::newRow("NUL is a control") << QByteArray("\0x\0", 3) << QByteArray("\0x\0", 3)
                                          << QByteArray("\0x\0", 3) << QByteArray("x");
        QTest::newRow("8-bit bytes stay") << QByteArray("\xa0\xe9 \x85") << QByteArray("\xa0\xe9 \x85")
                                          << QByteArray("\xa0\xe9 \x85") << QByteArray("\xa0\xe9 \x85");
        QTest::newRow("DEL is no control here") << QByteArray("\x7f a\x7f") << QByteArray("\x7f a\x7f")
                                                << QByteArray("\x7f a\x7f") << QByteArray("\x7f a\x7f");
        QTest::newRow("inside untouched") << QByteArray("a \t\r\n b") << QByteArray("a \t\r\n b")
                                          << QByteArray("a \t\r\n b") << QByteArray("a \t\r\n b");
    }
    void trims()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, blanks);
        QFETCH(QByteArray, leadingBlanksTrailingSpaces);
        QFETCH(QByteArray, blanksOrControls);
        const std::string bytes = S(text);
        QCOMPARE(B(std::string(TextRules::trimBlanks(bytes))), blanks);
        QCOMPARE(B(std::string(TextRules::trimLeadingBlanksTrailingSpaces(bytes))), leadingBlanksTrailingSpaces);
        QCOMPARE(B(std::string(TextRules::trimBlanksOrControls(bytes))), blanksOrControls);
        QCOMPARE(TextRules::isBlankOrControlOnly(bytes), blanksOrControls.isEmpty());

        const QString chars = QString::fromLatin1(text);
        QCOMPARE(TextRules::trimLeadingBlanksTrailingSpaces(chars), QString::fromLatin1(leadingBlanksTrailingSpaces));
        QCOMPARE(TextRules::trimBlanksOrControls(chars), QString::fromLatin1(blanksOrControls));
    }

    // Characters beyond Latin-1 that are white space elsewhere stay: only U+0000..U+0020 go.
    void trimCharactersKeepsUnicodeSpaces()
    {
        const QString text = QStringLiteral("\u2003 a\u00a0\u3000");
        QCOMPARE(TextRules::trimBlanksOrControls(text), text);
        QCOMPARE(TextRules::trimLeadingBlanksTrailingSpaces(text), text);
        QCOMPARE(TextRules::trimBlanksOrControls(QStringLiteral("\u0001\t a \n")), QStringLiteral("a"));
    }

    // A-Z folds; bytes around the letters (such as "[" after "Z" and "_" before "a") and
    // 8-bit letters compare as they are, unsigned.
    void ignoringAsciiCase_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("startsWith");
        QTest::newRow("same") << QByteArray("SIZE") << QByteArray("size") << 0 << true;
        QTest::newRow("mixed") << QByteArray("Content-Type") << QByteArray("cONTENT-tYPE") << 0 << true;
        QTest::newRow("empty") << QByteArray() << QByteArray() << 0 << true;
        QTest::newRow("prefix") << QByteArray("AUTH PLAIN") << QByteArray("auth") << 1 << true;
        QTest::newRow("shorter") << QByteArray("au") << QByteArray("AUTH") << -1 << false;
        QTest::newRow("'[' after Z is no letter") << QByteArray("[") << QByteArray("{") << -1 << false;
        QTest::newRow("'_' sorts before letters") << QByteArray("_") << QByteArray("A") << -1 << false;
        QTest::newRow("8-bit letters keep their case") << QByteArray("\xc9") << QByteArray("\xe9") << -1 << false;
        QTest::newRow("8-bit sorts after ASCII") << QByteArray("\x80") << QByteArray("z") << 1 << false;
        QTest::newRow("NUL counts") << QByteArray("a\0", 2) << QByteArray("A") << 1 << true;
    }
    void ignoringAsciiCase()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(int, order);
        QFETCH(bool, startsWith);
        const std::string x = S(a), y = S(b);
        const auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
        QCOMPARE(sign(TextRules::compareIgnoringAsciiCase(x, y)), order);
        QCOMPARE(sign(TextRules::compareIgnoringAsciiCase(y, x)), -order);
        QCOMPARE(TextRules::equalsIgnoringAsciiCase(x, y), order == 0);
        QCOMPARE(TextRules::equalsIgnoringAsciiCase(y, x), order == 0);
        QCOMPARE(TextRules::startsWithIgnoringAsciiCase(x, y), startsWith);
    }

    void lowerAsciiCopy()
    {
        QCOMPARE(B(TextRules::lowerAsciiCopy("TEXT/Plain; Charset=\"\xc9T\xc9\" [@Z]")),
                 QByteArray("text/plain; charset=\"\xc9t\xc9\" [@z]"));
        QCOMPARE(B(TextRules::lowerAsciiCopy(std::string_view("A\0B", 3))), QByteArray("a\0b", 3));
        QCOMPARE(TextRules::upperAscii('z'), 'Z');
        QCOMPARE(TextRules::upperAscii('{'), '{');
        QCOMPARE(TextRules::upperAscii('\xe9'), '\xe9');
    }
};

QTEST_GUILESS_MAIN(TstTextRules)
#include "tst_textrules.moc"
