#include "config/IniFile.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <climits>
#include <QTemporaryDir>
#include <QTest>

class TestIniFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

    void setContent(const QByteArray &bytes) { TestFiles::write(m_path, bytes); }
    QByteArray content() const { return TestFiles::read(m_path); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("Config.dat"));
        QFile::remove(m_path);
    }

    void writes_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("missing file is created")
            << QByteArray() << QByteArray("System") << QByteArray("A") << QByteArray("1")
            << QByteArray("[System]\r\nA=1\r\n");
        QTest::newRow("existing key keeps its place")
            << QByteArray("[System]\r\nA=1\r\nB=2\r\nC=3\r\n") << QByteArray("System") << QByteArray("B")
            << QByteArray("x") << QByteArray("[System]\r\nA=1\r\nB=x\r\nC=3\r\n");
        QTest::newRow("names match without regard to case")
            << QByteArray("[SYSTEM]\r\npic_w=1\r\n") << QByteArray("System") << QByteArray("PIC_W")
            << QByteArray("600") << QByteArray("[SYSTEM]\r\nPIC_W=600\r\n");
        QTest::newRow("new key at the end of its section, not of the file")
            << QByteArray("[System]\r\nA=1\r\n\r\n[Address List]\r\nx=y\r\n") << QByteArray("System")
            << QByteArray("B") << QByteArray("2")
            << QByteArray("[System]\r\nA=1\r\nB=2\r\n\r\n[Address List]\r\nx=y\r\n");
        QTest::newRow("new section at the end of the file")
            << QByteArray("[System]\r\nA=1\r\n") << QByteArray("Address List") << QByteArray("Ann")
            << QByteArray("ann@example.org")
            << QByteArray("[System]\r\nA=1\r\n[Address List]\r\nAnn=ann@example.org\r\n");
        QTest::newRow("LF-only file is written with CR LF")
            << QByteArray("[System]\nA=1\nB=2") << QByteArray("System") << QByteArray("A")
            << QByteArray("3") << QByteArray("[System]\r\nA=3\r\nB=2\r\n");
        QTest::newRow("bytes above 127 kept")
            << QByteArray("[System]\r\nN=\xe9t\xe9\r\n") << QByteArray("System") << QByteArray("M")
            << QByteArray("\xfc\x80\xff") << QByteArray("[System]\r\nN=\xe9t\xe9\r\nM=\xfc\x80\xff\r\n");
        QTest::newRow("same key in another section untouched")
            << QByteArray("[Other]\r\nA=0\r\n[System]\r\nA=1\r\n") << QByteArray("System") << QByteArray("a")
            << QByteArray("2") << QByteArray("[Other]\r\nA=0\r\n[System]\r\na=2\r\n");
    }

    void writes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, after);
        if (!before.isNull())
            setContent(before);
        IniFile ini(m_path);
        QVERIFY(ini.writeString(section.toStdString(), key.toStdString(), value.toStdString()));
        QCOMPARE(content(), after);
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("value"); // null: key missing
        QTest::addColumn<int>("integer");      // with fallback 77
        QTest::addColumn<bool>("trueFalse");   // with fallback on

        QTest::newRow("missing") << QByteArray() << 77 << true;
        QTest::newRow("decimal") << QByteArray("2525") << 2525 << true;
        QTest::newRow("signed") << QByteArray("-12") << -12 << true;
        QTest::newRow("plus") << QByteArray("+7") << 7 << true;
        QTest::newRow("hex lower") << QByteArray("0x1f") << 31 << true;
        QTest::newRow("hex upper") << QByteArray("0X1F") << 31 << true;
        QTest::newRow("not a number") << QByteArray("abc") << 77 << true;
        QTest::newRow("trailing junk") << QByteArray("12abc") << 77 << true;
        QTest::newRow("empty") << QByteArray("") << 77 << true;
        QTest::newRow("too large") << QByteArray("99999999999") << 77 << true;
        QTest::newRow("zero") << QByteArray("0") << 0 << false;
        QTest::newRow("False") << QByteArray("False") << 77 << false;
        QTest::newRow("True") << QByteArray("True") << 77 << true;
        QTest::newRow("hex zero") << QByteArray("0x0") << 0 << false;
        // One sign at most, then digits within range; anything else is the fallback.
        QTest::newRow("doubled minus") << QByteArray("--700") << 77 << true;
        QTest::newRow("minus plus") << QByteArray("-+7") << 77 << true;
        QTest::newRow("doubled minus at the 64-bit edge") << QByteArray("--9223372036854775808") << 77 << true;
        QTest::newRow("64-bit minimum") << QByteArray("-9223372036854775808") << 77 << true;
        QTest::newRow("32-bit minimum") << QByteArray("-2147483648") << INT_MIN << true;
        QTest::newRow("below 32 bits") << QByteArray("-2147483649") << 77 << true;
        QTest::newRow("sign alone") << QByteArray("-") << 77 << true;
        QTest::newRow("blank after sign") << QByteArray("- 5") << 77 << true;
        QTest::newRow("sign after hex prefix") << QByteArray("0x-5") << 77 << true;
        QTest::newRow("hex wraps") << QByteArray("0xFFFFFFFF") << -1 << true;
    }

    void reads()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, integer);
        QFETCH(bool, trueFalse);
        QByteArray file("[System]\r\nOther=5\r\n");
        if (!value.isNull())
            file += "K=" + value + "\r\n";
        setContent(file);
        const IniFile ini(m_path);
        QCOMPARE(ini.readInteger("System", "K", 77), integer);
        QCOMPARE(ini.readTrueFalse("SYSTEM", "k", true), trueFalse);
        QCOMPARE(ini.readFlag("System", "K", true), integer != 0);
    }

    void textValues()
    {
        setContent("[System]\r\nEmpty=\r\nLong=" + QByteArray(3000, 'x') + "\r\nHigh=\xe4\xf6\r\n");
        const IniFile ini(m_path);
        QCOMPARE(ini.readString("System", "Missing", " "), std::string(" "));
        QCOMPARE(ini.readString("System", "Empty", " "), std::string());
        QCOMPARE(ini.readString("System", "Long").size(), size_t(2047));
        QCOMPARE(ini.readString("System", "High"), std::string("\xe4\xf6"));
        QCOMPARE(IniFile(m_dir.filePath(QStringLiteral("none.dat"))).readString("System", "A", "fb"), std::string("fb"));
    }

    // One reading answers every read of a batch, the file's state when it was made; a write
    // through it goes to the file and ends the batch's reading.
    void readOnceAnswersFromOneReading()
    {
        setContent("[System]\r\nA=1\r\nT=False\r\n[Address List]\r\nAnn=a@x\r\n");
        IniFile once = IniFile::readOnce(m_path);
        setContent("[System]\r\nA=2\r\n");
        QCOMPARE(once.readInteger("system", "a", 0), 1);
        QCOMPARE(once.readTrueFalse("System", "T", true), false);
        QCOMPARE(once.readString("System", "Missing", "fb"), std::string("fb"));
        QCOMPARE(once.keyNames("Address List"), (std::vector<std::string>{"Ann"}));
        QVERIFY(once.writeString("System", "B", "3"));
        QCOMPARE(content(), QByteArray("[System]\r\nA=2\r\nB=3\r\n"));
        QCOMPARE(once.readInteger("System", "A", 0), 2);
        QVERIFY(once.keyNames("Address List").empty());
        // A file that is not there reads as empty, and stays so for the batch.
        const QString none = m_dir.filePath(QStringLiteral("none.dat"));
        const IniFile missing = IniFile::readOnce(none);
        TestFiles::write(none, "[System]\r\nA=5\r\n");
        QCOMPARE(missing.readInteger("System", "A", 9), 9);
    }

    void addressBookOperations()
    {
        setContent("[System]\r\nA=1\r\n[Address List]\r\nZoe=z@x\r\nadam=a@x\r\nMia=m@x\r\n");
        IniFile ini(m_path);
        QCOMPARE(ini.keyNames("address list"), (std::vector<std::string>{"Zoe", "adam", "Mia"}));
        QVERIFY(ini.removeKey("Address List", "ADAM"));
        QCOMPARE(ini.keyNames("Address List"), (std::vector<std::string>{"Zoe", "Mia"}));
        QVERIFY(ini.removeKey("Address List", "nobody"));
        QCOMPARE(content(), QByteArray("[System]\r\nA=1\r\n[Address List]\r\nZoe=z@x\r\nMia=m@x\r\n"));
        QVERIFY(ini.keyNames("Missing").empty());
        // A new spelling keeps the line; without the old key, the new key's line or the end.
        QVERIFY(ini.renameKey("Address List", "zoe", "ZOE", "zz@x"));
        QVERIFY(ini.renameKey("Address List", "gone", "mia", "mm@x"));
        QVERIFY(ini.renameKey("Address List", "gone", "Ann", "n@x"));
        QCOMPARE(content(), QByteArray("[System]\r\nA=1\r\n[Address List]\r\nZOE=zz@x\r\nmia=mm@x\r\nAnn=n@x\r\n"));
    }

    void newFileIsPrivate()
    {
        IniFile ini(m_path);
        QVERIFY(ini.writeString("System", "ACC_SMTPPass", "secret"));
        QCOMPARE(TestFiles::unixMode(m_path), 0600);
        // An existing file keeps whatever mode it has.
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ReadGroup);
        QVERIFY(ini.writeString("System", "ACC_SMTPPass", "other"));
        QCOMPARE(TestFiles::unixMode(m_path), 0640);
    }

    void unwritableFileFails()
    {
        IniFile ini(m_dir.filePath(QStringLiteral("no/such/folder/Config.dat")));
        QVERIFY(!ini.writeString("System", "A", "1"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
