// tesseract as a reader: it reads the words of the sharp pages (2x, PNG or JPEG as sent)
// at least as well as those of the pages of before (1x JPEG). Skipped when tesseract is
// not installed (scripts/setup installs tesseract-ocr and its English data).
#include "config/ConfigSettings.h"
#include "picture/PagePicture.h"
#include "picture/PageRenderer.h"
#include "richtext/LetterDocument.h"
#include "tests/picture/PictureFixtures.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <string>
#include <vector>

using namespace PictureFixtures;

class TestLegibility : public QObject
{
    Q_OBJECT

private:
    QString m_program;

    // The words tesseract reads on a letter's pages rendered with these settings.
    QStringList read(const ConfigSettings &settings, const QTextDocument &doc)
    {
        QTemporaryDir dir;
        std::vector<QString> files;
        PageRenderer renderer(settings);
        renderer.pageReady = [&](int page, std::string_view picture) {
            files.push_back(dir.filePath(PagePicture::fileNameText(page, picture)));
            QFile file(files.back());
            if (file.open(QIODevice::WriteOnly))
                file.write(picture.data(), qint64(picture.size()));
        };
        renderer.render(doc);
        QStringList words;
        for (const QString &file : files) {
            QProcess ocr;
            ocr.start(m_program, {file, QStringLiteral("stdout"), QStringLiteral("-l"), QStringLiteral("eng")});
            if (!ocr.waitForFinished(120000))
                return {};
            words += PictureFixtures::words(QString::fromUtf8(ocr.readAllStandardOutput()));
        }
        return words;
    }

    // The share of the letter's words found, each as often as it stands.
    static double recall(const QStringList &letter, QStringList found)
    {
        int hits = 0;
        for (const QString &word : letter) {
            const qsizetype at = found.indexOf(word);
            if (at >= 0) {
                ++hits;
                found.removeAt(at);
            }
        }
        return letter.isEmpty() ? 1.0 : double(hits) / double(letter.size());
    }

private slots:
    void initTestCase()
    {
        m_program = QStandardPaths::findExecutable(QStringLiteral("tesseract"));
        if (m_program.isEmpty())
            QSKIP("tesseract is not installed (scripts/setup installs tesseract-ocr and tesseract-ocr-eng)");
    }

    void sharpPagesReadAtLeastAsWell_data()
    {
        QTest::addColumn<QByteArray>("letter");
        QTest::newRow("10 pt, in two colours") << QByteArray::fromStdString(rtfLetter(12));
        QTest::newRow("a list and a table") << QByteArray::fromStdString(listAndTableLetter());
    }

    void sharpPagesReadAtLeastAsWell()
    {
        QFETCH(QByteArray, letter);
        QTextDocument doc;
        LetterDocument::load(letter.toStdString(), &doc);
        const QStringList words = PictureFixtures::words(doc.toPlainText());
        QVERIFY(words.size() >= 10);
        ConfigSettings before = ConfigSettings::firstRun();
        before.PIC_Sharp = false;
        before.PIC_JpegOnly = true;
        const double old = recall(words, read(before, doc));
        const double sharp = recall(words, read(ConfigSettings::firstRun(), doc));
        qInfo("word recall: 1x JPEG %.3f, sharp %.3f (%lld words)", old, sharp, static_cast<long long>(words.size()));
        QVERIFY2(sharp >= old, qPrintable(QStringLiteral("%1 against %2").arg(sharp).arg(old)));
    }
};

QTEST_MAIN(TestLegibility)
#include "tst_legibility.moc"
