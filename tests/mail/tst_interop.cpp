// Messages built by TMailMessage, read by an independent MIME parser (Python's email
// package) and by our own reader: every shape of the container table must come out as
// the same tree, with the same decoded bodies and the same attachment names and bytes.
#include "mail/ContentTypes.h"
#include "mail/StringHelpers.h"
#include "mail/TMailMessage.h"
#include "tests/mail/MailTestTools.h"
#include "tests/support/TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

namespace {

// Line ends as a compliant quoted-printable reader returns them (LF).
QByteArray lfOnly(QByteArray text)
{
    return text.replace("\r\n", "\n");
}

// What we put into a message, and what should come out.
struct Attachment
{
    QByteArray name;        // file name as given (bytes, Windows-1252)
    QByteArray contentType; // expected content type
    QByteArray bytes;
    bool embedded = false;
};

const QByteArray kPlain = "Dear Bob,\r\n\r\nthe caf\xe9 has cr\xe8me br\xfbl\xe9" "e today. A line long enough to need "
                          "a soft line break in quoted-printable, as every text over 76 characters does.\r\n"
                          "2 + 2 = 4, 100% sure.\r\n.\r\nFrom the kitchen\r\n--\r\nRen\xe9" "e";
const QByteArray kHtml = "<html><body><p>Dear Bob,</p><p>the caf\xe9 has cr\xe8me br\xfbl\xe9" "e today.</p>"
                         "<img src=\"cid:1.jpg\"><img src=\"cid:2.jpg\"></body></html>";

QList<Attachment> ordinaryFiles()
{
    return {{"report.pdf", "application/pdf", randomBytes(5000, 1), false},
            {"Caf\xe9 list.csv", "text/csv", "name;price\r\ncaf\xe9;2\r\n", false}};
}

QList<Attachment> pictures()
{
    return {{"1.jpg", "image/jpeg", randomBytes(3001, 2), true}, {"2.jpg", "image/jpeg", randomBytes(58, 3), true}};
}

// The tree the container rules give, as "type(child,child)".
QString expectedTree(bool plain, bool html, int files, int pics)
{
    QStringList texts;
    if (plain)
        texts << "text/plain";
    if (html)
        texts << "text/html";
    QStringList textBlock = texts;
    if (texts.size() > 1)
        textBlock = {"multipart/alternative(" + texts.join(',') + ")"};
    QStringList relatedBlock = textBlock;
    if (pics > 0) {
        // Both texts: the pictures go with the HTML, beside the plain text.
        QStringList children = texts.size() > 1 ? QStringList{"text/html"} : textBlock;
        const QList<Attachment> all = pictures();
        for (int i = 0; i < pics; ++i)
            children << QString::fromLatin1(all[i].contentType);
        relatedBlock = {"multipart/related(" + children.join(',') + ")"};
        if (texts.size() > 1)
            relatedBlock = {"multipart/alternative(text/plain," + relatedBlock.front() + ")"};
    }
    const bool mixed = files > 1 || (files >= 1 && (!texts.isEmpty() || pics > 0));
    QStringList top = relatedBlock;
    if (mixed) {
        QStringList children = relatedBlock;
        const QList<Attachment> all = ordinaryFiles();
        for (int i = 0; i < files; ++i)
            children << QString::fromLatin1(all[i].contentType);
        top = {"multipart/mixed(" + children.join(',') + ")"};
    } else if (files == 1) {
        top = {QString::fromLatin1(ordinaryFiles()[0].contentType)};
    }
    return top.join(',');
}

void collectDefects(const QJsonObject &node, QStringList &defects)
{
    for (const QJsonValue &d : node.value("defects").toArray())
        defects << d.toString();
    for (const QJsonValue &p : node.value("parts").toArray())
        collectDefects(p.toObject(), defects);
}

// Runs the describer over mail texts; one JSON object per text.
QList<QJsonObject> describeWithPython(const QList<QByteArray> &texts)
{
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < texts.size(); ++i) {
        files << dir.filePath(QString("m%1.eml").arg(i));
        TestFiles::write(files.last(), texts[i]);
    }
    const QString script = QString::fromUtf8(TestFiles::read(TestFiles::dataPath("mail/describe_mail.py")));
    QByteArray out, err;
    const int rc = TestFiles::runPython(script, files, &out, &err);
    if (rc != 0)
        qWarning("python3 failed (%d): %s", rc, err.constData());
    QList<QJsonObject> result;
    for (const QJsonValue &v : QJsonDocument::fromJson(out).array())
        result << v.toObject();
    return result;
}

// Builds one shape in the given calling order and returns its text.
// 0: the composer's order (texts, files, embedded files); 1: the send dialog's (files and
// pictures first, then plain and HTML); 2: the same with HTML before plain.
QByteArray buildShape(bool plain, bool html, int files, int pics, int order)
{
    const QList<Attachment> ordinary = ordinaryFiles().mid(0, files);
    const QList<Attachment> embedded = pictures().mid(0, pics);
    TMailMessage m;
    m.Clear();
    m.SetSubject("Shapes");
    m.SetDate(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0), QTimeZone(3600)));
    m.SetFrom("Ren\xe9" "e", "renee@example.org");
    m.ToRecipients.SetAll("\"Bob\"", "bob@example.net");
    auto addTexts = [&] {
        if (order == 2) {
            m.SetHtmlText(S(kHtml));
            m.SetPlainText(S(kPlain));
        } else {
            if (plain)
                m.SetPlainText(S(kPlain));
            if (html)
                m.SetHtmlText(S(kHtml));
        }
    };
    auto addFiles = [&] {
        for (const Attachment &a : ordinary)
            m.AttachStream(S(a.bytes), S(a.name));
    };
    // The composer embeds with AttachStream; the send dialog adds rendered pages with
    // AddPicture before it sets the texts (whose arranging completes the pictures' fields).
    auto addPictures = [&] {
        for (const Attachment &a : embedded) {
            if (order == 0)
                m.AttachStream(S(a.bytes), S(a.name), "", true);
            else
                m.AddPicture(S(a.bytes), S(a.name));
        }
    };
    if (order != 0) {
        addFiles();
        addPictures();
        addTexts();
    } else {
        addTexts();
        addFiles();
        addPictures();
    }
    m.Rebuild();
    return B(m.SourceText());
}

// Every shape: plain, html, number of files, number of pictures, calling order.
struct Shape
{
    bool plain, html;
    int files, pics, order;
    QString tag() const
    {
        return QString("%1%2 files=%3 pics=%4 order=%5")
            .arg(plain ? "plain " : "")
            .arg(html ? "html " : "")
            .arg(files)
            .arg(pics)
            .arg(order);
    }
};

QList<Shape> allShapes()
{
    QList<Shape> shapes;
    for (int order = 0; order < 3; ++order)
        for (int p = 0; p < 2; ++p)
            for (int h = 0; h < 2; ++h)
                for (int f = 0; f < 3; ++f)
                    for (int pic = 0; pic < 3; ++pic) {
                        if (!p && !h && !f && !pic)
                            continue;
                        if (order == 2 && !(p && h))
                            continue;
                        shapes.append({bool(p), bool(h), f, pic, order});
                    }
    return shapes;
}

} // namespace

class TstInterop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void shapes_data();
    void shapes();
    void headerInjection();
    void encodedNamesAndSubject();
    void foreignNames_data();
    void foreignNames();
    void foreignMail_data();
    void foreignMail();

private:
    // Built once and described by one python3 run, keyed by the row's tag.
    QHash<QString, QByteArray> m_texts;
    QHash<QString, QJsonObject> m_python;
    // The mails of foreignMail as Python reads them, keyed by file.
    QHash<QString, QJsonObject> m_foreign;
};

void TstInterop::initTestCase()
{
    const QList<Shape> shapes = allShapes();
    QList<QByteArray> texts;
    for (const Shape &s : shapes) {
        texts << buildShape(s.plain, s.html, s.files, s.pics, s.order);
        m_texts.insert(s.tag(), texts.last());
    }
    const QList<QJsonObject> described = describeWithPython(texts);
    QCOMPARE(described.size(), shapes.size());
    for (int i = 0; i < shapes.size(); ++i)
        m_python.insert(shapes[i].tag(), described[i]);
}

void TstInterop::shapes_data()
{
    QTest::addColumn<bool>("plain");
    QTest::addColumn<bool>("html");
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("pics");
    QTest::addColumn<int>("order");
    for (const Shape &s : allShapes())
        QTest::newRow(qPrintable(s.tag())) << s.plain << s.html << s.files << s.pics << s.order;
}

void TstInterop::shapes()
{
    QFETCH(bool, plain);
    QFETCH(bool, html);
    QFETCH(int, files);
    QFETCH(int, pics);
    QFETCH(int, order);

    const QList<Attachment> ordinary = ordinaryFiles().mid(0, files);
    const QList<Attachment> embedded = pictures().mid(0, pics);
    const QByteArray text = m_texts.value(QTest::currentDataTag());
    QVERIFY(!text.isEmpty());
    const std::string locationBase = TMailMessage().ContentLocationBase;

    const QString expected = expectedTree(plain, html, files, pics);

    // -- Python's email package
    QVERIFY(m_python.contains(QTest::currentDataTag()));
    const QJsonObject py = m_python.value(QTest::currentDataTag());
    QCOMPARE(pythonTree(py), expected);
    QStringList defects;
    collectDefects(py, defects);
    QVERIFY2(defects.isEmpty(), qPrintable(defects.join(',')));
    QCOMPARE(py.value("subject").toString(), QString("Shapes"));

    QList<QJsonObject> leaves;
    pythonLeaves(py, leaves);
    int fileIndex = 0, pictureIndex = 0;
    for (const QJsonObject &leaf : leaves) {
        const QString type = leaf.value("type").toString();
        const QByteArray body = QByteArray::fromBase64(leaf.value("body").toString().toLatin1());
        const QString disposition = leaf.value("disposition").toString();
        if (type == "text/plain") {
            QCOMPARE(lfOnly(body), lfOnly(kPlain));
            QCOMPARE(leaf.value("charset").toString(), QString("iso-8859-1"));
        } else if (type == "text/html") {
            QCOMPARE(lfOnly(body), lfOnly(kHtml));
        } else if (type == "image/jpeg") {
            const Attachment &a = embedded.at(pictureIndex++);
            QCOMPARE(body, a.bytes);
            // AddPicture names the picture in "Content-Type" and "Content-ID"; an embedded
            // AttachStream only in "X-Mail-Attachment", which other readers do not know.
            if (order != 0) {
                QCOMPARE(leaf.value("filename").toString(), QString::fromLatin1(a.name));
                QCOMPARE(leaf.value("cid").toString(), "<" + QString::fromLatin1(a.name) + ">");
            }
            // Pictures get their location and disposition when the parts are arranged,
            // which a text added after them does.
            if (order == 0 || plain || html) {
                QCOMPARE(leaf.value("location").toString(),
                         QString::fromStdString(locationBase) + QString::fromLatin1(a.name));
                QCOMPARE(disposition, QString("inline"));
            }
        } else {
            QVERIFY2(fileIndex < ordinary.size(), qPrintable(type));
            const Attachment &a = ordinary.at(fileIndex++);
            QCOMPARE(type, QString::fromLatin1(a.contentType));
            QCOMPARE(body, a.bytes);
            QCOMPARE(leaf.value("filename").toString(), QString::fromLatin1(a.name));
            if (files > 1 || plain || html || pics)
                QCOMPARE(disposition, QString("attachment"));
        }
    }
    QCOMPARE(fileIndex, files);
    QCOMPARE(pictureIndex, pics);

    // -- our own reader: same tree, same bodies, same attachments
    TMailMessage r;
    r.Clear();
    r.LoadFromString(S(text));
    r.ScanParts();
    QCOMPARE(ourTree(&r), expected);
    QCOMPARE(r.DecodedSubject(), std::string("Shapes"));
    if (plain || order == 2)
        QCOMPARE(B(r.PlainText()), kPlain + "\r\n");
    else
        QVERIFY(r.PlainLines.empty());
    if (html || order == 2)
        QCOMPARE(B(r.HtmlText()), kHtml + "\r\n");
    else
        QVERIFY(r.HtmlLines.empty());

    QCOMPARE(r.Attachments.Count(), files + pics);
    int ourFiles = 0, ourPictures = 0;
    for (TMailPart *p : r.Attachments) {
        p->Decode();
        const Attachment &a = p->IsEmbedded ? embedded.at(ourPictures++) : ordinary.at(ourFiles++);
        QCOMPARE(B(p->AttachmentFileName()), B(SafeFileName(S(a.name))));
        QCOMPARE(B(p->DecodedBody), a.bytes);
        QCOMPARE(p->IsEmbedded, a.embedded);
    }
    // A single attachment is the message itself; it is listed but not "embedded".
    QCOMPARE(ourFiles, files);
    QCOMPARE(ourPictures, pics);
}

// Nothing a caller puts into a subject, a display name or a file name may start a new
// header line: the independent parser sees no injected field.
void TstInterop::headerInjection()
{
    TMailMessage m;
    m.Clear();
    m.SetSubject("Hello\r\nBcc: victim@example.com");
    m.SetFrom("Eve\r\nX-Injected-From: 1", "eve@example.org\r\nX-Injected-Address: 1");
    m.ToRecipients.SetAll("\"Bob\r\nX-Injected-To: 1\"", "bob@example.net");
    m.SetPlainText("body");
    m.AttachStream("data", "evil\r\nX-Injected-Part: 1.txt");
    m.Rebuild();
    const QByteArray text = B(m.SourceText());
    QVERIFY(!text.contains("\r\nBcc:"));
    QVERIFY(!text.contains("\nX-Injected"));

    const QList<QJsonObject> described = describeWithPython({text});
    QCOMPARE(described.size(), 1);
    QCOMPARE(described.first().value("subject").toString(), QString("Hello\r\nBcc: victim@example.com"));
    QList<QJsonObject> leaves;
    pythonLeaves(described.first(), leaves);
    QCOMPARE(leaves.size(), 2);
    QCOMPARE(leaves[1].value("filename").toString(), QString("evilX-Injected-Part: 1.txt"));

    TMailMessage r;
    r.Clear();
    r.LoadFromString(S(text));
    r.ScanParts();
    for (const std::string &line : r.Headers) {
        QVERIFY2(line.rfind("Bcc:", 0) != 0, line.c_str());
        QVERIFY2(line.rfind("X-Injected", 0) != 0, line.c_str());
    }
    QCOMPARE(r.DecodedSubject(), std::string("Hello\r\nBcc: victim@example.com"));
    std::string name, address;
    r.ReadAddress("From", name, address);
    QCOMPARE(address, std::string("eve@example.orgX-Injected-Address: 1"));
}

// 8-bit subject, display names and file names travel as encoded words that both readers
// decode to the same bytes.
void TstInterop::encodedNamesAndSubject()
{
    const std::string subject = "R\xe9sum\xe9 \"quoted\" and a question? =?no?= here";
    const std::string fileName = "Pr\xe9sentation (final).pdf";
    TMailMessage m;
    m.Clear();
    m.SetSubject(subject);
    m.SetFrom("J\xfcrgen Wei\xdf", "juergen@example.de");
    m.ToRecipients.SetAll("\"S\xe4nger, Anna\"", "anna@example.de");
    m.SetPlainText("x");
    m.AttachStream("%PDF", fileName);
    m.Rebuild();
    const QByteArray text = B(m.SourceText());

    const QList<QJsonObject> described = describeWithPython({text});
    QCOMPARE(described.size(), 1);
    QCOMPARE(described.first().value("subject").toString(), QString::fromLatin1(subject.c_str()));
    QList<QJsonObject> leaves;
    pythonLeaves(described.first(), leaves);
    QCOMPARE(leaves.size(), 2);
    QCOMPARE(leaves[1].value("filename").toString(), QString::fromLatin1(fileName.c_str()));

    TMailMessage r;
    r.Clear();
    r.LoadFromString(S(text));
    r.ScanParts();
    QCOMPARE(B(r.DecodedSubject()), B(subject));
    std::string name, address;
    r.ReadAddress("From", name, address);
    QCOMPARE(B(name), QByteArray("J\xfcrgen Wei\xdf"));
    QCOMPARE(r.ToRecipients.Count(), 1);
    QCOMPARE(B(r.ToRecipients.NameAt(0)), QByteArray("S\xe4nger, Anna"));
    QCOMPARE(r.ToRecipients.AddressAt(0), std::string("anna@example.de"));
    QCOMPARE(r.Attachments.Count(), 1);
    QCOMPARE(B(r.Attachments[0]->AttachmentFileName()), B(SafeFileName(fileName)));

    // ASCII that looks like an encoded word comes back as written, in both readers.
    TMailMessage a;
    a.Clear();
    a.SetSubject("Literal =?iso-8859-1?Q?x?= text");
    a.SetPlainText("x");
    a.Rebuild();
    const QList<QJsonObject> literal = describeWithPython({B(a.SourceText())});
    QCOMPARE(literal.size(), 1);
    QCOMPARE(literal.first().value("subject").toString(), QString("Literal =?iso-8859-1?Q?x?= text"));
    TMailMessage ar;
    ar.Clear();
    ar.LoadFromString(a.SourceText());
    QCOMPARE(ar.DecodedSubject(), std::string("Literal =?iso-8859-1?Q?x?= text"));
}

// Names and subjects in Windows-1252, Greek and Chinese, in a mail shaped as the send
// dialog writes it: Python's email (policy default) finds no defect in any part or field,
// reads every name and address as written, finds the plain text with get_body and lists
// only the file as an attachment; no header line exceeds 998 characters, and none of the
// message's own exceeds 78.
void TstInterop::foreignNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("subject");
    const QString cp1252 = QString::fromUtf8("Zoë O’Brien – €");
    const QString greek = QString::fromUtf8("Ελένη Παπαδοπούλου");
    const QString chinese = QString::fromUtf8("王小明");
    QTest::newRow("Windows-1252") << cp1252 << QString(cp1252 + " ").repeated(20).trimmed();
    QTest::newRow("Greek") << greek << QString(greek + " ").repeated(20).trimmed();
    QTest::newRow("Chinese") << chinese << chinese.repeated(60);
    QTest::newRow("long ASCII subject") << QStringLiteral("Person Zero")
                                        << QString("word ").repeated(300) + QString("x").repeated(1200);
}

void TstInterop::foreignNames()
{
    QFETCH(QString, name);
    QFETCH(QString, subject);
    TMailMessage m;
    m.Clear();
    m.SetSubjectText(subject);
    m.SetDate(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0), QTimeZone(0)));
    m.SetFromText(name, QStringLiteral("from@example.org"));
    m.ToRecipients.SetAllText({name, QStringLiteral("Novak, Lena"), QString(), name + " " + name},
                              {"a@example.org", "lena@example.org", "bare@example.org", "b@example.org"});
    m.CcRecipients.SetAllText({name}, {"c@example.org"});
    const QString fileName = name + QStringLiteral(" notes.txt");
    m.AttachStreamText("file bytes", fileName);
    m.AddPicture(S(randomBytes(300, 4)), "1.jpg");
    m.AddPicture(S(randomBytes(300, 5)), "2.jpg");
    m.SetPlainBody(QStringLiteral("The letter's text"));
    m.SetHtmlText("<html><body><img src=\"cid:1.jpg\"><img src=\"cid:2.jpg\"></body></html>");
    m.Rebuild();
    const QByteArray text = B(m.SourceText());

    const QList<QByteArray> lines = text.split('\n');
    const qsizetype headEnd = text.indexOf("\r\n\r\n");
    qsizetype at = 0;
    for (const QByteArray &line : lines) {
        const qsizetype length = line.endsWith('\r') ? line.size() - 1 : line.size();
        QVERIFY2(length <= 998, line.left(80).constData());
        // Header lines of the parts too (the body lines are base64 and quoted-printable).
        if (at < headEnd || line.startsWith("Content-") || line.startsWith(' '))
            QVERIFY2(length <= 78, line.constData());
        at += line.size() + 1;
    }

    const QList<QJsonObject> described = describeWithPython({text});
    QCOMPARE(described.size(), 1);
    const QJsonObject py = described.first();
    QStringList defects;
    collectDefects(py, defects);
    QVERIFY2(defects.isEmpty(), qPrintable(defects.join(',')));
    QCOMPARE(py.value("subject").toString(), subject);
    const QJsonObject addresses = py.value("addresses").toObject();
    // Python 3.11 keeps the blank between two encoded words of a display name, which
    // RFC 2047 6.2 drops; a name long enough for two words is compared without it.
    auto pairs = [](const QJsonValue &v) {
        QStringList out;
        for (const QJsonValue &a : v.toArray())
            out << a.toArray().at(0).toString().simplified() + "<" + a.toArray().at(1).toString() + ">";
        return out.join('|');
    };
    QCOMPARE(pairs(addresses.value("From")), name + "<from@example.org>");
    QCOMPARE(pairs(addresses.value("To")), name + "<a@example.org>|Novak, Lena<lena@example.org>|<bare@example.org>|"
                                               + name + " " + name + "<b@example.org>");
    QCOMPARE(pairs(addresses.value("Cc")), name + "<c@example.org>");

    QCOMPARE(pythonTree(py), QString("multipart/mixed(multipart/alternative(text/plain,multipart/related(text/html,"
                                     "image/jpeg,image/jpeg)),text/plain)"));
    QList<QJsonObject> leaves;
    pythonLeaves(py, leaves);
    QCOMPARE(leaves.first().value("role").toString(), QString("plain"));
    QCOMPARE(QByteArray::fromBase64(leaves.first().value("body").toString().toLatin1()), QByteArray("The letter's text"));
    QCOMPARE(leaves.at(2).value("disposition").toString(), QString("inline"));
    QCOMPARE(py.value("attachments").toArray().size(), 1);
    QCOMPARE(py.value("attachments").toArray().first().toString(), QString("text/plain"));
    QCOMPARE(leaves.last().value("filename").toString(), fileName);

    // Our reader gives the same name from the standard fields alone, as it does for a
    // mail another program wrote, and writing what it read keeps them as they are.
    QByteArray standard = text;
    standard.replace("X-Mail-Attachment:", "X-Other:");
    TMailMessage r;
    r.Clear();
    r.LoadFromString(S(standard));
    r.ScanParts();
    QCOMPARE(r.Attachments.Count(), 3);
    QCOMPARE(r.Attachments[2]->AttachmentFileNameText(), fileName);
    const std::vector<std::string> fields = r.Attachments[2]->Headers;
    r.ArrangeParts(1);
    for (const std::string &field : fields)
        if (field.rfind("Content-Disposition:", 0) == 0 || field.rfind("Content-Type:", 0) == 0)
            QVERIFY2(std::find(r.Attachments[2]->Headers.begin(), r.Attachments[2]->Headers.end(), field)
                         != r.Attachments[2]->Headers.end(),
                     field.c_str());
}

// Mails shaped as other mailers write them, one per way of reading MIME that the RFCs
// settle: both readers must see the same tree, the same text bodies and the same
// attachments with the same names and bytes.
void TstInterop::foreignMail_data()
{
    QTest::addColumn<QString>("file");
    const QDir dir(TestFiles::dataPath("mail/rfc"));
    const QStringList files = dir.entryList({"*.eml"}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 22);
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << dir.filePath(file);
}

void TstInterop::foreignMail()
{
    QFETCH(QString, file);
    // Mails travel with CR LF line ends; so they reach both readers.
    auto crlfText = [](const QString &path) { return TestFiles::read(path).replace("\r\n", "\n").replace("\n", "\r\n"); };
    if (m_foreign.isEmpty()) {
        // One Python run describes every mail of the table.
        const QDir dir(TestFiles::dataPath("mail/rfc"));
        const QStringList files = dir.entryList({"*.eml"}, QDir::Files, QDir::Name);
        QList<QByteArray> texts;
        for (const QString &f : files)
            texts << crlfText(dir.filePath(f));
        const QList<QJsonObject> described = describeWithPython(texts);
        QCOMPARE(described.size(), files.size());
        for (int i = 0; i < files.size(); ++i)
            m_foreign.insert(dir.filePath(files[i]), described[i]);
    }
    const QByteArray text = crlfText(file);
    QVERIFY(m_foreign.contains(file));
    const QJsonObject py = m_foreign.value(file);

    TMailMessage r;
    r.Clear();
    r.LoadFromString(S(text));
    r.ScanParts();

    // Header text in other charsets stays bytes in our model; these mails use UTF-8 or
    // ISO-8859-1, told apart by whether the bytes are valid UTF-8.
    auto toText = [](const std::string &bytes) {
        const QByteArray b = B(bytes);
        QString s = QString::fromUtf8(b);
        return s.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(b) : s;
    };
    // Runs of blanks in a field are one space in our model (folded fields are joined so).
    QCOMPARE(toText(r.DecodedSubject()).simplified(), py.value("subject").toString().simplified());
    QCOMPARE(ourTree(&r, true), pythonTree(py));

    QList<QJsonObject> leaves;
    pythonLeaves(py, leaves);
    QByteArray pyPlain, pyHtml;
    QList<QJsonObject> pyAttachments;
    for (const QJsonObject &leaf : leaves) {
        const QByteArray body = QByteArray::fromBase64(leaf.value("body").toString().toLatin1());
        if (leaf.value("role") == "plain")
            pyPlain = body;
        else if (leaf.value("role") == "html")
            pyHtml = body;
        else
            pyAttachments << leaf;
    }
    // A multipart text without a single delimiter is a leaf whose text Python keeps
    // without calling it a body; we show it as the plain body.
    if (!py.contains("parts") && py.value("type").toString().startsWith("multipart/")) {
        pyPlain = QByteArray::fromBase64(py.value("body").toString().toLatin1());
        pyAttachments.clear();
    }
    const std::string none;
    QCOMPARE(lfOnly(B(r.PlainPart ? r.PlainPart->DecodedBody : none)), lfOnly(pyPlain));
    QCOMPARE(lfOnly(B(r.HtmlPart ? r.HtmlPart->DecodedBody : none)), lfOnly(pyHtml));

    QCOMPARE(r.Attachments.Count(), pyAttachments.size());
    for (int i = 0; i < pyAttachments.size(); ++i) {
        const QJsonObject &leaf = pyAttachments[i];
        TMailPart *a = r.Attachments[i];
        a->Decode();
        const std::string type = S(leaf.value("type").toString().toUtf8());
        QCOMPARE(a->EffectiveContentType(), type);
        if (!leaf.value("filename").isNull())
            QCOMPARE(toText(a->AttachmentFileName()), toText(SafeFileName(S(leaf.value("filename").toString().toUtf8()))));
        else if (leaf.value("cid").isNull() && leaf.value("location").isNull())
            // Without a name the part is listed under its type, the one Python gives it.
            QCOMPARE(a->AttachmentFileName(), SafeFileName(type + ExtensionOfContentType(type)));
        if (!leaf.value("body").isNull())
            QCOMPARE(lfOnly(B(a->DecodedBody)), lfOnly(QByteArray::fromBase64(leaf.value("body").toString().toLatin1())));
    }
}

QTEST_GUILESS_MAIN(TstInterop)
#include "tst_interop.moc"
