#include "mail/TMailMessage.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "tests/mailbox/StoreBytes.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

// LoadMail: a stored mail parsed into a message, whatever its line ends.
class TestLoadMail : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

    static QByteArray multipartMail(const QByteArray &eol, bool finalBreak)
    {
        const QList<QByteArray> lines{
            "From: \"Me\" <me@example.org>",
            "To: \"You\" <you@example.org>",
            "Subject: =?iso-8859-1?Q?Gr=FC=DFe?=",
            "Date: Mon, 02 Dec 2002 10:20:30 +0800",
            "MIME-Version: 1.0",
            "Content-Type: multipart/mixed; boundary=\"b1\"",
            "",
            "--b1",
            "Content-Type: text/plain; charset=\"iso-8859-1\"",
            "Content-Transfer-Encoding: 7bit",
            "",
            "first line",
            "second line",
            "--b1",
            "Content-Type: application/octet-stream; name=\"a.bin\"",
            "Content-Transfer-Encoding: base64",
            "Content-Disposition: attachment; filename=\"a.bin\"",
            "",
            "AAEC",
            "--b1--",
        };
        QByteArray text = lines.join(eol);
        if (finalBreak)
            text += eol;
        return text;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("MailBox.dat"));
        TestFiles::write(m_path, StoreBytes::fileHeader());
    }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("eol");
        QTest::addColumn<bool>("finalBreak");
        QTest::newRow("CR LF") << QByteArray("\r\n") << true;
        QTest::newRow("LF, no final break") << QByteArray("\n") << false;
        QTest::newRow("CR") << QByteArray("\r") << true;
    }
    void lineEnds()
    {
        QFETCH(QByteArray, eol);
        QFETCH(bool, finalBreak);
        const MailStore store(m_path);
        const QByteArray text = multipartMail(eol, finalBreak);
        store.AppendMail("To: \"Other\" <o@x>\r\nSubject: other\r\n\r\nother body\r\n", 'u', 'N');
        const qint64 pos = store.AppendMail(std::string(text.constData(), size_t(text.size())), 'u', 'Y');

        TMailMessage message;
        store.LoadMail(100, message);   // what the message held before is replaced
        store.LoadMail(pos, message);
        QCOMPARE(message.DecodedSubject(), std::string("Gr\xfc\xdf" "e"));
        QCOMPARE(message.PlainLines, (std::vector<std::string>{"first line", "second line"}));
        QCOMPARE(message.Attachments.Count(), 1);
        QCOMPARE(message.Attachments[0]->AttachmentFileName(), std::string("a.bin"));
        // The store itself keeps the text as it was written.
        QCOMPARE(QByteArray::fromStdString(store.ReadMailText(pos)), text);
    }

    void noRecordThere()
    {
        const MailStore store(m_path);
        TMailMessage message;
        QVERIFY_THROWS_EXCEPTION(AppError, store.LoadMail(100, message));
    }
};

QTEST_GUILESS_MAIN(TestLoadMail)
#include "tst_loadmail.moc"
