#include "addressbook/AddressBook.h"
#include "addressbook/AddressCheck.h"
#include "addressbook/AddressQuestions.h"
#include "config/ConfigFile.h"
#include "os/AppError.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestAddressBook : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

    QByteArray content() const { return TestFiles::read(m_path); }
    QStringList names() const
    {
        QStringList out;
        for (const AddressBook::Entry &e : AddressBook(m_path).ListAddresses())
            out << QString::fromLatin1(e.name + "=" + e.address);
        return out;
    }

private slots:
    void init()
    {
        m_path = m_dir.filePath(QStringLiteral("Config.dat"));
        TestFiles::write(m_path, FirstRunConfigText());
    }

    // The first entry creates the section at the end of the file; [System] stays as it was.
    void firstEntryCreatesSection()
    {
        AddressBook book(m_path);
        QVERIFY(book.ListAddresses().empty());
        book.StoreAddress("  Ann \t", " ann@example.org  ");
        QCOMPARE(content(), FirstRunConfigText() + "[Address List]\r\nAnn=ann@example.org\r\n");
        QCOMPARE(book.LookupAddress("ANN"), std::string("ann@example.org"));
        QCOMPARE(book.LookupAddress("Nobody"), std::string());
    }

    // Names match without regard to case; a stored name keeps its line, a renamed entry
    // moves to the end, a removed one is gone (removing a missing name changes nothing).
    void replaceRenameRemove()
    {
        AddressBook book(m_path);
        book.StoreAddress("Bob", "bob@example.com");
        book.StoreAddress("Carol", "carol@example.org");
        book.StoreAddress("Dave", "dave@example.net");

        book.StoreAddress("BOB", "robert@example.com");
        QCOMPARE(names(), QStringList({"BOB=robert@example.com", "Carol=carol@example.org", "Dave=dave@example.net"}));

        book.ReplaceAddress("Carol", "Carol", "c@example.org"); // address only: keeps its place
        QCOMPARE(names().at(1), QStringLiteral("Carol=c@example.org"));
        book.ReplaceAddress("Carol", "carol", "c@example.org"); // a change of case keeps the place
        QCOMPARE(names(), QStringList({"BOB=robert@example.com", "carol=c@example.org", "Dave=dave@example.net"}));
        book.ReplaceAddress("carol", "Carla", "c@example.org"); // a new name moves to the end
        QCOMPARE(names(), QStringList({"BOB=robert@example.com", "Dave=dave@example.net", "Carla=c@example.org"}));
        book.ReplaceAddress("Dave", " BOB ", "dave@example.net"); // onto another name: one entry left
        QCOMPARE(names(), QStringList({"BOB=dave@example.net", "Carla=c@example.org"}));

        const QByteArray before = content();
        book.RemoveAddress("nobody");
        QCOMPARE(content(), before);
        book.RemoveAddress("CARLA");
        QCOMPARE(names(), QStringList({"BOB=dave@example.net"}));
    }

    // What the dialogs ask before they replace, store or delete; names match in any case and
    // script, and a change of case keeps the entry's line.
    void questions()
    {
        AddressBook book(m_path);
        book.StoreAddress("\xc3\xa9lan", "e@example.org"); // "élan" in UTF-8
        book.StoreAddress("Anna", "anna@example.org");
        using namespace AddressQuestions;
        QCOMPARE(replaceExisting(book, {}, " anna ", "a2@example.org"),
                 QStringLiteral("The address book already has an entry \"Anna\" (anna@example.org).\r\n"
                                "Replace it with \"anna\" (a2@example.org)?"));
        QVERIFY(replaceExisting(book, {}, "Bob", "bob@example.org").isEmpty());
        QVERIFY(replaceExisting(book, "Anna", "ANNA", "a@example.org").isEmpty()); // the entry itself
        QVERIFY(replaceExisting(book, "Anna", "\xc3\x89LAN", "a@example.org").contains(QStringLiteral("\"élan\"")));
        QVERIFY(storeAnyway(" anna@example.org ").isEmpty());
        QVERIFY(storeAnyway("Anna Berg").startsWith(QStringLiteral("\"Anna Berg\" is not a mail address: a name without an address")));
        QCOMPARE(deleteEntry("Anna", "anna@example.org"), QStringLiteral("Delete \"Anna\" (anna@example.org) from the address book?"));

        book.ReplaceAddress("\xc3\xa9lan", "\xc3\x89lan", "e2@example.org");
        QVERIFY(content().endsWith("[Address List]\r\n\xc3\x89lan=e2@example.org\r\nAnna=anna@example.org\r\n"));
    }

    // Every entry is listed, far beyond what a 16 KB block of names would hold.
    void manyEntriesAllListed()
    {
        QByteArray text = FirstRunConfigText() + "[Address List]\r\n";
        for (int i = 0; i < 2000; ++i)
            text += QStringLiteral("Contact number %1=person%1@example.org\r\n").arg(i, 4, 10, QLatin1Char('0')).toLatin1();
        TestFiles::write(m_path, text);
        const std::vector<AddressBook::Entry> all = AddressBook(m_path).ListAddresses();
        QCOMPARE(all.size(), size_t(2000));
        QCOMPARE(all.back().name, std::string("Contact number 1999"));
        QCOMPARE(all.back().address, std::string("person1999@example.org"));
    }

    void refusedEntries_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<bool>("emptyMessage");
        QTest::newRow("empty name") << QByteArray(" \t") << QByteArray("a@b") << true;
        QTest::newRow("empty address") << QByteArray("Ann") << QByteArray("  ") << true;
        QTest::newRow("equals sign") << QByteArray("a=b") << QByteArray("a@b") << false;
        QTest::newRow("comment") << QByteArray(" ;Ann") << QByteArray("a@b") << false;
        QTest::newRow("section") << QByteArray("[System]") << QByteArray("a@b") << false;
        QTest::newRow("line break in name") << QByteArray("Ann\r\nPIC_W") << QByteArray("1") << false;
        QTest::newRow("line break in address") << QByteArray("Ann") << QByteArray("a@b\n[System]") << false;
    }

    // Refused before anything is written, by the store itself as by the editor.
    void refusedEntries()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, address);
        QFETCH(bool, emptyMessage);
        const QString problem = AddressBook::entryProblem(name.toStdString(), address.toStdString());
        QVERIFY(!problem.isEmpty());
        QCOMPARE(problem == QLatin1String(AddressBook::EmptyMessage), emptyMessage);
        AddressBook book(m_path);
        QVERIFY_THROWS_EXCEPTION(AppError, book.StoreAddress(name.toStdString(), address.toStdString()));
        QCOMPARE(content(), FirstRunConfigText());
    }

    // What the composer and the editor name before sending or storing.
    void plausibleAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("plausible");
        QTest::newRow("plain") << "anna@example.org" << true;
        QTest::newRow("padded") << "  anna@example.org \t" << true;
        QTest::newRow("named") << "Anna Berg <anna@example.org>" << true;
        QTest::newRow("unicode") << QStringLiteral("\u03b1@\u03c0.gr") << true;
        QTest::newRow("no at") << "anna.example.org" << false;
        QTest::newRow("a name") << "Anna Berg" << false;
        QTest::newRow("blank inside") << "anna @example.org" << false;
        QTest::newRow("nothing before") << "@example.org" << false;
        QTest::newRow("nothing after") << "anna@" << false;
        QTest::newRow("two ats") << "anna@x@example.org" << false;
        QTest::newRow("empty brackets") << "Anna <>" << false;
    }
    void plausibleAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, plausible);
        QCOMPARE(AddressCheck::isPlausible(address), plausible);
        QCOMPARE(AddressCheck::implausible({QString(), address, QStringLiteral("b@c.d")}).isEmpty(), plausible);
    }
};

QTEST_GUILESS_MAIN(TestAddressBook)
#include "tst_addressbook.moc"
