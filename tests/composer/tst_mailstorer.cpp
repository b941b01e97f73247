#include "addressbook/AddressBook.h"
#include "composer/AttachSizeCheck.h"
#include "composer/AttachmentTempFiles.h"
#include "composer/MailStorer.h"
#include "composer/SendCheck.h"
#include "config/ConfigSettings.h"
#include "config/DataFiles.h"
#include "mail/TMailMessage.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "os/Clock.h"
#include "tests/support/TestFiles.h"
#include "text/StoredText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

class StillClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2002, 12, 2), QTime(10, 20, 30)); }
};

using Step = SendCheck::Verdict::Step;
using Field = SendCheck::Field;

struct Letter
{
    QTextDocument doc;
    explicit Letter(const QString &text = QStringLiteral("Dear Bob"))
    {
        QTextCursor c(&doc);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        c.insertText(text, bold);
    }
};

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Field)

class TestMailStorer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *dir = nullptr;
    QString config, mailBox, temp;
    ConfigSettings settings;
    StillClock clock;
    MailStorer *storer = nullptr;

    // A stored mail read back.
    void load(std::int64_t position, TMailMessage &message) { MailStore(mailBox).LoadMail(position, message); }
    char boxCodeAt(std::int64_t position)
    {
        for (const MailSummary &s : MailStore(mailBox).ScanStore())
            if (s.position == position)
                return s.boxCode;
        return 0;
    }

    // setup: "smtp" or "oe", with " running" (a send runs) or " noaccount" (no password).
    SendCheck::Verdict check(const QString &setup, const QString &to, const QString &bcc, const QString &subject,
                             const QString &letter)
    {
        QTextDocument doc;
        QTextCursor(&doc).insertText(letter);
        settings.ACC_SMTPHost = "smtp.example.com";
        settings.ACC_SMTPUser = "ann";
        settings.ACC_SMTPPass = setup.contains(QLatin1String("noaccount")) ? " " : "secret";
        const ComposedMail mail{&doc, to, {}, bcc, subject, ComposeMode::New, BoxCode::Unsent};
        return SendCheck(*storer, settings)
            .check(setup.startsWith(QLatin1String("oe")) ? SendCheck::Mode::Desktop : SendCheck::Mode::Smtp,
                   setup.contains(QLatin1String("running")), mail, TMailMessage());
    }

private slots:
    void init()
    {
        dir = new QTemporaryDir;
        config = dir->filePath(QStringLiteral("Config.dat"));
        mailBox = dir->filePath(QStringLiteral("MailBox.dat"));
        temp = dir->filePath(QStringLiteral("tmp/inner"));
        QDir().mkpath(temp);
        DataFiles::ensureConfigFile(config);
        DataFiles::ensureMailBoxFile(mailBox);
        AddressBook(config).StoreAddress("Bob Smith", "bob@example.com");
        AddressBook(config).StoreAddress("Doe, \"Jo\"", "jo@example.com");
        settings = ConfigSettings::firstRun();
        settings.ACC_FromName = "Ann Sender";
        settings.ACC_FromAdd = "ann@example.com";
        storer = new MailStorer(settings, clock, mailBox, config, temp);
    }
    void cleanup()
    {
        delete storer;
        delete dir;
    }

    void newMailIsStoredUnsentWithResolvedRecipients()
    {
        Letter letter;
        TMailMessage msg;
        std::vector<AttachmentRow> rows;
        ComposedMail mail{&letter.doc, QStringLiteral("Bob Smith\n\n  carol@example.org  "), QString(),
                          QStringLiteral("Doe, \"Jo\""), QStringLiteral("Plans"), ComposeMode::New, BoxCode::Sent};
        const std::int64_t pos = storer->StoreMail(msg, mail, rows);
        QCOMPARE(pos, std::int64_t(100));
        QCOMPARE(boxCodeAt(pos), 'u');

        TMailMessage back;
        load(pos, back);
        // A name of the book gets its address; a typed bare address has no name.
        QCOMPARE(back.ToRecipients.Count(), 2);
        QCOMPARE(back.ToRecipients.NameAt(0) + " " + back.ToRecipients.AddressAt(0),
                 std::string("Bob Smith bob@example.com"));
        QCOMPARE(back.ToRecipients.NameAt(1) + " " + back.ToRecipients.AddressAt(1),
                 std::string(" carol@example.org"));
        // Commas and quotes of a name survive the comma text the lists are set from.
        QCOMPARE(msg.BccRecipients.Count(), 1);
        QCOMPARE(msg.BccRecipients.NameAt(0) + " " + msg.BccRecipients.AddressAt(0),
                 std::string("Doe, \"Jo\" jo@example.com"));
        QVERIFY(back.PlainText().starts_with("{\\rtf1"));
    }

    // Texts in other scripts: the subject, names from the book (matched in any letter
    // case), the sender's name from Config.dat and an attachment's name, stored and stored
    // again from the mail read back, as a reopened composer does.
    void textsInAnyScript()
    {
        AddressBook(config).StoreAddress(StoredText::fromQString(QStringLiteral("Αλέξανδρος")), "alex@example.gr");
        settings.ACC_FromName = StoredText::fromQString(QStringLiteral("张三"));
        MailStorer own(settings, clock, mailBox, config, temp);
        const QString file = dir->filePath(QStringLiteral("报告.txt"));
        TestFiles::write(file, "data");
        Letter letter;
        TMailMessage msg;
        std::vector<AttachmentRow> rows{{QStringLiteral("报告.txt"), file, AttachmentRow::File}};
        ComposedMail mail{&letter.doc, QStringLiteral("ΑΛΈΞΑΝΔΡΟΣ"), QString(),
                          QString(), QStringLiteral("中文 Ωmega"), ComposeMode::New, BoxCode::Unsent};
        const std::int64_t first = own.StoreMail(msg, mail, rows);

        TMailMessage back;
        load(first, back);
        QCOMPARE(back.SubjectText(), QStringLiteral("中文 Ωmega"));
        QString name, address;
        back.ReadAddressText("From", name, address);
        QCOMPARE(name, QStringLiteral("张三"));
        QCOMPARE(back.ToRecipients.NameText(0), QStringLiteral("ΑΛΈΞΑΝΔΡΟΣ"));
        QCOMPARE(back.ToRecipients.AddressText(0), QStringLiteral("alex@example.gr"));
        QCOMPARE(back.Attachments[0]->AttachmentFileNameText(), QStringLiteral("报告.txt"));

        // Opened again: the attachment is a stream of the message read back.
        std::vector<AttachmentRow> again{{back.Attachments[0]->AttachmentFileNameText(), "0", AttachmentRow::Stream}};
        mail.to = back.ToRecipients.NameText(0);
        const std::int64_t second = own.StoreMail(back, mail, again);
        TMailMessage twice;
        load(second, twice);
        QCOMPARE(twice.ToRecipients.AddressText(0), QStringLiteral("alex@example.gr"));
        QCOMPARE(twice.Attachments[0]->AttachmentFileNameText(), QStringLiteral("报告.txt"));
        twice.Attachments[0]->Decode();
        QCOMPARE(twice.Attachments[0]->DecodedBody, std::string("data"));
    }

    void recipientsMatchOnlyTheirOwnKindAtTheirIndex()
    {
        TMailMessage msg;
        msg.ToRecipients.Add("Bob Smith", "to-bob@example.net");
        msg.CcRecipients.Add("Someone", "someone@example.net");
        msg.CcRecipients.Add(" Bob Smith ", "cc-bob@example.net");
        // Index 1 of Cc matches; index 0 of Cc names someone else, so the book answers; an
        // index past the stored list goes to the book too.
        const MailStorer::Recipients cc = storer->resolveRecipients(
            QStringLiteral("Bob Smith\nBob Smith\nBob Smith"), msg.CcRecipients);
        QCOMPARE(cc.addresses, (QStringList{"bob@example.com", "cc-bob@example.net", "bob@example.com"}));
        // Not in the book and no match: the untrimmed line is name and address.
        const MailStorer::Recipients to = storer->resolveRecipients(QStringLiteral(" who\t"), msg.ToRecipients);
        // Neither known nor an address: refused, never taken as an address.
        QVERIFY(to.names.isEmpty() && to.addresses.isEmpty());
        QCOMPARE(to.errors, QStringList{QStringLiteral("\"who\": no \"@\" in the address")});
    }

    void failedStoreKeepsTheOldRecord()
    {
        Letter letter;
        TMailMessage msg;
        const std::int64_t old = MailStore(mailBox).AppendMail("Subject: old\r\n\r\nx\r\n", 'u', 'N');
        const qint64 size = QFileInfo(mailBox).size();
        std::vector<AttachmentRow> rows{{QStringLiteral("gone.txt"), dir->filePath(QStringLiteral("gone.txt")),
                                         AttachmentRow::File}};
        ComposedMail mail{&letter.doc, QStringLiteral("bob@example.com"), {}, {}, QStringLiteral("S"),
                          ComposeMode::Modify, BoxCode::Unsent};
        QVERIFY_THROWS_EXCEPTION(AppError, storer->storeReplacing(msg, mail, rows, old));
        QCOMPARE(QFileInfo(mailBox).size(), size);
        QCOMPARE(boxCodeAt(old), 'u');
    }

    void streamAttachmentsStayInsideTheTemporaryFolder()
    {
        // Three attachments of an opened mail, two of one hostile name, one hidden behind a
        // Windows path; and a file from disk.
        TMailMessage msg;
        msg.AttachStream("first", "x.bin");
        msg.AttachStream("second", "y.bin");
        msg.AttachStream("third", "z.bin");
        const QString disk = dir->filePath(QStringLiteral("notes.txt"));
        TestFiles::write(disk, "from disk");
        std::vector<AttachmentRow> rows{
            {QStringLiteral("../../.bashrc"), QStringLiteral("0"), AttachmentRow::Stream},
            {QStringLiteral("../../.bashrc"), QStringLiteral("1"), AttachmentRow::Stream},
            {QStringLiteral("C:\\Windows\\win.ini"), QStringLiteral("2"), AttachmentRow::Stream},
            {QStringLiteral("notes.txt"), disk, AttachmentRow::File},
        };
        Letter letter;
        ComposedMail mail{&letter.doc, QStringLiteral("bob@example.com"), {}, {}, QStringLiteral("Files"),
                          ComposeMode::Modify, BoxCode::Unsent};
        const std::int64_t pos = storer->StoreMail(msg, mail, rows);

        QVERIFY(!QFileInfo::exists(dir->filePath(QStringLiteral(".bashrc"))));
        QVERIFY(!QFileInfo::exists(dir->filePath(QStringLiteral("tmp/.bashrc"))));
        QCOMPARE(TestFiles::read(temp + QStringLiteral("/.bashrc")), QByteArray("first"));
        QCOMPARE(TestFiles::read(temp + QStringLiteral("/.bashrc (2)")), QByteArray("second"));
        QCOMPARE(TestFiles::read(temp + QStringLiteral("/win.ini")), QByteArray("third"));
        for (const AttachmentRow &row : rows)
            QCOMPARE(row.kind, AttachmentRow::File);
        QCOMPARE(rows[1].source, temp + QStringLiteral("/.bashrc (2)"));

        TMailMessage back;
        load(pos, back);
        QCOMPARE(back.Attachments.Count(), 4);
        const char *names[] = {".bashrc", ".bashrc", "win.ini", "notes.txt"};
        const char *bodies[] = {"first", "second", "third", "from disk"};
        for (int i = 0; i < 4; ++i) {
            TMailPart *part = back.Attachments[i];
            part->Decode();
            QCOMPARE(part->AttachmentFileName(), std::string(names[i]));
            QCOMPARE(part->DecodedBody, std::string(bodies[i]));
        }
        QCOMPARE(MailStore(mailBox).ScanStore().back().attachFlag, 'Y');
    }

    void checksInOrder_data()
    {
        for (const char *column : {"setup", "letter", "to", "bcc", "subject", "text"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<Step>("step");
        QTest::addColumn<Field>("field");
        const QString bob = QStringLiteral("bob@example.com"), none;
        const QString notAddress = QStringLiteral("This recipient is not a mail address:\r\n\r\n%1\r\n\r\n"
                                                  "Please correct it before sending.");
        QTest::newRow("Ms OE: the empty letter first") << "oe running" << " \n" << bob << none << "S"
                                                       << "Do not try to send a empty mail!" << Step::Refuse << Field::Letter;
        QTest::newRow("empty letter") << "smtp" << "\t" << bob << none << "S" << "Do not send a empty mail!"
                                      << Step::Refuse << Field::Letter;
        QTest::newRow("account before recipients") << "smtp noaccount" << "Hi" << none << none << "S"
                                                   << ConfigSettings::AccountBlankMessage << Step::Refuse << Field::None;
        QTest::newRow("no recipient") << "smtp" << "Hi" << " \n\n" << none << "S"
                                      << "Please enter at least one recipient." << Step::Refuse << Field::To;
        QTest::newRow("blind copies only") << "smtp" << "Hi" << none << bob << "S" << none << Step::Send << Field::None;
        QTest::newRow("a name not in the book") << "oe" << "Hi" << bob + "\nAnna" << none << "S" << notAddress.arg("\"Anna\": no \"@\" in the address")
                                                << Step::Refuse << Field::To;
        QTest::newRow("a book entry with a wrong address, two on a line")
            << "smtp" << "Hi" << bob << "Doe, \"Jo\"\nBroken Entry\ntwo@x, @x" << "S"
            << "These recipients are not mail addresses:\r\n\r\nBroken Entry (address book): \"broken at example.com\": a name "
               "without an address\r\n\"@x\": nothing before \"@\"\r\n\r\n"
               "Please correct them before sending." << Step::Refuse << Field::Bcc;
        QTest::newRow("wrong addresses before the subject") << "smtp" << "Hi" << "x" << none << " " << notAddress.arg("\"x\": no \"@\" in the address")
                                                            << Step::Refuse << Field::To;
        QTest::newRow("no subject is a question") << "smtp" << "Hi" << bob << none << "  "
                                                  << "Send this mail without a subject?" << Step::AskSubject
                                                  << Field::Subject;
    }
    void checksInOrder()
    {
        QFETCH(QString, setup);
        QFETCH(QString, letter);
        QFETCH(QString, to);
        QFETCH(QString, bcc);
        QFETCH(QString, subject);
        QFETCH(QString, text);
        QFETCH(Step, step);
        QFETCH(Field, field);
        AddressBook(config).StoreAddress("Broken Entry", "broken at example.com");
        const SendCheck::Verdict v = check(setup, to, bcc, subject, letter);
        QCOMPARE(v.step, step);
        QCOMPARE(v.field, field);
        QCOMPARE(v.text, text);
    }

    // A file is read and encoded while its record is written: the stored mail carries its
    // bytes and the lengths its fields name. A stopped write, or a file that changed size
    // since the mail was laid out, leaves the store as it was.
    void attachmentWrittenWhileStored()
    {
        const QString file = dir->filePath(QStringLiteral("big.bin"));
        QByteArray bytes(3 * 1024 * 1024 + 17, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 7 + i / 251);
        TestFiles::write(file, bytes);
        Letter letter;
        TMailMessage msg;
        std::vector<AttachmentRow> rows{{QStringLiteral("big.bin"), file, AttachmentRow::File}};
        const ComposedMail mail{&letter.doc, QStringLiteral("bob@example.com"), {}, {}, QStringLiteral("Big"),
                                ComposeMode::New, BoxCode::Unsent};
        const qint64 before = QFileInfo(mailBox).size();

        const PreparedMail stopped = storer->prepare(msg, mail, rows);
        int calls = 0;
        std::int64_t last = 0;
        QCOMPARE(stopped.write([&](std::int64_t done, std::int64_t total) {
            last = done <= total ? done : -1;
            return ++calls < 2;
        }), std::int64_t(-1));
        QVERIFY(last > 0);
        QCOMPARE(QFileInfo(mailBox).size(), before);

        const PreparedMail changed = storer->prepare(msg, mail, rows);
        TestFiles::write(file, bytes + "x");
        QVERIFY_THROWS_EXCEPTION(AppError, changed.write());
        QCOMPARE(QFileInfo(mailBox).size(), before);

        TestFiles::write(file, bytes);
        const std::int64_t pos = storer->StoreMail(msg, mail, rows);
        TMailMessage back;
        load(pos, back);
        QCOMPARE(back.Attachments.Count(), 1);
        TMailPart *part = back.Attachments[0];
        QCOMPARE(part->HeaderValue("Content-Length"), std::to_string(part->EncodedBody.size()));
        part->Decode();
        QVERIFY(QByteArray::fromStdString(part->DecodedBody) == bytes);
        const std::string text = MailStore(mailBox).ReadMailText(pos);
        QCOMPARE(back.HeaderValue("Content-Length"), std::to_string(text.size() - text.find("\r\n\r\n") - 4));
        QVERIFY(back.PlainText().starts_with("{\\rtf1"));
        QCOMPARE(MailStore(mailBox).ScanStore().back().attachFlag, 'Y');

        // Shown without its file: the fields, the letter and the file's name are there, the
        // body stays in the store and is read from there a piece at a time.
        TMailMessage shown;
        std::vector<RecordSkeleton::Gap> gaps;
        MailStore(mailBox).LoadMailShown(pos, shown, &gaps);
        QCOMPARE(shown.PlainLines, back.PlainLines);
        QCOMPARE(shown.SubjectText(), QStringLiteral("Big"));
        QCOMPARE(shown.Attachments.Count(), 1);
        QCOMPARE(shown.Attachments[0]->AttachmentFileName(), std::string("big.bin"));
        QVERIFY(shown.Attachments[0]->EncodedBody.empty());
        QCOMPARE(gaps.size(), std::size_t(1));
        QByteArray decoded;
        MailStore(mailBox).DecodeBody(gaps[0], [&](std::string_view piece) {
            decoded.append(piece.data(), qsizetype(piece.size()));
        });
        QVERIFY(decoded == bytes);
    }

    // The size question: only over the limit, with the mail's size; never with no limit.
    void attachSize_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<qint64>("fileBytes");
        QTest::addColumn<QString>("question");
        const qint64 mb = 1024 * 1024;
        QTest::newRow("within") << 25 << 10 * mb << QString();
        QTest::newRow("base64 takes it over") << 25 << 20 * mb
                                              << "With this attachment the mail will be 27.4 MB, more than the 25 MB "
                                                 "that many mail servers accept.\r\nAttach it anyway?";
        QTest::newRow("no limit") << 0 << 2000 * mb << QString();
    }
    void attachSize()
    {
        QFETCH(int, limit);
        QFETCH(qint64, fileBytes);
        QFETCH(QString, question);
        const QString file = dir->filePath(QStringLiteral("sparse.bin"));
        QFile sparse(file);
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(fileBytes));
        sparse.close();
        const std::vector<AttachmentRow> rows{{QStringLiteral("sparse.bin"), file, AttachmentRow::File}};
        QCOMPARE(AttachSizeCheck(limit).question(AttachSizeCheck::mailSize(100, rows, TMailMessage())), question);
    }

    void safeNames()
    {
        QCOMPARE(AttachmentTempFiles::safeName(QStringLiteral("..")), QStringLiteral("attachment"));
        QCOMPARE(AttachmentTempFiles::safeName(QStringLiteral("a/..")), QStringLiteral("attachment"));
        QCOMPARE(AttachmentTempFiles::safeName(QString(QStringLiteral("ev")) + QChar(0) + QStringLiteral("il")),
                 QStringLiteral("evil"));
        const QString longName = QString(300, QLatin1Char('n')) + QStringLiteral(".pdf");
        const QString safe = AttachmentTempFiles::safeName(longName);
        QVERIFY(safe.endsWith(QStringLiteral(".pdf")) && safe.size() <= 200);
    }
};

QTEST_MAIN(TestMailStorer)
#include "tst_mailstorer.moc"
