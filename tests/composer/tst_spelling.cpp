#include "composer/HunspellChecker.h"
#include "composer/PersonalWords.h"
#include "composer/SpellCheck.h"
#include "composer/SpellDictionaries.h"
#include "composer/WordScanner.h"
#include "config/ConfigFile.h"
#include "config/ConfigSettings.h"
#include "config/DataFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// Spell checking without a window: which words are looked at, Hunspell with the
// installed US English dictionary, the personal word list and the dictionary folder.
class TestSpelling : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static QString systemFolder() { return QString::fromLatin1(SpellDictionaries::kSystemFolder); }

    static QStringList wordsOf(const QString &text, QChar::Script script = QChar::Script_Latin)
    {
        QStringList out;
        for (const WordScanner::Word &w : WordScanner::words(text, script))
            out.append(text.mid(w.start, w.length));
        return out;
    }

private slots:
    void scansWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << "I recieve mail." << QStringList{"I", "recieve", "mail"};
        QTest::newRow("apostrophes") << "don't 'quoted' it\u2019s" << QStringList{"don't", "quoted", "it\u2019s"};
        QTest::newRow("hyphen splits") << "well-known" << QStringList{"well", "known"};
        QTest::newRow("numbers and words with digits") << "12 A4 3rd x86 page 7" << QStringList{"page"};
        QTest::newRow("e-mail address") << "write to jo.smith@exmaple.org now" << QStringList{"write", "to", "now"};
        QTest::newRow("web addresses")
            << "see https://exmaple.org/pagge and www.exmaple.org or mailto:someone"
            << QStringList{"see", "and", "or"};
        QTest::newRow("other scripts") << "hello \u043f\u0440\u0438\u0432\u0435\u0442 \u4e2d\u6587 caf\u00e9"
                                       << QStringList{"hello", "caf\u00e9"};
        QTest::newRow("picture between words") << "a\ufffcb" << QStringList{"a", "b"};
        QTest::newRow("too long to be a word") << QString(200, QLatin1Char('a')) + QStringLiteral(" ok")
                                               << QStringList{"ok"};
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("word") << QStringList{"word"};
    }
    void scansWords()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QCOMPARE(wordsOf(text), words);
    }

    void cyrillicDictionaryLooksAtCyrillic()
    {
        QCOMPARE(SpellDictionaries::scriptOf(QStringLiteral("ru_RU")), QChar::Script_Cyrillic);
        QCOMPARE(wordsOf(QStringLiteral("hello \u043f\u0440\u0438\u0432\u0435\u0442"), QChar::Script_Cyrillic),
                 QStringList{QStringLiteral("\u043f\u0440\u0438\u0432\u0435\u0442")});
    }

    void hunspellMarksAndSuggests()
    {
        // scripts/setup installs hunspell-en-us.
        std::unique_ptr<HunspellChecker> en = HunspellChecker::open(systemFolder(), QStringLiteral("en_US"));
        QVERIFY(en);
        QVERIFY(!en->isCorrect(QStringLiteral("recieve")));
        QVERIFY(en->isCorrect(QStringLiteral("receive")));
        QVERIFY(en->isCorrect(QStringLiteral("don\u2019t")));
        QVERIFY(en->suggestions(QStringLiteral("recieve")).contains(QStringLiteral("receive")));

        SpellCheck check(m_dir.filePath(QStringLiteral("words.txt")));
        check.setChecker(std::move(en));
        const QString text = QStringLiteral("We recieve teh mail at jo@exmaple.org, 3rd houze.");
        QStringList marked;
        for (const WordScanner::Word &w : check.misspelt(text))
            marked.append(text.mid(w.start, w.length));
        QCOMPARE(marked, (QStringList{"recieve", "teh", "houze"}));
        QVERIFY(check.suggestions(QStringLiteral("teh")).size() <= SpellCheck::kMaxSuggestions);
        QCOMPARE(check.misspeltAt(text, 5).length, 7);
        QCOMPARE(check.misspeltAt(text, 0).length, 0);

        check.ignore(QStringLiteral("teh"));
        QVERIFY(!check.isMisspelt(QStringLiteral("teh")));
    }

    void addedWordSurvivesRestart()
    {
        const QString path = m_dir.filePath(QStringLiteral("PersonalWords.txt"));
        {
            SpellCheck check(path);
            check.setChecker(HunspellChecker::open(systemFolder(), QStringLiteral("en_US")));
            QVERIFY(check.isMisspelt(QStringLiteral("Vellorn")));
            QVERIFY(check.addToDictionary(QStringLiteral("Vellorn")));
            QVERIFY(!check.isMisspelt(QStringLiteral("Vellorn")));
        }
        SpellCheck later(path);
        later.setChecker(HunspellChecker::open(systemFolder(), QStringLiteral("en_US")));
        QVERIFY(!later.isMisspelt(QStringLiteral("Vellorn")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Vellorn\n"));
    }

    void personalListsOfTwoWindowsKeepEachOthersWords()
    {
        const QString path = m_dir.filePath(QStringLiteral("two.txt"));
        PersonalWords a(path);
        PersonalWords b(path);
        QVERIFY(a.add(QStringLiteral("Zurich\u00e9")));
        QVERIFY(b.add(QStringLiteral("Orlavinte")));
        QVERIFY(!b.add(QStringLiteral("two words")));
        QVERIFY(!b.add(QString()));
        const PersonalWords c(path);
        QCOMPARE(c.words(), (QSet<QString>{QStringLiteral("Zurich\u00e9"), QStringLiteral("Orlavinte")}));
    }

    void dictionaryFolder()
    {
        // An empty folder: nothing to check with, and nothing fails.
        QTemporaryDir empty;
        QVERIFY(SpellDictionaries::available(empty.path()).isEmpty());
        QVERIFY(SpellDictionaries::chosen({}, QStringLiteral("en_US"), QStringLiteral("en_US")).isEmpty());
        QVERIFY(!HunspellChecker::open(empty.path(), QStringLiteral("en_US")));
        QVERIFY(!HunspellChecker::open(systemFolder(), QStringLiteral("../hunspell/en_US")));
        SpellCheck none(empty.filePath(QStringLiteral("w.txt")));
        QVERIFY(none.misspelt(QStringLiteral("recieve")).empty());

        // An .aff without its .dic, and a dictionary in an encoding we cannot convert, are not offered.
        QTemporaryDir some;
        QVERIFY(QFile::copy(systemFolder() + QStringLiteral("en_US.aff"), some.filePath(QStringLiteral("en_US.aff"))));
        QVERIFY(QFile::copy(systemFolder() + QStringLiteral("en_US.dic"), some.filePath(QStringLiteral("en_US.dic"))));
        for (const char *name : {"xx_XX.aff", "yy_YY.aff", "yy_YY.dic"}) {
            QFile f(some.filePath(QLatin1String(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(name).endsWith(".aff") ? "SET KOI8-U\n" : "1\nword\n");
        }
        QCOMPARE(SpellDictionaries::available(some.path()), QStringList{QStringLiteral("en_US")});
    }

    void chosenLanguage_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("configured") << "de_DE" << "fr_FR" << "de_DE";
        QTest::newRow("configured missing: the locale's") << "it_IT" << "fr_FR" << "fr_FR";
        QTest::newRow("neither: US English") << "" << "C" << "en_US";
    }
    void chosenLanguage()
    {
        QFETCH(QString, configured);
        QFETCH(QString, locale);
        QFETCH(QString, chosen);
        const QStringList installed{QStringLiteral("de_DE"), QStringLiteral("en_US"), QStringLiteral("fr_FR")};
        QCOMPARE(SpellDictionaries::chosen(installed, configured, locale), chosen);
    }

    void settingsKeys()
    {
        const QString config = m_dir.filePath(QStringLiteral("Config.dat"));
        DataFiles::ensureConfigFile(config);
        ConfigSettings s;
        LoadConfig(s, config);
        // Absent from a first-run file: on, with the system's language.
        QVERIFY(s.SPL_Check);
        QCOMPARE(s.SPL_Language, std::string());
        s.SPL_Check = false;
        s.SPL_Language = "en_US";
        QVERIFY(SaveSpelling(s, config));
        ConfigSettings again;
        LoadConfig(again, config);
        QVERIFY(!again.SPL_Check);
        QCOMPARE(again.SPL_Language, std::string("en_US"));
    }
};

QTEST_GUILESS_MAIN(TestSpelling)
#include "tst_spelling.moc"
