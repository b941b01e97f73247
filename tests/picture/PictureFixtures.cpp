#include "tests/picture/PictureFixtures.h"

#include "mail/TMailMessage.h"
#include "tests/support/TestFiles.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QTimeZone>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace PictureFixtures {

std::string storedMail(const std::string &subject, const std::string &letter,
                       const std::vector<Attachment> &attachments, const std::string &to)
{
    TMailMessage m;
    m.Clear();
    m.SetSubject(subject);
    m.SetDate(QDateTime(QDate(2026, 12, 8), QTime(9, 30, 0), QTimeZone(3600)));
    m.SetFrom("Anna Writer", "anna@example.org");
    m.SetReplyTo("Anna Writer", "anna@example.org");
    m.ToRecipients.SetAll("", to);
    m.SetPlainText(letter);
    for (const Attachment &a : attachments)
        m.AttachStream(a.bytes, a.name);
    m.Rebuild();
    return m.SourceText();
}

std::string rtfLetter(int paragraphs, const std::string &title)
{
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red0\\green0\\blue128;}"
                      "\\f0\\fs20 {\\b " + title + "}\\par ";
    for (int i = 1; i <= paragraphs; ++i)
        rtf += "Paragraph " + std::to_string(i) + " of the letter, {\\cf1 in blue} and plain.\\par ";
    rtf += "}";
    return rtf;
}

namespace {

const char *const kLetterHead = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fcharset2 Symbol;}}\\f0\\fs22 ";

} // namespace

std::string oneParagraphLetter()
{
    return std::string(kLetterHead)
           + "Dear Bob, thank you for the photographs of the garden. The roses look wonderful this year, "
             "and we would love to visit you on Saturday afternoon if that suits you. Best wishes, Anna\\par}";
}

std::string listAndTableLetter()
{
    return std::string(kLetterHead)
           + "Dear team,\\par\\par For the trip we still need:\\par"
             "{\\pard{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'b7}}\\li720 tents\\par sleeping bags\\par}"
             "\\pard The plan:\\par"
             "{\\pard{\\*\\pn\\pnlvlbody\\pndec{\\pntxta.}}\\li720 Meet at the station\\par Walk to the lake\\par}"
             "\\pard\\trowd\\cellx3000\\cellx6000\\intbl Day\\cell Leader\\cell\\row"
             "\\trowd\\cellx3000\\cellx6000\\intbl Friday\\cell Maria\\cell\\row"
             "\\trowd\\cellx3000\\cellx6000\\intbl Saturday\\cell Jonas\\cell\\row"
             "\\pard See you there, Ole\\par}";
}

std::string footnoteLetter()
{
    return std::string(kLetterHead)
           + "The museum opens at nine{\\super\\chftn}{\\footnote\\pard\\plain\\fs18{\\super\\chftn} "
             "Except on public holidays.}. Tickets cost twelve euros.\\par}";
}

QStringList words(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("[\\w]+"), QRegularExpression::UseUnicodePropertiesOption);
    QStringList out;
    for (QRegularExpressionMatchIterator it = word.globalMatch(text); it.hasNext();)
        out << it.next().captured();
    return out;
}

std::string binaryBytes(size_t size, unsigned seed)
{
    std::string out(size, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = static_cast<char>(x >> 16);
    }
    return out;
}

std::string sha256Hex(const std::string &bytes)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex().toStdString();
}

QJsonObject describe(const QByteArray &emlBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mail.eml"));
    TestFiles::write(path, emlBytes);
    QByteArray out;
    QByteArray err;
    const int rc = TestFiles::runPython(QString::fromUtf8(TestFiles::read(QStringLiteral(PICTURE_TEST_DIR "/describe_picture_mail.py"))),
                                         {path}, &out, &err);
    if (rc != 0)
        return QJsonObject{{QStringLiteral("error"), QString::fromLocal8Bit(err)}};
    return QJsonDocument::fromJson(out).object();
}

} // namespace PictureFixtures
