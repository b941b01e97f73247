#include "config/KeyringTokenStore.h"
#include "os/MemoryKeyring.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

// Where a refresh token is kept: the keyring when it answers, else a file of mode 0600,
// and the page's words for each.
class TestKeyringTokenStore : public QObject
{
    Q_OBJECT

    static bool ownerOnly(const QString &path)
    {
        namespace fs = std::filesystem;
        return fs::status(path.toStdString()).permissions() == (fs::perms::owner_read | fs::perms::owner_write);
    }

private slots:
    void keyringOrFile_data()
    {
        QTest::addColumn<bool>("hasKeyring");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("inKeyring");
        QTest::addColumn<QString>("where");
        QTest::newRow("keyring answers") << true << int(PasswordKeyring::Status::Ok) << true << QStringLiteral("keyring.");
        QTest::newRow("keyring locked") << true << int(PasswordKeyring::Status::Refused) << false
                                        << QStringLiteral("could not keep it");
        QTest::newRow("no keyring") << false << int(PasswordKeyring::Status::Ok) << false
                                    << QStringLiteral("readable by you only.");
    }
    void keyringOrFile()
    {
        QFETCH(bool, hasKeyring);
        QFETCH(int, status);
        QFETCH(bool, inKeyring);
        QFETCH(QString, where);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("OAuthToken-x.dat"));
        MemoryKeyring keyring;
        keyring.status = static_cast<PasswordKeyring::Status>(status);
        KeyringTokenStore store(hasKeyring ? &keyring : nullptr, QStringLiteral("oauth:ann@smtp.x"), file);
        QVERIFY(!store.read());
        QVERIFY(!store.problem().isEmpty()); // not signed in, or the keyring would not tell

        QVERIFY2(store.write("rt-1"), qPrintable(store.problem()));
        QCOMPARE(keyring.entries.contains(QStringLiteral("oauth:ann@smtp.x")), inKeyring);
        QCOMPARE(QFile::exists(file), !inKeyring);
        if (!inKeyring)
            QVERIFY(ownerOnly(file));
        QVERIFY2(store.where().contains(where), qPrintable(store.where()));
        QCOMPARE(store.read().value_or(""), std::string("rt-1"));

        // A rotated token replaces the old one wherever it is.
        QVERIFY(store.write("rt-2"));
        QCOMPARE(store.read().value_or(""), std::string("rt-2"));

        QVERIFY2(store.remove() || !inKeyring, qPrintable(store.problem()));
        QVERIFY(!QFile::exists(file));
        QVERIFY(!keyring.entries.contains(QStringLiteral("oauth:ann@smtp.x")));
    }

    // A token that moved into the keyring leaves no copy in the file.
    void keyringTakesOverTheFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.dat"));
        MemoryKeyring keyring;
        keyring.status = PasswordKeyring::Status::NoService;
        KeyringTokenStore store(&keyring, QStringLiteral("k"), file);
        QVERIFY(store.write("rt-file"));
        QVERIFY(QFile::exists(file));
        keyring.status = PasswordKeyring::Status::Ok;
        QVERIFY(store.write("rt-keyring"));
        QVERIFY(!QFile::exists(file));
        QCOMPARE(store.read().value_or(""), std::string("rt-keyring"));
    }
};

QTEST_GUILESS_MAIN(TestKeyringTokenStore)
#include "tst_keyringtokenstore.moc"
