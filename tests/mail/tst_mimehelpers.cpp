// Tests of the encoding and header helpers of the mail model.
#include "mail/Base64Decoder.h"
#include "mail/Base64.h"
#include "mail/ContentTypes.h"
#include "mail/HeaderFolding.h"
#include "mail/HeaderLines.h"
#include "mail/HeaderWords.h"
#include "mail/MailDates.h"
#include "mail/QuotedPrintable.h"
#include "mail/RandomSource.h"
#include "mail/StringHelpers.h"
#include "mail/UUCode.h"
#include "tests/mail/MailTestTools.h"

#include "os/AppError.h"

#include <algorithm>

#include <QDateTime>
#include <QSet>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>

namespace {

// Qt's own base64 in 76-character lines, each ended by CR LF: an independent reference.
QByteArray referenceBase64Lines(const QByteArray &data)
{
    QByteArray out;
    for (qsizetype i = 0; i < data.size(); i += 57)
        out += data.mid(i, 57).toBase64() + "\r\n";
    return out;
}

} // namespace

class TstMimeHelpers : public QObject
{
    Q_OBJECT

private slots:
    void trimBlanks_data();
    void trimBlanks();
    void nextLine_data();
    void nextLine();
    void nextLineOutOfRange();
    void safeFileName_data();
    void safeFileName();
    void isNumericAddress_data();
    void isNumericAddress();

    void findHeaderLine_data();
    void findHeaderLine();
    void headerLineValue_data();
    void headerLineValue();
    void replaceHeaderLineValue_data();
    void replaceHeaderLineValue();
    void headerLineParam_data();
    void headerLineParam();
    void replaceHeaderLineParam_data();
    void replaceHeaderLineParam();
    void normalizeHeaderLine_data();
    void normalizeHeaderLine();
    void foldHeaders_data();
    void foldHeaders();
    void foldHeadersLongLines_data();
    void foldHeadersLongLines();

    void qpEncode_data();
    void qpEncode();
    void qpDecode_data();
    void qpDecode();
    void qpRoundTrip_data();
    void qpRoundTrip();

    void base64EncodeStream_data();
    void base64EncodeStream();
    void base64DecodeLine_data();
    void base64DecodeLine();
    void base64RoundTripLineByLine();
    void base64DecodeLineAppendKeepsPrefix();
    void base64DecoderPieces_data();
    void base64DecoderPieces();
    void base64EncodeString_data();
    void base64EncodeString();

    void uuCharValue();
    void uuDecodeLine_data();
    void uuDecodeLine();
    void uuDecodeText_data();
    void uuDecodeText();

    void encodeHeaderWord_data();
    void encodeHeaderWord();
    void decodeHeaderWords_data();
    void decodeHeaderWords();
    void decodeHeaderWordsLongRun();
    void headerWordRoundTrip();

    void contentTypes_data();
    void contentTypes();
    void newBoundary();
    void rfc822Date_data();
    void rfc822Date();
};

// ------------------------------------------------------------------ string helpers

void TstMimeHelpers::trimBlanks_data()
{
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("both");
    QTest::addColumn<QByteArray>("left");
    QTest::addColumn<QByteArray>("right");
    QTest::newRow("plain") << QByteArray("abc") << QByteArray("abc") << QByteArray("abc") << QByteArray("abc");
    QTest::newRow("spaces") << QByteArray("  a b  ") << QByteArray("a b") << QByteArray("a b  ") << QByteArray("  a b");
    QTest::newRow("tabs") << QByteArray("\t a\t") << QByteArray("a\t") << QByteArray("a\t") << QByteArray("\t a");
    QTest::newRow("trailing tab before space") << QByteArray("a\t ") << QByteArray("a\t") << QByteArray("a\t ")
                                               << QByteArray("a");
    QTest::newRow("blanks only") << QByteArray(" \t \t") << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("other controls stay") << QByteArray("\r\na\r\n") << QByteArray("\r\na\r\n")
                                         << QByteArray("\r\na\r\n") << QByteArray("\r\na\r\n");
    QTest::newRow("nul is a byte") << QByteArray(" \0x \0", 5) << QByteArray("\0x \0", 4) << QByteArray("\0x \0", 4)
                                   << QByteArray(" \0x \0", 5);
}

void TstMimeHelpers::trimBlanks()
{
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, both);
    QFETCH(QByteArray, left);
    QFETCH(QByteArray, right);
    QCOMPARE(B(TrimBlanks(S(in))), both);
    QCOMPARE(B(TrimBlanksLeft(S(in))), left);
    QCOMPARE(B(TrimBlanksRight(S(in))), right);
}

void TstMimeHelpers::nextLine_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("one line, no break") << QByteArray("abc") << QList<QByteArray>{"abc"};
    QTest::newRow("one line with break") << QByteArray("abc\r\n") << QList<QByteArray>{"abc\r\n"};
    QTest::newRow("two lines") << QByteArray("a\r\nb") << QList<QByteArray>{"a\r\n", "b"};
    QTest::newRow("two lines with final break") << QByteArray("a\r\nb\r\n") << QList<QByteArray>{"a\r\n", "b\r\n"};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n\r\n") << QList<QByteArray>{"\r\n", "\r\n", "\r\n"};
    QTest::newRow("lone LF and CR are ordinary") << QByteArray("a\nb\rc\r\nd")
                                                 << QList<QByteArray>{"a\nb\rc\r\n", "d"};
    QTest::newRow("LF CR is no break") << QByteArray("a\n\rb") << QList<QByteArray>{"a\n\rb"};
    QTest::newRow("CR at the end") << QByteArray("a\r\nb\r") << QList<QByteArray>{"a\r\n", "b\r"};
    QTest::newRow("nul bytes") << QByteArray("a\0b\r\n\0", 6)
                               << QList<QByteArray>{"a" + QByteArray(1, '\0') + "b\r\n", QByteArray(1, '\0')};
}

void TstMimeHelpers::nextLine()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, lines);
    const std::string t = S(text);
    QList<QByteArray> got;
    int position = 1;
    while (position >= 0 && got.size() < 100)
        got << B(NextLine(t, position));
    QCOMPARE(got, lines);
    // The view variant walks the same lines.
    got.clear();
    position = 1;
    while (position >= 0 && got.size() < 100)
        got << B(std::string(NextLineView(t, position)));
    QCOMPARE(got, lines);
}

void TstMimeHelpers::nextLineOutOfRange()
{
    const std::string t = "ab\r\ncd";
    for (int start : {0, -5, 7, 100}) {
        int position = start;
        QVERIFY(NextLine(t, position).empty());
        QCOMPARE(position, -1);
    }
    int position = 1;
    QVERIFY(NextLine(std::string(), position).empty());
    QCOMPARE(position, -1);
    position = 5; // in the middle: from "cd"
    QCOMPARE(NextLine(t, position), std::string("cd"));
    QCOMPARE(position, -1);
}

void TstMimeHelpers::safeFileName_data()
{
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("example") << QByteArray("a:b?.txt") << QByteArray("a_b_.txt");
    QTest::newRow("all ten") << QByteArray("\\/*?\"<>|':x") << QByteArray("__________x");
    QTest::newRow("controls") << QByteArray("a\tb\r\n\x1f" "c") << QByteArray("a_b___c");
    QTest::newRow("nul") << QByteArray("a\0b", 3) << QByteArray("a_b");
    QTest::newRow("trimmed first") << QByteArray("\t  name.txt  ") << QByteArray("name.txt");
    QTest::newRow("8-bit kept") << QByteArray("caf\xe9.doc") << QByteArray("caf\xe9.doc");
    QTest::newRow("content id") << QByteArray("<1.jpg>") << QByteArray("_1.jpg_");
    QTest::newRow("cut at 254") << (QByteArray(300, 'x') + "?") << QByteArray(254, 'x');
    QTest::newRow("cut after trim") << (QByteArray("   ") + QByteArray(253, 'y') + "::")
                                    << (QByteArray(253, 'y') + "_");
}

void TstMimeHelpers::safeFileName()
{
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, out);
    QCOMPARE(B(SafeFileName(S(in))), out);
}

void TstMimeHelpers::isNumericAddress_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<bool>("numeric");
    QTest::newRow("ipv4") << QByteArray("10.0.0.1") << true;
    QTest::newRow("one number") << QByteArray("12") << true;
    QTest::newRow("range unchecked") << QByteArray("999.1.2.3.4") << true;
    QTest::newRow("name") << QByteArray("mail.example") << false;
    QTest::newRow("empty piece") << QByteArray("1..2") << false;
    QTest::newRow("leading dot") << QByteArray(".1") << false;
    QTest::newRow("trailing dot") << QByteArray("1.") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("negative") << QByteArray("-1.2") << false;
    QTest::newRow("blank") << QByteArray("1. 2") << false;
    QTest::newRow("hex") << QByteArray("0x1") << false;
    QTest::newRow("nul") << QByteArray("1\0", 2) << false;
}

void TstMimeHelpers::isNumericAddress()
{
    QFETCH(QByteArray, host);
    QFETCH(bool, numeric);
    QCOMPARE(IsNumericAddress(S(host)), numeric);
}

// ------------------------------------------------------------------ header lines

void TstMimeHelpers::findHeaderLine_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("index");
    QTest::newRow("first field") << QByteArray("subject:") << 0 << 1;
    QTest::newRow("case ignored") << QByteArray("CONTENT-TYPE:") << 0 << 2;
    QTest::newRow("family 0") << QByteArray("Content-") << 0 << 2;
    QTest::newRow("family 1") << QByteArray("Content-") << 1 << 3;
    QTest::newRow("family 2") << QByteArray("Content-") << 2 << 5;
    QTest::newRow("family past end") << QByteArray("Content-") << 3 << -1;
    QTest::newRow("second occurrence") << QByteArray("Received:") << 1 << 4;
    QTest::newRow("absent") << QByteArray("Cc:") << 0 << -1;
    QTest::newRow("negative n") << QByteArray("Subject:") << -1 << -1;
    QTest::newRow("prefix longer than lines") << QByteArray("Content-Transfer-Encoding: base64; x") << 0 << -1;
}

void TstMimeHelpers::findHeaderLine()
{
    QFETCH(QByteArray, prefix);
    QFETCH(int, n);
    QFETCH(int, index);
    const std::vector<std::string> lines = {"Received: a",          "Subject: hi", "Content-Type: text/plain",
                                            "content-transfer-encoding: 7bit", "Received: b", "CONTENT-ID: <x>"};
    QCOMPARE(FindHeaderLine(&lines, S(prefix), n), index);
    QCOMPARE(FindHeaderLine(lines, S(prefix), n), index);
    QCOMPARE(FindHeaderLine(nullptr, S(prefix), n), -1);
}

void TstMimeHelpers::headerLineValue_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("simple") << QByteArray("Subject: hello") << QByteArray("hello");
    QTest::newRow("stops at ;") << QByteArray("Content-Type: text/plain; charset=x") << QByteArray("text/plain");
    QTest::newRow("trim, tab stays at end") << QByteArray("X:  \ta b\t  ") << QByteArray("a b\t");
    QTest::newRow("quotes removed once") << QByteArray("X: \"\"a\"\"") << QByteArray("\"a\"");
    QTest::newRow("quoted ; and :") << QByteArray("From: \"a;b: c\" <x@y>; z") << QByteArray("\"a;b: c\" <x@y>");
    QTest::newRow("whole quoted") << QByteArray("X-Mail-Attachment: \"a;b.txt\"") << QByteArray("a;b.txt");
    QTest::newRow("second colon ordinary") << QByteArray("Subject: Re: x") << QByteArray("Re: x");
    QTest::newRow("quoted colon in name") << QByteArray("\"a:b\": v") << QByteArray("v");
    QTest::newRow("empty value") << QByteArray("Subject:") << QByteArray();
    QTest::newRow("no colon") << QByteArray("garbage") << QByteArray();
    QTest::newRow("lone quote kept") << QByteArray("X: \"") << QByteArray("\"");
    QTest::newRow("unclosed quote runs to end") << QByteArray("X: \"a; b") << QByteArray("\"a; b");
    QTest::newRow("nul in value") << QByteArray("X: a\0b", 6) << QByteArray("a\0b", 3);
}

void TstMimeHelpers::headerLineValue()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, value);
    QCOMPARE(B(HeaderLineValue(S(line))), value);
}

void TstMimeHelpers::replaceHeaderLineValue_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("params stay") << QByteArray("Content-Type: text/plain; charset=x") << QByteArray("text/html")
                                 << QByteArray("Content-Type: text/html; charset=x");
    QTest::newRow("no params") << QByteArray("Subject: old") << QByteArray("  new ") << QByteArray("Subject: new");
    QTest::newRow("empty value") << QByteArray("Subject: ") << QByteArray("x") << QByteArray("Subject: x");
    QTest::newRow("quoted ; in old value") << QByteArray("X: \"a;b\"; p=1") << QByteArray("c")
                                           << QByteArray("X: c; p=1");
    QTest::newRow("no colon gets one") << QByteArray("X") << QByteArray("v") << QByteArray("X: v");
}

void TstMimeHelpers::replaceHeaderLineValue()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, result);
    QCOMPARE(B(ReplaceHeaderLineValue(S(line), S(value))), result);
}

void TstMimeHelpers::headerLineParam_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("param");
    QTest::addColumn<QByteArray>("value");
    const QByteArray ct = "Content-Type: multipart/mixed; boundary=\"b;1=2\"; Charset = iso ; name=\"a b.txt\"";
    QTest::newRow("quoted with ; and =") << ct << QByteArray("boundary") << QByteArray("b;1=2");
    QTest::newRow("case and blanks") << ct << QByteArray(" charset ") << QByteArray("iso");
    QTest::newRow("quoted name") << ct << QByteArray("name") << QByteArray("a b.txt");
    QTest::newRow("absent") << ct << QByteArray("format") << QByteArray();
    QTest::newRow("prefix of a name is no match") << ct << QByteArray("char") << QByteArray();
    QTest::newRow("not in value") << QByteArray("X: a=1; b=2") << QByteArray("a") << QByteArray();
    QTest::newRow("no ; at all") << QByteArray("X: a=1") << QByteArray("a") << QByteArray();
    QTest::newRow("; before colon ignored") << QByteArray("a;b=1: v") << QByteArray("b") << QByteArray();
    QTest::newRow("quoted ; in value") << QByteArray("X: \"v;b=1\"; c=2") << QByteArray("b") << QByteArray();
    QTest::newRow("first wins") << QByteArray("X: v; a=1; a=2") << QByteArray("a") << QByteArray("1");
    QTest::newRow("empty value") << QByteArray("X: v; a=; b=2") << QByteArray("a") << QByteArray();
    QTest::newRow("no = skipped") << QByteArray("X: v; a; a=3") << QByteArray("a") << QByteArray("3");
    QTest::newRow("value with =") << QByteArray("X: v; a=b=c") << QByteArray("a") << QByteArray("b=c");
    QTest::newRow("unclosed quote") << QByteArray("X: v; a=\"x; b=2") << QByteArray("b") << QByteArray();
    // A quoted pair stands for its second character: an escaped quote neither ends the
    // value nor lets it swallow the next parameter.
    const QByteArray pairs = "Content-Disposition: attachment; filename=\"12\\\" vinyl; \\\\x.wav\"; size=4";
    QTest::newRow("escaped quote") << pairs << QByteArray("filename") << QByteArray("12\" vinyl; \\x.wav");
    QTest::newRow("parameter after an escaped quote") << pairs << QByteArray("size") << QByteArray("4");
    QTest::newRow("backslash before a letter")
        << QByteArray("X: v; f=\"D:\\scans\\deed.pdf\"") << QByteArray("f") << QByteArray("D:scansdeed.pdf");
    QTest::newRow("backslash outside quotes stays") << QByteArray("X: v; f=a\\b") << QByteArray("f")
                                                    << QByteArray("a\\b");
    QTest::newRow("lone last backslash stays") << QByteArray("X: v; f=\"a\\\"") << QByteArray("f")
                                               << QByteArray("a\\");
}

void TstMimeHelpers::headerLineParam()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, param);
    QFETCH(QByteArray, value);
    QCOMPARE(B(HeaderLineParam(S(line), S(param))), value);
}

void TstMimeHelpers::replaceHeaderLineParam_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("param");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("append") << QByteArray("Content-Type: text/plain") << QByteArray("charset")
                            << QByteArray("\"iso-8859-1\"") << QByteArray("Content-Type: text/plain; charset=\"iso-8859-1\"");
    QTest::newRow("replace keeps the rest") << QByteArray("Content-Type: text/plain; charset=x; format=flowed")
                                            << QByteArray("CHARSET") << QByteArray(" y ")
                                            << QByteArray("Content-Type: text/plain; charset=y; format=flowed");
    QTest::newRow("replace quoted value") << QByteArray("X: v; name=\"a;b\"") << QByteArray("name")
                                          << QByteArray("\"c\"") << QByteArray("X: v; name=\"c\"");
    QTest::newRow("trailing ; dropped") << QByteArray("  X: v;  ") << QByteArray(" p ") << QByteArray("1")
                                        << QByteArray("X: v; p=1");
    QTest::newRow("trailing ; dropped on replace") << QByteArray("X: v; p=0;") << QByteArray("p") << QByteArray("1")
                                                   << QByteArray("X: v; p=1");
    QTest::newRow("empty value") << QByteArray("X: v; p=0") << QByteArray("p") << QByteArray("")
                                 << QByteArray("X: v; p=");
    QTest::newRow("name=value in main value is no param") << QByteArray("X: p=0") << QByteArray("p")
                                                          << QByteArray("1") << QByteArray("X: p=0; p=1");
    QTest::newRow("escaped quote leaves no quote open")
        << QByteArray("X: v; f=\"a\\\"b\"") << QByteArray("p") << QByteArray("1") << QByteArray("X: v; f=\"a\\\"b\"; p=1");
    QTest::newRow("open quote after a lone backslash closed")
        << QByteArray("X: v; f=\"a\\") << QByteArray("p") << QByteArray("1") << QByteArray("X: v; f=\"a\"; p=1");
}

void TstMimeHelpers::replaceHeaderLineParam()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, param);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, result);
    const std::string out = ReplaceHeaderLineParam(S(line), S(param), S(value));
    QCOMPARE(B(out), result);
    // What was written reads back (quotes taken off by the reader).
    QByteArray expected = value.trimmed();
    if (expected.size() >= 2 && expected.startsWith('"') && expected.endsWith('"'))
        expected = expected.mid(1, expected.size() - 2);
    QCOMPARE(B(HeaderLineParam(out, S(param))), expected);
}

void TstMimeHelpers::normalizeHeaderLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("content-id") << QByteArray("content-id:   <a>") << QByteArray("Content-ID: <a>");
    QTest::newRow("upper") << QByteArray("CONTENT-TYPE: text/plain") << QByteArray("Content-Type: text/plain");
    QTest::newRow("mime-version") << QByteArray("MIME-Version: 1.0") << QByteArray("Mime-Version: 1.0");
    QTest::newRow("message-id") << QByteArray("Message-Id: <x>") << QByteArray("Message-ID: <x>");
    QTest::newRow("id not at the end") << QByteArray("x-idea: 1") << QByteArray("X-Idea: 1");
    QTest::newRow("d not after -I") << QByteArray("X-AD: 1") << QByteArray("X-Ad: 1");
    QTest::newRow("runs of blanks") << QByteArray("Subject:   a    b  ") << QByteArray("Subject: a b");
    QTest::newRow("quoted run kept") << QByteArray("From: \"a   b\"   <x>") << QByteArray("From: \"a   b\" <x>");
    QTest::newRow("escaped quote keeps the quoting")
        << QByteArray("X: v; f=\"a\\\"  b\";  p=1") << QByteArray("X: v; f=\"a\\\"  b\"; p=1");
    QTest::newRow("tab then space collapses") << QByteArray("X: a\t b") << QByteArray("X: a b");
    QTest::newRow("tab alone stays") << QByteArray("X: a\tb") << QByteArray("X: a\tb");
    QTest::newRow("value colon untouched") << QByteArray("subject: RE: Hi") << QByteArray("Subject: RE: Hi");
    QTest::newRow("no value") << QByteArray("X-Empty:") << QByteArray("X-Empty: ");
    QTest::newRow("8-bit value") << QByteArray("Subject: caf\xe9  x") << QByteArray("Subject: caf\xe9 x");
    QTest::newRow("nul in value") << QByteArray("x-a: \0  b", 9) << QByteArray("X-A: \0 b", 8);
}

void TstMimeHelpers::normalizeHeaderLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, result);
    QCOMPARE(B(NormalizeHeaderLine(S(line))), result);
}

void TstMimeHelpers::foldHeaders_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("short lines") << QByteArray("A: 1\r\nB: 2") << QByteArray("A: 1\r\nB: 2\r\n");
    QTest::newRow("trailing breaks removed") << QByteArray("A: 1\r\n\r\n\n") << QByteArray("A: 1\r\n");
    QTest::newRow("breaks normalised") << QByteArray("A: 1\nB: 2\rC: 3\n\rD: 4")
                                       << QByteArray("A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\n");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    const QByteArray exactly78 = "Subject: " + QByteArray(34, 'a') + " " + QByteArray(34, 'a');
    QTest::newRow("78 stays") << exactly78 << exactly78 + "\r\n";
    QTest::newRow("80 without a blank stays")
        << ("Subject: " + QByteArray(71, 'b')) << ("Subject: " + QByteArray(71, 'b') + "\r\n");
    // Broken before the last blank within 78 characters; the blank starts the next line,
    // so unfolding (removing CR LF) gives the line back.
    const QByteArray words = "Subject: " + QByteArray(60, 'a') + " " + QByteArray(5, 'b') + " " + QByteArray(20, 'c');
    QTest::newRow("space") << words
                           << ("Subject: " + QByteArray(60, 'a') + " " + QByteArray(5, 'b') + "\r\n "
                               + QByteArray(20, 'c') + "\r\n");
    // Commas and semicolons are no folding points: folding there would add a blank.
    const QByteArray commas = "X: " + QByteArray(60, 'a') + "," + QByteArray(20, 'c');
    QTest::newRow("comma") << commas << commas + "\r\n";
    // No blank within 78: the next one serves.
    const QByteArray late = "X: " + QByteArray(90, 'a') + " " + QByteArray(10, 'c');
    QTest::newRow("first blank after 78") << late << ("X: " + QByteArray(90, 'a') + "\r\n " + QByteArray(10, 'c') + "\r\n");
    // Not before the value: the blank inside the name part does not count.
    QTest::newRow("no break in the name")
        << ("X a: " + QByteArray(80, 'z')) << ("X a: " + QByteArray(80, 'z') + "\r\n");
    // Quotes protect a display name (with its quoted pairs); apostrophes do not quote.
    const QByteArray quoted = "To: \"" + QByteArray(30, 'n') + "\\\" " + QByteArray(40, 'm') + "\" <a@b>";
    QTest::newRow("inside double quotes") << quoted << (quoted.chopped(6) + "\r\n <a@b>\r\n");
    const QByteArray single = "To: O'" + QByteArray(30, 'n') + " " + QByteArray(40, 'm') + "' <a@b>";
    QTest::newRow("apostrophes") << single << (single.chopped(6) + "\r\n <a@b>\r\n");
    // Past 998 characters a blank inside quotes serves too.
    const QByteArray huge = "X: \"" + QByteArray(500, 'a') + " " + QByteArray(600, 'b') + "\"";
    QTest::newRow("over 998 inside quotes") << huge
                                            << ("X: \"" + QByteArray(500, 'a') + "\r\n " + QByteArray(600, 'b') + "\"\r\n");
}

void TstMimeHelpers::foldHeaders()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, result);
    QCOMPARE(B(FoldHeaders(S(text))), result);
}

void TstMimeHelpers::foldHeadersLongLines_data()
{
    QTest::addColumn<int>("addresses");
    QTest::newRow("150 characters") << 6;
    QTest::newRow("many") << 400;
    QTest::newRow("1 MB line") << 50000;
}

// A To line of many addresses: every piece fits in 78 characters, no break falls inside
// a quoted display name, and unfolding (removing CR LF) gives the line back.
void TstMimeHelpers::foldHeadersLongLines()
{
    QFETCH(int, addresses);
    std::string line = "To: ";
    for (int i = 0; i < addresses; ++i) {
        if (i)
            line += ", ";
        line += "\"Name, Number " + std::to_string(i) + "\" <user" + std::to_string(i) + "@example.org>";
    }
    const std::string folded = FoldHeaders(line + "\r\nSubject: x");
    QVERIFY(folded.size() >= 2 && folded.compare(folded.size() - 2, 2, "\r\n") == 0);

    std::string unfolded;
    std::size_t start = 0;
    int pieces = 0;
    while (start < folded.size()) {
        const std::size_t end = folded.find("\r\n", start);
        QVERIFY(end != std::string::npos);
        std::string piece = folded.substr(start, end - start);
        start = end + 2;
        if (piece == "Subject: x")
            break;
        // A folded line goes on with the blank it was broken before.
        if (pieces > 0)
            QVERIFY(piece.size() > 1 && piece[0] == ' ');
        QVERIFY2(piece.size() <= 78, piece.c_str());
        // Never inside a quoted name: every piece holds whole quoted stretches.
        QVERIFY(std::count(piece.begin(), piece.end(), '"') % 2 == 0);
        unfolded += piece;
        ++pieces;
    }
    QVERIFY(pieces > 1);
    // Unfolding may differ only in blanks around a comma break.
    auto squeeze = [](std::string s) {
        s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
        return s;
    };
    QCOMPARE(squeeze(unfolded), squeeze(line));
    QCOMPARE(folded.compare(folded.size() - 12, 12, "Subject: x\r\n"), 0);
}

// ------------------------------------------------------------------ quoted-printable

void TstMimeHelpers::qpEncode_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("header");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("body =") << QByteArray("a=b") << false << QByteArray("a=3Db");
    QTest::newRow("header specials") << QByteArray("x y_\"") << true << QByteArray("x=20y=5F=22");
    // "?" would let "?=" appear inside an encoded word and end it early.
    QTest::newRow("header question mark") << QByteArray("a?=b?") << true << QByteArray("a=3F=3Db=3F");
    // Folding breaks after "," and ";", so an encoded word holds neither.
    QTest::newRow("header comma and semicolon") << QByteArray("a,b;c") << true << QByteArray("a=2Cb=3Bc");
    QTest::newRow("body question mark") << QByteArray("a?") << false << QByteArray("a?");
    QTest::newRow("body keeps blanks and controls") << QByteArray("a \t\r\nb  ") << false
                                                    << QByteArray("a \t\r\nb  ");
    QTest::newRow("header escapes controls") << QByteArray("a\tb\r\n\x01") << true
                                             << QByteArray("a=09b=0D=0A=01");
    QTest::newRow("8-bit upper hex") << QByteArray("\xe9\xff\x80") << false << QByteArray("=E9=FF=80");
    QTest::newRow("127 copied") << QByteArray("\x7f") << true << QByteArray("\x7f");
    QTest::newRow("nul") << QByteArray("a\0", 2) << false << QByteArray("a\0", 2);
    QTest::newRow("nul in header") << QByteArray("a\0", 2) << true << QByteArray("a=00");
    QTest::newRow("empty") << QByteArray() << false << QByteArray();
    const QByteArray a72(72, 'a');
    QTest::newRow("200 letters") << QByteArray(200, 'a') << false
                                 << (a72 + "=\r\n" + a72 + "=\r\n" + QByteArray(56, 'a'));
    QTest::newRow("header never breaks") << QByteArray(200, 'a') << true << QByteArray(200, 'a');
    // The counter restarts after CR; the LF after it counts one.
    QTest::newRow("counter after CR") << (QByteArray(50, 'a') + "\r\n" + QByteArray(72, 'b')) << false
                                      << (QByteArray(50, 'a') + "\r\n" + QByteArray(71, 'b') + "=\r\nb");
    // Escapes count three and may carry the counter past 72.
    QTest::newRow("escape over 72") << (QByteArray(70, 'a') + "\xe9" + "z") << false
                                    << (QByteArray(70, 'a') + "=E9=\r\nz");
    QTest::newRow("escapes only") << QByteArray(25, '=') << false
                                  << (QByteArray("=3D").repeated(24) + "=\r\n=3D");
}

void TstMimeHelpers::qpEncode()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, header);
    QFETCH(QByteArray, encoded);
    QCOMPARE(B(QPEncode(S(text), header)), encoded);
}

void TstMimeHelpers::qpDecode_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("decoded");
    QTest::newRow("hex") << QByteArray("caf=E9=3D") << QByteArray("caf\xe9=");
    QTest::newRow("lower case") << QByteArray("=e9") << QByteArray("\xe9");
    QTest::newRow("mixed case") << QByteArray("height=3d27=Ea") << QByteArray("height=27\xea");
    QTest::newRow("not hex stays") << QByteArray("=g9") << QByteArray("=g9");
    QTest::newRow("= at end removed") << QByteArray("abc=") << QByteArray("abc");
    QTest::newRow("= with one char stays") << QByteArray("abc=A") << QByteArray("abc=A");
    QTest::newRow("lone =") << QByteArray("=") << QByteArray();
    QTest::newRow("soft CR LF") << QByteArray("ab=\r\ncd") << QByteArray("abcd");
    QTest::newRow("soft LF CR") << QByteArray("ab=\n\rcd") << QByteArray("abcd");
    QTest::newRow("= CR alone") << QByteArray("ab=\rcd") << QByteArray("abcd");
    QTest::newRow("= LF alone") << QByteArray("ab=\ncd") << QByteArray("abcd");
    QTest::newRow("= CR at end") << QByteArray("ab=\r") << QByteArray("ab");
    QTest::newRow("= LF at end") << QByteArray("ab=\n") << QByteArray("ab");
    QTest::newRow("= then ordinary") << QByteArray("a=xb") << QByteArray("a=xb");
    QTest::newRow("== then hex") << QByteArray("==41") << QByteArray("=A");
    QTest::newRow("decoded = not rescanned") << QByteArray("=3D41") << QByteArray("=41");
    QTest::newRow("hard breaks stay") << QByteArray("a\r\nb\n") << QByteArray("a\r\nb\n");
    QTest::newRow("nul bytes") << QByteArray("a\0=00b", 6) << QByteArray("a\0\0b", 4);
    QTest::newRow("= nul") << QByteArray("=\0", 2) << QByteArray("=\0", 2);
    QTest::newRow("many = at end") << QByteArray("===") << QByteArray("==");
}

void TstMimeHelpers::qpDecode()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, decoded);
    QCOMPARE(B(QPDecode(S(text))), decoded);
}

void TstMimeHelpers::qpRoundTrip_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("checkLines");
    QTest::newRow("all bytes") << randomBytes(20000, 1) << false;
    QByteArray lines;
    for (int i = 0; i < 500; ++i)
        lines += QByteArray(i % 150, char('a' + i % 26)) + (i % 7 ? " \t\r\n" : "=\xe9\r\n");
    QTest::newRow("text lines") << lines << true;
}

void TstMimeHelpers::qpRoundTrip()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, checkLines);
    for (bool header : {false, true}) {
        const std::string enc = QPEncode(S(text), header);
        QCOMPARE(B(QPDecode(enc)), text);
        if (!header && checkLines) {
            // Soft breaks keep encoded lines short (72 plus one final escape at most).
            std::size_t start = 0;
            while (start < enc.size()) {
                std::size_t end = enc.find("\r\n", start);
                if (end == std::string::npos)
                    end = enc.size();
                QVERIFY(end - start <= 76);
                start = end + 2;
            }
        }
    }
}

// ------------------------------------------------------------------ base64

void TstMimeHelpers::base64EncodeStream_data()
{
    QTest::addColumn<int>("size");
    for (int n : {0, 1, 2, 3, 56, 57, 58, 59, 60, 113, 114, 115, 2279, 2280, 2281, 100000})
        QTest::newRow(QByteArray::number(n).constData()) << n;
}

void TstMimeHelpers::base64EncodeStream()
{
    QFETCH(int, size);
    const QByteArray data = randomBytes(size, static_cast<quint32>(size) + 7);
    std::string dest = "old contents";
    const std::size_t n = Base64EncodeStream(S(data), dest);
    QCOMPARE(n, dest.size());
    QCOMPARE(B(dest), referenceBase64Lines(data));
    if (size == 57)
        QCOMPARE(dest.size(), std::size_t(78));
    if (size == 58)
        QCOMPARE(dest.substr(78), std::string(data.mid(57).toBase64().constData()) + "\r\n");
}

void TstMimeHelpers::base64DecodeLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("three") << QByteArray("QUJD\r\n") << QByteArray("ABC");
    QTest::newRow("two") << QByteArray("QUI=") << QByteArray("AB");
    QTest::newRow("one") << QByteArray("QQ==") << QByteArray("A");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("blanks and junk skipped") << QByteArray(" Q U\tJ*D!") << QByteArray("ABC");
    QTest::newRow("unpadded tail of two") << QByteArray("QUJDRE") << QByteArray("ABCD");
    QTest::newRow("unpadded tail of three") << QByteArray("SGVsbG8gV29ybGQ") << QByteArray("Hello World");
    QTest::newRow("tail with one = of two") << QByteArray("QQ=") << QByteArray("A");
    QTest::newRow("lone char") << QByteArray("Q") << QByteArray();
    QTest::newRow("lone char after groups") << QByteArray("QUJDR") << QByteArray("ABC");
    QTest::newRow("continues after padding") << QByteArray("QQ==QUJD") << QByteArray("AABC");
    QTest::newRow("first = yields none") << QByteArray("=UJD") << QByteArray();
    QTest::newRow("first = third =") << QByteArray("=U=D") << QByteArray(1, '\x01');
    QTest::newRow("all padding") << QByteArray("====") << QByteArray(1, '\0');
    QTest::newRow("= second reads zero") << QByteArray("Q=JD") << QByteArray("@\x02" "C");
    QTest::newRow("third = wins over fourth") << QByteArray("QU=D") << QByteArray("A");
    QTest::newRow("only junk") << QByteArray("!!!***\r\n") << QByteArray();
    QTest::newRow("nul bytes in line") << QByteArray("QU\0JD", 5) << QByteArray("ABC");
    QTest::newRow("8-bit junk") << QByteArray("\xffQU\x80JD\xc3") << QByteArray("ABC");
    QTest::newRow("decodes to nul") << QByteArray("AAAA") << QByteArray(3, '\0');
    QTest::newRow("url-safe chars are junk") << QByteArray("-_QUJD") << QByteArray("ABC");
    QTest::newRow("long line") << QByteArray("QUJD").repeated(1000) << QByteArray("ABC").repeated(1000);
}

void TstMimeHelpers::base64DecodeLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, bytes);
    QCOMPARE(B(Base64DecodeLine(S(line))), bytes);
}

// Our encoder and Qt's, decoded line by line as a reader does, for every tail length.
void TstMimeHelpers::base64RoundTripLineByLine()
{
    for (int size : {1, 2, 3, 4, 57, 58, 59, 10000, 10001, 10002}) {
        const QByteArray data = randomBytes(size, static_cast<quint32>(size));
        std::string enc;
        Base64EncodeStream(S(data), enc);
        std::string back;
        int position = 1;
        while (position >= 0)
            Base64DecodeLineAppend(TrimBlanks(NextLineView(enc, position)), back);
        QCOMPARE(B(back), data);
        // A whole text in one call decodes too, whatever the line breaks.
        QCOMPARE(B(Base64DecodeLine(S(data.toBase64()))), data);
    }
}

void TstMimeHelpers::base64DecodeLineAppendKeepsPrefix()
{
    std::string dest = "xy";
    Base64DecodeLineAppend("QUJD", dest);
    Base64DecodeLineAppend("!!", dest);
    Base64DecodeLineAppend("QQ==", dest);
    QCOMPARE(dest, std::string("xyABCA"));
}

void TstMimeHelpers::base64DecoderPieces_data()
{
    QTest::addColumn<QByteArray>("text");
    QByteArray lines = referenceBase64Lines(randomBytes(400, 5));
    QTest::newRow("lines") << lines;
    QTest::newRow("lines unpadded") << referenceBase64Lines(randomBytes(400, 6)).replace('=', "");
    QTest::newRow("ends inside a group") << lines + "QUJ";
    QTest::newRow("ends after one member") << lines + "Q";
    QTest::newRow("= in the middle") << QByteArray("QUJD\r\nQQ==\r\nQUJD") + lines;
    QTest::newRow("= third then more") << QByteArray("QU=DQUJD");
    QTest::newRow("= first") << QByteArray("=UJDQUJD");
    QTest::newRow("padding across a break") << QByteArray("QUJDQ\r\nQ\r\n=\r\n=\r\nQUJD");
    const char stray[] = "Q\x80U!J\0D Q\r\nUJ-_D\xff";
    QTest::newRow("stray bytes") << QByteArray(stray, sizeof stray - 1).append(lines);
    QTest::newRow("tail with one =") << QByteArray("QUJDQQ=");
    QTest::newRow("only junk") << QByteArray("!!\r\n**\xc3");
    QTest::newRow("empty") << QByteArray();
}

// The decoder given a text in pieces, cut anywhere, makes the same bytes as the text
// given whole, as a body and as a line (which goes on after padding).
void TstMimeHelpers::base64DecoderPieces()
{
    QFETCH(QByteArray, text);
    const std::string whole = S(text);
    std::string wholeOut[2];
    Base64DecodeLineAppend(whole, wholeOut[0]);
    Base64DecodeText(whole, wholeOut[1]);
    QRandomGenerator gen(32);
    // Every single cut, then 200 times up to 11 random cuts (some pieces empty).
    for (std::size_t round = 0; round < whole.size() + 201; ++round) {
        std::vector<std::size_t> cuts{std::min(round, whole.size()), whole.size()};
        for (int c = round > whole.size() ? gen.bounded(1, 12) : 0; c > 0; --c)
            cuts.push_back(gen.bounded(quint32(whole.size() + 1)));
        std::sort(cuts.begin(), cuts.end());
        for (const bool stopAtPadding : {false, true}) {
            Base64Decoder decoder(stopAtPadding);
            std::string out;
            for (std::size_t i = 0, from = 0; i < cuts.size(); from = cuts[i++])
                decoder.Feed(std::string_view(whole).substr(from, cuts[i] - from), out);
            decoder.Finish(out);
            QCOMPARE(out, wholeOut[stopAtPadding]);
        }
    }
}

void TstMimeHelpers::base64EncodeString_data()
{
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("user") << QByteArray("user") << QByteArray("dXNlcg==");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("LF made CR LF") << QByteArray("a\nb") << QByteArray("a\r\nb").toBase64();
    QTest::newRow("CR made CR LF") << QByteArray("a\rb") << QByteArray("a\r\nb").toBase64();
    QTest::newRow("LF CR one break") << QByteArray("a\n\rb") << QByteArray("a\r\nb").toBase64();
    QTest::newRow("CR LF kept") << QByteArray("a\r\nb") << QByteArray("a\r\nb").toBase64();
    QTest::newRow("8-bit and nul") << QByteArray("p\xe9\0w", 4) << QByteArray("p\xe9\0w", 4).toBase64();
    const QByteArray longer(200, 'k');
    QTest::newRow("long stays one line") << longer << longer.toBase64();
}

void TstMimeHelpers::base64EncodeString()
{
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, out);
    QCOMPARE(B(Base64EncodeString(S(in))), out);
}

// ------------------------------------------------------------------ uuencode

void TstMimeHelpers::uuCharValue()
{
    QCOMPARE(UUCharValue('`'), 0);
    QCOMPARE(UUCharValue(' '), 0);
    QCOMPARE(UUCharValue('!'), 1);
    QCOMPARE(UUCharValue('M'), 45);
    QCOMPARE(UUCharValue('_'), 63);
    for (char c : {'a', '~', '\0', '\x1f', '\x7f', '\xe9', '\r'}) {
        try {
            UUCharValue(c);
            QFAIL("no error");
        } catch (const AppError &e) {
            QCOMPARE(QByteArray(e.what()), QByteArray("UUCODE message format error"));
        }
    }
}

void TstMimeHelpers::uuDecodeLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("bytes");
    QByteArray bytes45;
    for (int i = 0; i < 45; ++i)
        bytes45 += char(i);
    // Lines written by Python's binascii.b2a_uu (spaces for zero).
    const QByteArray full = "M  $\" P0%!@<(\"0H+# T.#Q 1$A,4%187&!D:&QP='A\\@(2(C)\"4F)R@I*BLL";
    QTest::newRow("cat") << QByteArray("#0V%T") << QByteArray("Cat");
    QTest::newRow("full line") << full << bytes45;
    QTest::newRow("full line, backquotes") << QByteArray(full).replace(' ', '`') << bytes45;
    QTest::newRow("hello world") << QByteArray("+:&5L;&\\@=V]R;&0 ") << QByteArray("hello world");
    QTest::newRow("full line, extra characters ignored") << (full + "XYZ") << bytes45;
    QTest::newRow("count zero") << QByteArray("`") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("begin line") << QByteArray("begin 644 a.txt") << QByteArray();
    QTest::newRow("end line") << QByteArray("end") << QByteArray();
    QTest::newRow("bad character") << QByteArray("#0V%t") << QByteArray();
    QTest::newRow("nul character") << QByteArray("#0V\0T", 5) << QByteArray();
    // The count claims more than the line carries: missing bits read as zero.
    QTest::newRow("count too large") << QByteArray("&0V%T") << (QByteArray("Cat") + QByteArray(3, '\0'));
    QTest::newRow("count only") << QByteArray("M") << QByteArray(45, '\0');
    // A count above 45 still yields 45 bytes at most.
    QTest::newRow("count 63") << QByteArray("_") << QByteArray(45, '\0');
    QTest::newRow("count 63 full data") << ("_" + full.mid(1)) << bytes45;
    // Characters beyond the 60 the line buffer holds are not decoded.
    QTest::newRow("long line, small count") << ("#0V%T" + QByteArray(200, '!')) << QByteArray("Cat");
    QTest::newRow("long line, bad tail ignored") << ("#0V%T" + QByteArray(56, '!') + "~~~~") << QByteArray("Cat");
}

void TstMimeHelpers::uuDecodeLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, bytes);
    QCOMPARE(B(UUDecodeLine(S(line))), bytes);
}

void TstMimeHelpers::uuDecodeText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("file") << QByteArray("begin 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\n") << QByteArray("Cat");
    QTest::newRow("two lines") << QByteArray("#0V%T\r\n#0V%T") << QByteArray("CatCat");
    QTest::newRow("empty lines skipped") << QByteArray("\r\n\r\n#0V%T\r\n\r\n") << QByteArray("Cat");
    QTest::newRow("missing end keeps data") << QByteArray("begin 644 x\r\n#0V%T\r\n") << QByteArray("Cat");
    QTest::newRow("bad line yields nothing") << QByteArray("#0V%T\r\n#0v%T\r\n#0V%T") << QByteArray("CatCat");
    QTest::newRow("lone LF not a break") << QByteArray("#0V%T\n#0V%T") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TstMimeHelpers::uuDecodeText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, bytes);
    std::string dest = "stale";
    UUDecodeText(S(text), dest);
    QCOMPARE(B(dest), bytes);
}

// ------------------------------------------------------------------ header words

void TstMimeHelpers::encodeHeaderWord_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("word");
    QTest::newRow("ascii unchanged") << QByteArray("Hello") << QByteArray("Hello");
    QTest::newRow("ascii specials unchanged") << QByteArray("a_b \"c\" ?= =x?") << QByteArray("a_b \"c\" ?= =x?");
    // Text that looks like an encoded word is encoded, or it would not read back as written.
    QTest::newRow("ascii with =?") << QByteArray("a =?x?B?QUJD?= b")
                                   << QByteArray("=?iso-8859-1?Q?a=20=3D=3Fx=3FB=3FQUJD=3F=3D=20b?=");
    QTest::newRow("8-bit") << QByteArray("caf\xe9 au lait") << QByteArray("=?iso-8859-1?Q?caf=E9=20au=20lait?=");
    QTest::newRow("CR LF becomes a word") << QByteArray("a\r\nBcc: x") << QByteArray("=?iso-8859-1?Q?a=0D=0ABcc:=20x?=");
    QTest::newRow("tab") << QByteArray("a\tb") << QByteArray("=?iso-8859-1?Q?a=09b?=");
    QTest::newRow("question mark before 8-bit") << QByteArray("Hello? caf\xe9")
                                                << QByteArray("=?iso-8859-1?Q?Hello=3F=20caf=E9?=");
    QTest::newRow("nul") << QByteArray("a\0", 2) << QByteArray("=?iso-8859-1?Q?a=00?=");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("long stays one word") << (QByteArray(100, 'x') + "\xe9")
                                         << ("=?iso-8859-1?Q?" + QByteArray(100, 'x') + "=E9?=");
}

void TstMimeHelpers::encodeHeaderWord()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, word);
    QCOMPARE(B(EncodeHeaderWord(S(text), "iso-8859-1")), word);
}

void TstMimeHelpers::decodeHeaderWords_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("decoded");
    QTest::newRow("q") << QByteArray("=?iso-8859-1?Q?caf=E9_au_lait?=") << QByteArray("caf\xe9 au lait");
    QTest::newRow("blanks between words dropped") << QByteArray("=?x?B?QUJD?= \t =?x?B?REVG?=") << QByteArray("ABCDEF");
    QTest::newRow("text between words kept") << QByteArray("=?x?Q?a?= b =?x?Q?c?=") << QByteArray("a b c");
    QTest::newRow("question mark") << QByteArray("=?iso-8859-1?Q?Hello=3F=20caf=E9?=")
                                   << QByteArray("Hello? caf\xe9");
    QTest::newRow("lower-case b") << QByteArray("=?utf-8?b?QUJD?=") << QByteArray("ABC");
    QTest::newRow("u") << QByteArray("=?x?U?#0V%T?=") << QByteArray("Cat");
    QTest::newRow("q text starting with =") << QByteArray("=?iso-8859-2?Q?=E9t=E9?= x")
                                            << QByteArray("\xe9t\xe9 x");
    QTest::newRow("two q words starting with =") << QByteArray("=?a?Q?=E9?= =?a?Q?=E8?=")
                                                 << QByteArray("\xe9\xe8");
    QTest::newRow("text around") << QByteArray("  Re: =?x?Q?a?= and =?y?Q?b?= end  ")
                                 << QByteArray("Re: a and b end");
    QTest::newRow("no method: Q on all") << QByteArray("=?x?ab=41?=") << QByteArray("abA");
    QTest::newRow("unknown method: Q on all") << QByteArray("=?x?X?a_b?=") << QByteArray("X?a b");
    QTest::newRow("cut at nul") << QByteArray("=?x?Q?ab=00cd?=!") << QByteArray("ab!");
    QTest::newRow("b cut at nul") << QByteArray("=?x?B?AEFC?=z") << QByteArray("z");
    QTest::newRow("no words") << QByteArray("plain = ? text") << QByteArray("plain = ? text");
    QTest::newRow("unterminated stops") << QByteArray("=?x?Q?a?= =?x?Q?b") << QByteArray("a =?x?Q?b");
    QTest::newRow("no charset end stops") << QByteArray("a =?x") << QByteArray("a =?x");
    QTest::newRow("bad base64 padding") << QByteArray("=?x?B?Q===?=") << QByteArray("@");
    QTest::newRow("base64 without padding") << QByteArray("=?UTF-8?B?SGk?= =?x?b?w6k?=") << QByteArray("Hi\xc3\xa9");
    QTest::newRow("base64 junk") << QByteArray("=?x?B?*QU*JD*?=") << QByteArray("ABC");
    QTest::newRow("= at end of q text") << QByteArray("=?x?Q?ab=?=") << QByteArray("ab");
    QTest::newRow("bad uu yields nothing") << QByteArray("[=?x?U?#0v%T?=]") << QByteArray("[]");
    // Decoded text is never decoded a second time.
    QTest::newRow("decoded word stays") << QByteArray("=?x?B?PT94P0I/UVVKRD89?= =?x?Q?z?=")
                                        << QByteArray("=?x?B?QUJD?=z");
    QTest::newRow("decoded =? at the end") << QByteArray("=?x?Q?a=3D?=?x?Q?b?=") << QByteArray("a=?x?Q?b?=");
    QTest::newRow("nul outside words kept") << QByteArray("a\0=?x?Q?b?=", 11) << QByteArray("a\0b", 3);
}

void TstMimeHelpers::decodeHeaderWords()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, decoded);
    QCOMPARE(B(DecodeHeaderWords(S(text))), decoded);
}

// A long run of words decodes in one pass (a rescan from the start would be quadratic).
void TstMimeHelpers::decodeHeaderWordsLongRun()
{
    std::string text, expected;
    for (int i = 0; i < 20000; ++i) {
        text += "=?iso-8859-1?Q?w=E9" + std::to_string(i) + "?= ";
        expected += "w\xe9" + std::to_string(i);
    }
    QCOMPARE(DecodeHeaderWords(text), expected);
}

void TstMimeHelpers::headerWordRoundTrip()
{
    for (const char *ascii : {"Hello", "a =?x?B?QUJD?= b", "=?", "?= =? ?Q?"})
        QCOMPARE(DecodeHeaderWords(EncodeHeaderWord(ascii, "us-ascii")), std::string(ascii));
    const QByteArray data = randomBytes(3000, 99).replace('\0', 'x');
    const std::string word = EncodeHeaderWord(S(data), "windows-1252");
    // An encoded word holds no blank or line break that a header could split at.
    QVERIFY(word.find_first_of(" \t\r\n") == std::string::npos);
    QCOMPARE(B(DecodeHeaderWords(word)), data);
}

// ------------------------------------------------------------------ content types, ids, dates

void TstMimeHelpers::contentTypes_data()
{
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<QByteArray>("type");
    QTest::newRow("jpg") << QByteArray("photo.jpg") << QByteArray("image/jpeg");
    QTest::newRow("upper case, path") << QByteArray("C:\\x\\PHOTO.JPG") << QByteArray("image/jpeg");
    QTest::newRow("pdf") << QByteArray("a.b.pdf") << QByteArray("application/pdf");
    QTest::newRow("no extension") << QByteArray("README") << QByteArray("application/octet-stream");
    QTest::newRow("unknown") << QByteArray("x.qqqzzz") << QByteArray("application/octet-stream");
    QTest::newRow("dot only") << QByteArray("x.") << QByteArray("application/octet-stream");
    QTest::newRow("empty") << QByteArray() << QByteArray("application/octet-stream");
}

void TstMimeHelpers::contentTypes()
{
    QFETCH(QByteArray, fileName);
    QFETCH(QByteArray, type);
    QCOMPARE(B(ContentTypeOfFile(S(fileName))), type);
    if (type != "application/octet-stream")
        QCOMPARE(B(ContentTypeOfFile("x" + ExtensionOfContentType(S(type)))), type);
    QCOMPARE(ExtensionOfContentType("no/such-type"), std::string());
    QCOMPARE(ExtensionOfContentType(""), std::string());
}

void TstMimeHelpers::newBoundary()
{
    const QRegularExpression form("^boundary[0-9A-F]{8}$");
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString b = QString::fromStdString(NewBoundary());
        QVERIFY2(form.match(b).hasMatch(), qPrintable(b));
        seen.insert(b);
    }
    QVERIFY(seen.size() > 190);
    // Full 32-bit values: the top bit shows up.
    bool high = false;
    for (int i = 0; i < 200 && !high; ++i)
        high = (MailRandom32() & 0x80000000u) != 0;
    QVERIFY(high);
}

void TstMimeHelpers::rfc822Date_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QByteArray>("text");
    const QDate monday(2026, 12, 7);
    QTest::newRow("example") << QDateTime(monday, QTime(0, 5, 3), QTimeZone(3600))
                             << QByteArray("Mon, 07 Dec 2026 00:05:03 +0100");
    QTest::newRow("utc: numeric zone") << QDateTime(monday, QTime(23, 59, 59), QTimeZone(0))
                         << QByteArray("Mon, 07 Dec 2026 23:59:59 +0000");
    QTest::newRow("west, half hours") << QDateTime(QDate(2026, 1, 4), QTime(9, 0, 0), QTimeZone(-(9 * 3600 + 1800)))
                                      << QByteArray("Sun, 04 Jan 2026 09:00:00 -0930");
    QTest::newRow("saturday, east") << QDateTime(QDate(2027, 7, 31), QTime(12, 30, 0), QTimeZone(5 * 3600 + 2700))
                                    << QByteArray("Sat, 31 Jul 2027 12:30:00 +0545");
    const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    for (int i = 0; i < 7; ++i)
        QTest::newRow(days[i]) << QDateTime(monday.addDays(i), QTime(1, 2, 3), QTimeZone(0))
                               << (QByteArray(days[i]) + ", " + QByteArray::number(7 + i).rightJustified(2, '0')
                                   + " Dec 2026 01:02:03 +0000");
    QTest::newRow("invalid") << QDateTime() << QByteArray();
}

void TstMimeHelpers::rfc822Date()
{
    QFETCH(QDateTime, when);
    QFETCH(QByteArray, text);
    QCOMPARE(B(Rfc822Date(when)), text);
}

QTEST_GUILESS_MAIN(TstMimeHelpers)
#include "tst_mimehelpers.moc"
