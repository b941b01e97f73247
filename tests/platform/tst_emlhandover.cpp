#include "AppError.h"
#include "EmlHandOver.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// The hand-over files of the desktop's mail program: new files in a private folder.
class TestEmlHandOver : public QObject
{
    Q_OBJECT

private slots:
    void writesNewFilesInAPrivateFolder();
    void refusesWhereNothingCanBeMade();
};

void TestEmlHandOver::writesNewFilesInAPrivateFolder()
{
    QTemporaryDir tmp;
    // Whatever stands in the temporary folder under a guessable name stays as it is.
    const QString victim = tmp.filePath(QStringLiteral("victim"));
    TestFiles::write(victim, "keep");
    QVERIFY(QFile::link(victim, tmp.filePath(QStringLiteral("0.eml"))));

    EmlHandOver handOver(tmp.path() + QStringLiteral("/"));
    QVERIFY(handOver.folder().isEmpty());
    const QString first = handOver.write("first\r\n");
    const QString second = handOver.write(std::string("second\0with a NUL\r\n", 19));
    QVERIFY(first != second);
    QCOMPARE(TestFiles::read(first), QByteArray("first\r\n"));
    QCOMPARE(TestFiles::read(second), QByteArray("second\0with a NUL\r\n", 19));
    QCOMPARE(TestFiles::read(victim), QByteArray("keep"));

    const QFileInfo file(first);
    QCOMPARE(file.absolutePath(), handOver.folder());
    QCOMPARE(QFileInfo(handOver.folder()).absolutePath(), QFileInfo(tmp.path()).absoluteFilePath());
    QVERIFY(!file.isSymLink());
    QVERIFY(file.fileName().endsWith(QStringLiteral(".eml")));
    struct stat st {};
    QCOMPARE(::lstat(QFile::encodeName(handOver.folder()).constData(), &st), 0);
    QVERIFY(S_ISDIR(st.st_mode));
    QCOMPARE(st.st_mode & 0777, 0700u);
    QCOMPARE(::lstat(QFile::encodeName(first).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0077, 0u);

    // A second job gets a folder of its own.
    EmlHandOver other(tmp.path());
    other.write("x");
    QVERIFY(other.folder() != handOver.folder());
}

void TestEmlHandOver::refusesWhereNothingCanBeMade()
{
    QTemporaryDir tmp;
    EmlHandOver missing(tmp.filePath(QStringLiteral("no/such/folder")));
    QVERIFY_THROWS_EXCEPTION(AppError, missing.write("x"));
    QVERIFY(missing.folder().isEmpty());
}

QTEST_GUILESS_MAIN(TestEmlHandOver)
#include "tst_emlhandover.moc"
