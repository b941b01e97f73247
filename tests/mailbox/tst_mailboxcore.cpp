#include "config/ConfigSettings.h"
#include "mail/TMailMessage.h"
#include "mailbox/ExportFile.h"
#include "mailbox/MailBoxCore.h"
#include "mailbox/MailListModel.h"
#include "mailbox/MailListSort.h"
#include "os/AppError.h"
#include "tests/mailbox/StoreBytes.h"
#include "tests/support/ReadOnlyFile.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace StoreBytes;

// The main window's decisions without the window: box lists, sorting, remembered rows
// and the commands' steps on a real MailBox.dat.
class TestMailBoxCore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;
    ConfigSettings m_settings;

    static QByteArray mailText(const QByteArray &to, const QByteArray &subject, const QByteArray &date)
    {
        return "To: \"" + to + "\" <x@example.org>\r\nSubject: " + subject + "\r\nDate: " + date + "\r\n\r\nbody\r\n";
    }
    static MailSummary summary(const std::string &to, const std::string &subject, const std::string &date,
                               std::int64_t length = 100)
    {
        MailSummary s = MailSummary::build(100, length, 'u', 'N', "");
        s.to = to;
        s.subject = subject;
        s.toText = QString::fromStdString(to);
        s.subjectText = QString::fromStdString(subject);
        s.date = date;
        return s;
    }
    char boxOf(const MailBoxCore &core, std::int64_t position) const
    {
        for (const MailSummary &s : core.store().ScanStore())
            if (s.position == position)
                return s.boxCode;
        return 0;
    }
    std::vector<std::string> shownSubjects(const MailBoxCore &core) const
    {
        std::vector<std::string> list;
        for (const MailSummary &s : core.shown())
            list.push_back(s.subject);
        return list;
    }

private slots:
    void init()
    {
        m_path = m_dir.filePath(QStringLiteral("MailBox.dat"));
        m_settings = ConfigSettings::firstRun();
        TestFiles::write(m_path, fileHeader() + record(mailText("Bob", "b unsent", "Mon, 02 Dec 2002 10:20:30 +0800"), 'u')
                                     + record(mailText("Ann", "a sent", "Tue, 03 Dec 2002 10:20:30 +0800"), 's')
                                     + record(mailText("Cy", "gone", "Tue, 03 Dec 2002 10:20:30 +0800"), 'D')
                                     + record(mailText("Di", "odd", "Tue, 03 Dec 2002 10:20:30 +0800"), 'x')
                                     + record(mailText("Ed", "c unsent", "Wed, 04 Dec 2002 10:20:30 +0800"), 'u')
                                     + record(mailText("Fa", "t1", "Wed, 04 Dec 2002 10:20:30 +0800"), 't'));
    }

    void boxListsAndCounts()
    {
        MailBoxCore core(m_settings, m_path);
        core.ReloadBoxes();
        QCOMPARE(core.lists().count(BoxCode::Unsent), 2);
        QCOMPARE(core.lists().count(BoxCode::Sent), 1);
        QCOMPARE(core.lists().count(BoxCode::Trash), 1);
        QCOMPARE(core.lists().count(BoxCode::Deleted), 0);
        QCOMPARE(core.boxCountTexts(),
                 QStringList({QStringLiteral("Sent Box   1"), QStringLiteral("UnSent Box 2"), QStringLiteral("Trash Box  1")}));
        // The shown list is the current box's, sorted by time.
        QCOMPARE(core.shown().size(), size_t(2));
        QCOMPARE(core.shown()[0].subject, std::string("b unsent"));

        core.showBox(BoxCode::Trash);
        QCOMPARE(m_settings.BOX_CurrentBox, std::string("TrashBox"));
        QCOMPARE(core.shown().size(), size_t(1));

        // A current box that names no box shows nothing.
        m_settings.BOX_CurrentBox = "Inbox";
        core.ReloadBoxes();
        QVERIFY(core.shown().empty());
        QCOMPARE(core.rememberedRow(), nullptr);
    }

    // The one table of the boxes: each name leads back to its code, and the remembered row
    // is the settings field of that box.
    void boxTable_data()
    {
        QTest::addColumn<char>("byte");
        QTest::addColumn<QString>("iniName");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("rowField");
        QTest::newRow("sent") << 's' << "SentBox" << 0 << "Sent Box" << 1;
        QTest::newRow("unsent") << 'u' << "UnsentBox" << 1 << "UnSent Box" << 0;
        QTest::newRow("trash") << 't' << "TrashBox" << 2 << "Trash Box" << 2;
        QTest::newRow("deleted") << 'D' << "" << -1 << "" << -1;
    }
    void boxTable()
    {
        QFETCH(char, byte);
        QFETCH(QString, iniName);
        QFETCH(int, item);
        QFETCH(QString, caption);
        QFETCH(int, rowField);
        const std::optional<BoxCode> code = BoxTable::fromByte(byte);
        QVERIFY(code);
        QCOMPARE(BoxTable::byte(*code), byte);
        QCOMPARE(QString::fromLatin1(BoxTable::iniName(*code)), iniName);
        QCOMPARE(BoxTable::selectorItem(*code), item);
        QCOMPARE(BoxTable::selectorCaption(*code), caption);
        int *const fields[] = {&m_settings.BOX_UIndex, &m_settings.BOX_SIndex, &m_settings.BOX_TIndex};
        QCOMPARE(BoxTable::rememberedRow(m_settings, *code), rowField < 0 ? nullptr : fields[rowField]);
        // Round trips; the deleted mark has no name and no item to come back from.
        const std::optional<BoxCode> none;
        QCOMPARE(BoxTable::fromIniName(iniName.toStdString()), item < 0 ? none : code);
        QCOMPARE(BoxTable::fromSelectorItem(item), item < 0 ? none : code);
        if (item >= 0)
            QCOMPARE(BoxTable::Boxes[size_t(item)], *code);
    }
    void unknownBoxNames()
    {
        for (char byte : {'\0', 'x', 'U', 'S', 'd', '\xff'})
            QVERIFY(!BoxTable::fromByte(byte));
        for (const char *name : {"", "Unsent", "unsentbox", "UnsentBox ", "Inbox"})
            QVERIFY(!BoxTable::fromIniName(name));
        for (int item : {-1, 3, 1000})
            QVERIFY(!BoxTable::fromSelectorItem(item));
    }

    // A mail a composer stored is shown selected in its box, wherever the sort puts it; a
    // position the box does not list selects the last row.
    void storedMailIsShownSelected()
    {
        MailBoxCore core(m_settings, m_path);
        core.ReloadBoxes();
        const std::int64_t first = core.shown()[0].position;
        m_settings.BOX_UIndex = 1;
        QVERIFY(core.showStored(BoxCode::Unsent, first));
        QCOMPARE(m_settings.BOX_CurrentBox, std::string("UnsentBox"));
        QCOMPARE(core.rowToRestore(), 0);
        QVERIFY(core.showStored(BoxCode::Trash, first));
        QCOMPARE(m_settings.BOX_CurrentBox, std::string("TrashBox"));
        QCOMPARE(m_settings.BOX_TIndex, 0);
        QVERIFY(!core.showStored(BoxCode::Deleted, first));
        QCOMPARE(m_settings.BOX_CurrentBox, std::string("TrashBox"));
    }

    void sortingByEachColumn()
    {
        BoxList rows{summary("bob", "Zeta", "2002-12-10 08:00:00", 2560), summary("Ann", "alpha", "2002-12-02 10:20:30", 1048577),
                     summary("carl", "ALPHA", "2002-12-2 09:00:00", 1536)};
        auto order = [&rows](int column) {
            BoxList copy = rows;
            MailListSort::sort(copy, column);
            std::string names;
            for (const MailSummary &s : copy)
                names += s.to.substr(0, 1);
            return names;
        };
        QCOMPARE(order(MailListSort::ToColumn), std::string("Abc"));
        // Case-blind: "alpha" and "ALPHA" are equal and keep their order.
        QCOMPARE(order(MailListSort::SubjectColumn), std::string("Acb"));
        QVERIFY(!MailListSort::lessThan(rows[1], rows[2], MailListSort::SubjectColumn));
        QVERIFY(!MailListSort::lessThan(rows[2], rows[1], MailListSort::SubjectColumn));
        // 2002-12-02 before 2002-12-10; the undpadded day of another sender sorts as text.
        QCOMPARE(order(MailListSort::TimeColumn), std::string("Abc"));
        // 1536 and 2560 both show "2 KB"; the exact length orders them, and 1 MB comes last.
        QCOMPARE(rows[0].sizeText, std::string("2 KB"));
        QCOMPARE(rows[2].sizeText, std::string("2 KB"));
        QCOMPARE(order(MailListSort::SizeColumn), std::string("cbA"));
        // Columns 0 and 1 do not sort.
        QCOMPARE(order(0), std::string("bAc"));
        QCOMPARE(order(1), std::string("bAc"));
    }

    void headers()
    {
        QCOMPARE(MailListSort::designHeaders(4),
                 QStringList({QString(), QString(), QStringLiteral("Mail To "), QStringLiteral("Subject"),
                              QStringLiteral("Time ^"), QStringLiteral("Size")}));
        QCOMPARE(MailListSort::designHeaders(2)[2], QStringLiteral("Mail To  ^"));
        QCOMPARE(MailListSort::designHeaders(1)[2], QStringLiteral("Mail To "));
        QCOMPARE(MailListSort::headersAfterSort(3),
                 QStringList({QString(), QString(), QStringLiteral("Mail To"), QStringLiteral("SubJect ^"),
                              QStringLiteral("Time"), QStringLiteral("Size")}));
    }

    void rememberedRows()
    {
        MailBoxCore core(m_settings, m_path);
        core.ReloadBoxes();
        m_settings.BOX_UIndex = 7;
        QCOMPARE(core.rowToRestore(), 1); // beyond the end: the last row
        m_settings.BOX_UIndex = -1;
        QCOMPARE(core.rowToRestore(), -1);
        m_settings.BOX_UIndex = 0;
        QCOMPARE(core.rowToRestore(), 0);
        core.showBox(BoxCode::Sent);
        QCOMPARE(core.rememberedRow(), &m_settings.BOX_SIndex);
        core.showBox(BoxCode::Trash);
        QCOMPARE(core.rememberedRow(), &m_settings.BOX_TIndex);
        core.emptyTrash();
        core.ReloadBoxes();
        QCOMPARE(core.rowToRestore(), -1); // an empty box selects nothing
    }

    void deleteMoveAndEmptyTrash()
    {
        MailBoxCore core(m_settings, m_path);
        core.showBox(BoxCode::Sent);
        core.ReloadBoxes();
        const qint64 size = QFileInfo(m_path).size();
        const std::int64_t sent = core.shown()[0].position;

        // Moving to the box that is shown does nothing; no row does nothing.
        QVERIFY(!core.moveRows({0}, BoxCode::Sent));
        QVERIFY(!core.moveRows({}, BoxCode::Unsent));
        QVERIFY(!core.deleteRows({}));

        QVERIFY(core.deleteRows({0}));
        QCOMPARE(boxOf(core, sent), 't');
        core.showBox(BoxCode::Trash);
        core.ReloadBoxes();
        QCOMPARE(core.shown().size(), size_t(2));
        // From the trash a mail leaves every box, and stays in the file until the purge.
        QVERIFY(core.deleteRows({0, 1}));
        core.ReloadBoxes();
        QCOMPARE(core.lists().count(BoxCode::Trash), 0);
        QCOMPARE(core.lists().count(BoxCode::Sent), 0);
        QCOMPARE(QFileInfo(m_path).size(), size);

        // Empty trash works whatever box is shown.
        core.showBox(BoxCode::Unsent);
        QVERIFY(core.moveRows({0}, BoxCode::Trash) && core.moveRows({1}, BoxCode::Sent));
        core.ReloadBoxes();
        core.showBox(BoxCode::Sent);
        core.emptyTrash();
        core.ReloadBoxes();
        QCOMPARE(core.lists().count(BoxCode::Trash), 0);
        QCOMPARE(core.lists().count(BoxCode::Sent), 1);
        QCOMPARE(core.positions({0}), std::vector<std::int64_t>{core.shown()[0].position});
    }

    // A store the user may not write (a read-only data folder): the mails are shown with
    // their counts, the status bar names the reason, and a change is refused with it.
    void readOnlyStoreIsShown()
    {
        ReadOnlyFile readOnly(m_path);
        if (!readOnly.made())
            QSKIP("this file system cannot make a file read-only for root");
        MailBoxCore core(m_settings, m_path);
        core.ReloadBoxes();
        QVERIFY(core.storeRead());
        QCOMPARE(core.readOnlyReason(), QStringLiteral("permission denied"));
        QCOMPARE(core.boxCountTexts()[1], QStringLiteral("UnSent Box 2"));
        QVERIFY2(core.storeStatusText().startsWith(QStringLiteral("The mail store is read-only (permission denied)")),
                 qPrintable(core.storeStatusText()));
        core.showBox(BoxCode::Unsent);
        try {
            core.deleteRows({0});
            QFAIL("no error");
        } catch (const AppError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Cannot open file %1: permission denied").arg(m_path));
        }
        readOnly.release();
        core.ReloadBoxes();
        QVERIFY(core.readOnlyReason().isEmpty());
        QVERIFY(core.storeStatusText().isEmpty());
    }

    // Opening a mail for changes: a large attachment's body is copied out of the store
    // to a private file (the message keeps no body), a small one stays in the message.
    void mailForChangeCopiesLargeBodies()
    {
        std::string large(300 * 1024, '\0');
        for (std::size_t i = 0; i < large.size(); ++i)
            large[i] = char((i * 7919) >> 3);
        TMailMessage stored;
        stored.SetSubject("with files");
        stored.SetPlainText("see attached\r\n");
        stored.AttachStream("small", "note.txt");
        stored.AttachStream(large, "big.bin");
        stored.Rebuild();
        const std::int64_t position = MailStore(m_path).AppendMail(stored.SourceText(), 'u', 'Y');

        MailBoxCore core(m_settings, m_path);
        core.ReloadBoxes();
        core.showBox(BoxCode::Unsent);
        const int row = core.rowOf(position);
        QVERIFY(row >= 0);
        QTemporaryDir temp;
        TMailMessage message;
        const QStringList files = core.loadMailForChange(row, message, temp.path());
        QCOMPARE(files.size(), 2);
        QCOMPARE(message.Attachments.Count(), 2);
        QVERIFY(files[0].isEmpty());
        message.Attachments[0]->Decode();
        QCOMPARE(message.Attachments[0]->DecodedBody, std::string("small"));
        QVERIFY(message.Attachments[1]->EncodedBody.empty());
        QVERIFY(files[1].startsWith(temp.path() + QLatin1Char('/')));
        QCOMPARE(TestFiles::read(files[1]), QByteArray::fromStdString(large));
        QCOMPARE(TestFiles::unixMode(QFileInfo(files[1]).absolutePath()) & 0077, 0);

        // A second opening gets copies of its own.
        TMailMessage again;
        const QStringList other = core.loadMailForChange(row, again, temp.path());
        QVERIFY(other[1] != files[1]);
        QCOMPARE(TestFiles::read(files[1]).size(), qsizetype(large.size()));
    }

    void storeErrorLeavesTheLists()
    {
        MailBoxCore core(m_settings, m_path);
        core.ReloadBoxes();
        QVERIFY(core.storeRead());
        QVERIFY(core.storeStatusText().isEmpty());
        QVERIFY(QFile::rename(m_path, m_path + ".away"));
        try {
            core.ReloadBoxes();
            QFAIL("no error");
        } catch (const AppError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Cannot open file %1: not found").arg(m_path));
        }
        QCOMPARE(core.shown().size(), size_t(2));
        QCOMPARE(core.lists().count(BoxCode::Sent), 1);
        QVERIFY_THROWS_EXCEPTION(AppError, core.deleteRows({0}));
        // Told, with the counts of the last good reading; a good reading clears it.
        QVERIFY(!core.storeRead());
        QVERIFY(core.storeStatusText().contains(QStringLiteral("could not be read (Cannot open file ") + m_path
                                                              + QStringLiteral(": not found")));
        QCOMPARE(core.boxCountTexts()[1], QStringLiteral("UnSent Box 2"));
        QVERIFY(QFile::rename(m_path + ".away", m_path));
        core.ReloadBoxes();
        QVERIFY(core.storeRead());
        QVERIFY(core.storeStatusText().isEmpty());
    }

    // A store never read shows no counts, which would claim empty boxes.
    void unreadStoreHasNoCounts()
    {
        QVERIFY(QFile::remove(m_path));
        QVERIFY(QDir().mkdir(m_path));
        MailBoxCore core(m_settings, m_path);
        QVERIFY_THROWS_EXCEPTION(AppError, core.ReloadBoxes());
        QCOMPARE(core.boxCountTexts(),
                 QStringList({QStringLiteral("Sent Box   ?"), QStringLiteral("UnSent Box ?"), QStringLiteral("Trash Box  ?")}));
        QVERIFY(!core.storeRead());
        QVERIFY(QDir().rmdir(m_path));
    }

    void previewFollowsTheShownList()
    {
        MailBoxCore core(m_settings, m_path);
        core.ReloadBoxes();
        QVERIFY(core.previewStillShown()); // nothing previewed
        core.setPreviewed(1);
        const std::int64_t previewed = core.shown()[1].position;
        core.showBox(BoxCode::Sent);
        QVERIFY(!core.previewStillShown());
        core.showBox(BoxCode::Unsent);
        QVERIFY(core.previewStillShown());
        // Sent: the mail leaves the shown box.
        core.store().SetBoxCode(previewed, "s");
        core.ReloadBoxes();
        QVERIFY(!core.previewStillShown());
        core.clearPreviewed();
        QVERIFY(core.previewStillShown());
    }

    void composerSlots_data()
    {
        QTest::addColumn<QList<bool>>("taken");
        QTest::addColumn<int>("slot");
        QTest::newRow("none taken") << QList<bool>(10, false) << 1;
        QList<bool> hole(10, true);
        hole[3] = false;
        QTest::newRow("a hole") << hole << 4;
        QTest::newRow("all ten") << QList<bool>(10, true) << 0;
    }

    void composerSlots()
    {
        QFETCH(QList<bool>, taken);
        QFETCH(int, slot);
        const std::vector<bool> table(taken.begin(), taken.end());
        QCOMPARE(MailBoxCore::firstFreeSlot(table), slot);
    }

    void exportText()
    {
        QCOMPARE(ExportFile::previewText(QStringLiteral("one\ntwo") + QChar(0x2029) + QStringLiteral("dr\u00fcber")),
                 QByteArray("one\r\ntwo\r\ndr\xc3\xbc" "ber\r\n"));
        QCOMPARE(ExportFile::previewText(QString()), QByteArray());
        const QString target = m_dir.filePath(QStringLiteral("out.txt"));
        TestFiles::write(target, "old and longer");
        ExportFile::write(target, "new");
        QCOMPARE(TestFiles::read(target), QByteArray("new"));
        const QString missing = m_dir.filePath(QStringLiteral("no/such/out.txt"));
        try {
            ExportFile::write(missing, "x");
            QFAIL("no error");
        } catch (const AppError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Cannot create file ") + missing);
        }
    }

    void modelOverTheShownList()
    {
        MailBoxCore core(m_settings, m_path);
        core.ReloadBoxes();
        MailListModel model(core.shown());
        model.setHeaders(MailListSort::designHeaders(4));
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 7);
        QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Time ^"));
        QCOMPARE(model.data(model.index(0, 2)).toString(), QStringLiteral("Bob"));
        QCOMPARE(model.data(model.index(0, 4)).toString(), QStringLiteral("2002-12-02 10:20:30"));
        QCOMPARE(model.data(model.index(0, 5)).toString(), QStringLiteral("1 KB")); // a few bytes, not "0 KB"
        QCOMPARE(model.data(model.index(0, MailListModel::PositionColumn)).toString(), QStringLiteral("100"));
        QVERIFY(!model.data(model.index(5, 2)).isValid());
    }
};

QTEST_GUILESS_MAIN(TestMailBoxCore)
#include "tst_mailboxcore.moc"
