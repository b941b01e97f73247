#include "os/AppError.h"
#include "os/EmlHandOver.h"
#include "tests/support/TestFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>


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

    // The folder's mode and the files' place are checked through the send window.
    QCOMPARE(QFileInfo(first).absolutePath(), handOver.folder());
    QCOMPARE(TestFiles::unixMode(first) & 0077, 0);

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
