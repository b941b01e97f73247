#include "os/MimeTypes.h"

#include <QTest>

// Content types by file name and back: only the last extension of the name itself
// decides, and whatever is not known is a plain octet stream.
class tst_MimeTypes : public QObject
{
    Q_OBJECT

private slots:
    void byName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        const QString octets = QStringLiteral("application/octet-stream");
        QTest::newRow("text") << "notes.txt" << "text/plain";
        QTest::newRow("upper-case extension") << "PHOTO.JPG" << "image/jpeg";
        QTest::newRow("path with folders") << "/home/a.b/c/report.pdf" << "application/pdf";
        QTest::newRow("Windows path") << "C:\\Mail\\letter.htm" << "text/html";
        QTest::newRow("last extension decides") << "backup.tar.gz" << "application/gzip";
        QTest::newRow("no extension") << "README" << octets;
        QTest::newRow("dot in a folder only") << "/tmp/mail.d/README" << octets;
        QTest::newRow("dot in a Windows folder only") << "C:\\a.b\\README" << octets;
        QTest::newRow("ends with a dot") << "letter." << octets;
        QTest::newRow("unknown extension") << "data.qqqzz" << octets;
        QTest::newRow("empty") << "" << octets;
        QTest::newRow("only a dot") << "." << octets;
        QTest::newRow("whole name is the extension") << ".pdf" << "application/pdf";
    }
    void byName()
    {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QCOMPARE(QString::fromStdString(MimeTypes::contentTypeOfFile(name.toStdString())), type);
    }

    void extension_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("extension");
        QTest::newRow("text") << "text/plain" << ".txt";
        QTest::newRow("picture") << "image/png" << ".png";
        QTest::newRow("blanks around") << "  application/pdf \t" << ".pdf";
        // The MIME database names types in lower case only; mail readers lower-case first.
        QTest::newRow("upper case is not found") << "IMAGE/PNG" << "";
        QTest::newRow("unknown") << "application/x-vellorn-nothing" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("parameters are not a type") << "text/plain; charset=us-ascii" << "";
    }
    void extension()
    {
        QFETCH(QString, type);
        QFETCH(QString, extension);
        QCOMPARE(QString::fromStdString(MimeTypes::extensionOfContentType(type.toStdString())), extension);
    }

    // A known type's extension leads back to the type.
    void roundTrip()
    {
        for (const char *type : {"text/plain", "text/html", "image/jpeg", "image/png", "application/pdf"}) {
            const std::string extension = MimeTypes::extensionOfContentType(type);
            QVERIFY2(!extension.empty(), type);
            QCOMPARE(MimeTypes::contentTypeOfFile("file" + extension), std::string(type));
        }
    }
};

QTEST_GUILESS_MAIN(tst_MimeTypes)
#include "tst_mimetypes.moc"
