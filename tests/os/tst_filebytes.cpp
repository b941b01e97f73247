#include "os/FileBytes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <string>

// Reading a whole file into a byte string: every size around the chunk of 64 KiB, from
// where the file stands, from a device without a size, and a file that cannot be read.
class tst_FileBytes : public QObject
{
    Q_OBJECT

    static std::string pattern(qint64 size)
    {
        std::string bytes(static_cast<std::size_t>(size), '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
        return bytes;
    }

    QString write(const std::string &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("f%1").arg(++m_count));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    QTemporaryDir m_dir;
    int m_count = 0;

private slots:
    void sizes_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("start");
        for (const qint64 size : {0, 1, 65535, 65536, 65537, 3 * 65536 + 17})
            QTest::addRow("%lld bytes", static_cast<long long>(size)) << size << qint64(0);
        QTest::newRow("from the middle") << qint64(70000) << qint64(1000);
        QTest::newRow("from the end") << qint64(500) << qint64(500);
    }
    void sizes()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, start);
        const std::string bytes = pattern(size);
        QFile file(write(bytes));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.seek(start));
        std::string out = "left over from before";
        QVERIFY(FileBytes::readAll(file, out));
        QCOMPARE(out.size(), bytes.size() - static_cast<std::size_t>(start));
        QVERIFY(out == bytes.substr(static_cast<std::size_t>(start)));
        QVERIFY(file.atEnd());
    }

    // A file that reports no size (as those of /proc do) is read on until its end.
    void deviceWithoutSize()
    {
        QFile file(QStringLiteral("/proc/self/status"));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("no /proc on this machine");
        QCOMPARE(file.size(), qint64(0));
        std::string out;
        QVERIFY(FileBytes::readAll(file, out));
        QVERIFY(out.rfind("Name:", 0) == 0);
        QVERIFY(out.find("\nPid:") != std::string::npos);
    }

    // A file open for writing only, or not open at all, is a read error, not an empty file.
    void readErrors()
    {
        QFile writeOnly(write("some bytes"));
        QVERIFY(writeOnly.open(QIODevice::WriteOnly | QIODevice::Append));
        std::string out = "x";
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::read (QFile, \"" + writeOnly.fileName().toUtf8()
                                               + "\"): WriteOnly device");
        QVERIFY(!FileBytes::readAll(writeOnly, out));

        QFile closed(write("more bytes"));
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::read (QFile, \"" + closed.fileName().toUtf8()
                                               + "\"): device not open");
        QVERIFY(!FileBytes::readAll(closed, out));
    }
};

QTEST_GUILESS_MAIN(tst_FileBytes)
#include "tst_filebytes.moc"
