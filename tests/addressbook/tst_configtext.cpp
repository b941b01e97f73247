// Config.dat in any script: account texts and address-book names as the dialogs hand them
// over (StoredText) survive a save and a restart; Western files keep their old bytes.
#include "addressbook/AddressBook.h"
#include "config/ConfigFile.h"
#include "config/ConfigForm.h"
#include "config/ConfigSettings.h"
#include "tests/support/TestFiles.h"
#include "text/StoredText.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

std::string S(const QString &text)
{
    return StoredText::fromQString(text);
}

QString T(const std::string &bytes)
{
    return StoredText::toQString(bytes);
}

} // namespace

class TestConfigText : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init()
    {
        m_path = m_dir.filePath(QStringLiteral("Config.dat"));
        TestFiles::write(m_path, FirstRunConfigText());
    }

    // The file tests/data/western/Config.dat was written before names could hold more than
    // Windows-1252; the same values typed today give the same bytes.
    void westernFileKeepsItsBytes()
    {
        ConfigSettings s = ConfigSettings::firstRun();
        ConfigForm form = ConfigForm::showing(s);
        form.Edt_FromName = S(QStringLiteral("René Müller"));
        form.Edt_FromAdd = S(QStringLiteral("rene@example.org"));
        form.Edt_ReplyName = S(QStringLiteral("Zoë"));
        form.Edt_ReplyAdd = S(QStringLiteral("zoe@example.org"));
        form.Edt_Host = S(QStringLiteral("smtp.example.org"));
        form.Edt_User = S(QStringLiteral("rené"));
        form.Edt_Pass = S(QStringLiteral("pässword €"));
        SaveConfig(s, form, MainWindowLayout(), m_path);
        AddressBook book(m_path);
        book.StoreAddress(S(QStringLiteral("Anaïs")), "anais@example.net");
        book.StoreAddress("Bob", "bob@example.net");
        book.StoreAddress(S(QStringLiteral("Zoë €")), "zoe@example.org");
        QCOMPARE(TestFiles::read(m_path), TestFiles::read(TestFiles::dataPath("western/Config.dat")));
    }

    void scriptsSurviveSaveAndRestart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("otherCase");
        QTest::newRow("Chinese") << QStringLiteral("张三") << QStringLiteral("张三");
        QTest::newRow("Japanese") << QStringLiteral("山田太郎") << QStringLiteral("山田太郎");
        QTest::newRow("Korean") << QStringLiteral("김철수") << QStringLiteral("김철수");
        QTest::newRow("Greek") << QStringLiteral("Αλέξανδρος") << QStringLiteral("ΑΛΈΞΑΝΔΡΟΣ");
        QTest::newRow("Cyrillic") << QStringLiteral("Иван Петров") << QStringLiteral("иван петров");
        QTest::newRow("Arabic") << QStringLiteral("محمد") << QStringLiteral("محمد");
        QTest::newRow("emoji") << QStringLiteral("Party 🎉") << QStringLiteral("PARTY 🎉");
        QTest::newRow("Western") << QStringLiteral("Élodie €") << QStringLiteral("éLODIE €");
    }

    void scriptsSurviveSaveAndRestart()
    {
        QFETCH(QString, text);
        QFETCH(QString, otherCase);
        ConfigSettings s = ConfigSettings::firstRun();
        ConfigForm form = ConfigForm::showing(s);
        form.Edt_FromName = S(text);
        form.Edt_ReplyName = S(text + " 2");
        form.Edt_User = S(text);
        form.Edt_Pass = S(text + "!");
        SaveConfig(s, form, MainWindowLayout(), m_path);
        // Only what Windows-1252 cannot hold is UTF-8 in the file.
        const QByteArray file = TestFiles::read(m_path);
        QCOMPARE(file.contains("ACC_FromName=" + text.toUtf8() + "\r\n"), !text.startsWith(u'É'));

        ConfigSettings restarted;
        ConfigForm shown;
        LoadConfig(restarted, shown, m_path);
        QCOMPARE(T(restarted.ACC_FromName), text);
        QCOMPARE(T(restarted.ACC_ReplyName), text + " 2");
        QCOMPARE(T(restarted.ACC_SMTPUser), text);
        QCOMPARE(T(restarted.ACC_SMTPPass), text + "!");
        QCOMPARE(T(shown.Edt_FromName), text);

        AddressBook book(m_path);
        book.StoreAddress(S(text), "first@example.org");
        book.StoreAddress("Bob", "bob@example.org");
        // The same name in other letter case replaces the address and keeps its place.
        book.StoreAddress(S(otherCase), "second@example.org");
        const std::vector<AddressBook::Entry> entries = book.ListAddresses();
        QCOMPARE(entries.size(), std::size_t(2));
        QCOMPARE(T(entries[0].name).compare(text, Qt::CaseInsensitive), 0);
        QCOMPARE(AddressBook(m_path).LookupAddressText(otherCase), QStringLiteral("second@example.org"));
        QCOMPARE(book.LookupAddressText(text), QStringLiteral("second@example.org"));
        book.RemoveAddress(S(otherCase));
        QCOMPARE(book.ListAddresses().size(), std::size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestConfigText)
#include "tst_configtext.moc"
