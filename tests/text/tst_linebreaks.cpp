// The one reading of line breaks, and the one rule by which text becomes bytes.
#include "tests/text/TextTestTools.h"
#include "text/CrLfWriter.h"
#include "text/LineBreaks.h"
#include "text/StoredText.h"

#include <QTest>

class TstLineBreaks : public QObject
{
    Q_OBJECT

private slots:
    // Each text as CR LF text: LF CR read as two breaks (the rule) and as one (header
    // folding, base64 login text, quoted-printable soft breaks); and ended with a break.
    void toCrLf_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("twoBreaks");
        QTest::addColumn<QByteArray>("oneBreak");
        QTest::addColumn<QByteArray>("ended");
        QTest::newRow("CR LF") << QByteArray("a\r\nb") << QByteArray("a\r\nb") << QByteArray("a\r\nb")
                               << QByteArray("a\r\nb\r\n");
        QTest::newRow("lone CR") << QByteArray("a\rb") << QByteArray("a\r\nb") << QByteArray("a\r\nb")
                                 << QByteArray("a\r\nb\r\n");
        QTest::newRow("lone LF") << QByteArray("a\nb") << QByteArray("a\r\nb") << QByteArray("a\r\nb")
                                 << QByteArray("a\r\nb\r\n");
        QTest::newRow("LF CR") << QByteArray("a\n\rb") << QByteArray("a\r\n\r\nb") << QByteArray("a\r\nb")
                               << QByteArray("a\r\n\r\nb\r\n");
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArray("a\r\n\r\nb") << QByteArray("a\r\n\r\nb")
                                  << QByteArray("a\r\n\r\nb\r\n");
        QTest::newRow("LF CR LF") << QByteArray("a\n\r\nb") << QByteArray("a\r\n\r\nb") << QByteArray("a\r\n\r\nb")
                                  << QByteArray("a\r\n\r\nb\r\n");
        QTest::newRow("LF LF CR") << QByteArray("a\n\n\rb") << QByteArray("a\r\n\r\n\r\nb")
                                  << QByteArray("a\r\n\r\nb") << QByteArray("a\r\n\r\n\r\nb\r\n");
        QTest::newRow("break first") << QByteArray("\nab") << QByteArray("\r\nab") << QByteArray("\r\nab")
                                     << QByteArray("\r\nab\r\n");
        QTest::newRow("CR last") << QByteArray("ab\r") << QByteArray("ab\r\n") << QByteArray("ab\r\n")
                                 << QByteArray("ab\r\n");
        QTest::newRow("LF CR last") << QByteArray("ab\n\r") << QByteArray("ab\r\n\r\n") << QByteArray("ab\r\n")
                                    << QByteArray("ab\r\n\r\n");
        QTest::newRow("only breaks") << QByteArray("\r\r\n\n") << QByteArray("\r\n\r\n\r\n")
                                     << QByteArray("\r\n\r\n\r\n") << QByteArray("\r\n\r\n\r\n");
        QTest::newRow("no break") << QByteArray("abc") << QByteArray("abc") << QByteArray("abc")
                                  << QByteArray("abc\r\n");
        QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("NUL and 8-bit kept") << QByteArray("a\0\xe9\n", 4) << QByteArray("a\0\xe9\r\n", 5)
                                            << QByteArray("a\0\xe9\r\n", 5) << QByteArray("a\0\xe9\r\n", 5);
    }
    void toCrLf()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, twoBreaks);
        QFETCH(QByteArray, oneBreak);
        QFETCH(QByteArray, ended);
        using LineBreaks::LfCr;
        QCOMPARE(B(LineBreaks::toCrLf(S(text))), twoBreaks);
        QCOMPARE(B(LineBreaks::toCrLf(S(text), false, LfCr::OneBreak)), oneBreak);
        QCOMPARE(B(LineBreaks::toCrLf(S(text), true)), ended);
        // CR LF text is a fixed point of both readings.
        QCOMPARE(B(LineBreaks::toCrLf(S(twoBreaks))), twoBreaks);
        QCOMPARE(B(LineBreaks::toCrLf(S(oneBreak), false, LfCr::OneBreak)), oneBreak);
        // Done to the text itself, the same bytes, whether it needed changing or not.
        for (const QByteArray &given : {text, twoBreaks}) {
            std::string inPlace = S(given), ending = S(given), single = S(given);
            LineBreaks::makeCrLf(inPlace);
            LineBreaks::makeCrLf(ending, true);
            LineBreaks::makeCrLf(single, false, LfCr::OneBreak);
            QCOMPARE(B(inPlace), twoBreaks);
            QCOMPARE(B(ending), ended);
            QCOMPARE(B(single), B(LineBreaks::toCrLf(S(given), false, LfCr::OneBreak)));
        }
    }

    // Given a piece at a time, cut at every place (a CR LF cut in two included) and byte
    // by byte, the same bytes as the whole text.
    void crLfWriterInPieces_data() { toCrLf_data(); }
    void crLfWriterInPieces()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, twoBreaks);
        QFETCH(QByteArray, ended);
        const auto written = [](const std::vector<QByteArray> &pieces, bool end) {
            QByteArray out;
            CrLfWriter writer([&out](std::string_view bytes) { out.append(bytes.data(), qsizetype(bytes.size())); });
            for (const QByteArray &piece : pieces)
                writer.write(S(piece));
            writer.finish(end);
            return out;
        };
        for (qsizetype cut = 0; cut <= text.size(); ++cut) {
            const std::vector<QByteArray> two{text.left(cut), text.mid(cut)};
            QCOMPARE(written(two, false), twoBreaks);
            QCOMPARE(written(two, true), ended);
        }
        std::vector<QByteArray> bytes;
        for (const char c : text)
            bytes.emplace_back(1, c);
        QCOMPARE(written(bytes, true), ended);
    }

    // Windows-1252 where the code page holds every character, UTF-8 otherwise; reading
    // the bytes back gives the text.
    void textToBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("windows1252");
        QTest::newRow("ascii") << QStringLiteral("Bob <b@x>") << QByteArray("Bob <b@x>") << true;
        QTest::newRow("empty") << QString() << QByteArray() << true;
        QTest::newRow("latin-1 letters") << QStringLiteral("René Müller") << QByteArray("Ren\xe9 M\xfcller") << true;
        QTest::newRow("1252-only characters") << QStringLiteral("5 € „ok“ – Œ")
                                               << QByteArray("5 \x80 \x84ok\x93 \x96 \x8c") << true;
        QTest::newRow("unassigned 0x81 0x8D 0x8F 0x90 0x9D")
            << QString(QList<QChar>{QChar(0x81), QChar(0x8D), QChar(0x8F), QChar(0x90), QChar(0x9D)}.constData(), 5)
            << QByteArray("\x81\x8d\x8f\x90\x9d") << true;
        QTest::newRow("C1 control with a 1252 letter at its place") << QString(QChar(0x80)) << QByteArray("\xc2\x80")
                                                                    << false;
        QTest::newRow("beyond") << QStringLiteral("Ωmega") << QByteArray("\xce\xa9mega") << false;
        QTest::newRow("one character beyond makes all UTF-8")
            << QStringLiteral("é € Ω") << QByteArray("\xc3\xa9 \xe2\x82\xac \xce\xa9") << false;
        QTest::newRow("outside the BMP") << QStringLiteral("a😀") << QByteArray("a\xf0\x9f\x98\x80") << false;
    }
    void textToBytes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, windows1252);
        QCOMPARE(B(StoredText::fromQString(text)), bytes);
        QCOMPARE(StoredText::windows1252(text).has_value(), windows1252);
        if (windows1252)
            QCOMPARE(B(*StoredText::windows1252(text)), bytes);
        bool readUtf8 = true;
        QCOMPARE(StoredText::toQString(S(bytes), &readUtf8), text);
        QCOMPARE(readUtf8, !windows1252);
    }
};

QTEST_GUILESS_MAIN(TstLineBreaks)
#include "tst_linebreaks.moc"
