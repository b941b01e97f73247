#include "AddressBook.h"
#include "Clock.h"
#include "ComposerTitle.h"
#include "ConfigSettings.h"
#include "DataFiles.h"
#include "MailStorer.h"
#include "SendCheck.h"
#include "TMailMessage.h"

#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

class StillClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2002, 12, 2), QTime(10, 20, 30)); }
};

using Step = SendCheck::Verdict::Step;
using Field = SendCheck::Field;
using Mode = SendCheck::Mode;

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Field)
Q_DECLARE_METATYPE(Mode)

class TestSendCheck : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString config;
    ConfigSettings settings;
    StillClock clock;

    SendCheck::Verdict check(Mode mode, const QString &to, const QString &cc = {}, const QString &bcc = {},
                             const QString &subject = QStringLiteral("Plans"), const QString &letter = QStringLiteral("Hi"),
                             bool running = false, const TMailMessage &msg = TMailMessage())
    {
        QTextDocument doc;
        QTextCursor(&doc).insertText(letter);
        const MailStorer storer(settings, clock, dir.filePath(QStringLiteral("MailBox.dat")), config, dir.path());
        const ComposedMail mail{&doc, to, cc, bcc, subject, QStringLiteral("New"), 'u'};
        return SendCheck(storer, settings).check(mode, running, mail, msg);
    }

private slots:
    void initTestCase()
    {
        config = dir.filePath(QStringLiteral("Config.dat"));
        DataFiles::ensureConfigFile(config);
        AddressBook(config).StoreAddress("Bob Smith", "bob@example.com");
        AddressBook(config).StoreAddress("Broken Entry", "broken at example.com");
    }
    void init()
    {
        settings = ConfigSettings::firstRun();
        settings.ACC_SMTPHost = "smtp.example.com";
        settings.ACC_SMTPUser = "ann";
        settings.ACC_SMTPPass = "secret";
    }

    void checksInOrder_data()
    {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<bool>("account");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("bcc");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<Step>("step");
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("text");
        const QString hi = QStringLiteral("Hi"), bob = QStringLiteral("Bob Smith"), s = QStringLiteral("Plans");
        QTest::newRow("a send is running") << Mode::Smtp << true << QString() << true << bob << QString() << s
                                           << Step::Ignore << Field::None << QString();
        QTest::newRow("Ms OE: the empty letter first")
            << Mode::Desktop << true << QStringLiteral(" \n") << true << bob << QString() << s << Step::Refuse
            << Field::Letter << QStringLiteral("Do not try to send a empty mail!");
        QTest::newRow("empty letter") << Mode::Smtp << false << QStringLiteral("\t") << true << bob << QString() << s
                                      << Step::Refuse << Field::Letter << QStringLiteral("Do not send a empty mail!");
        QTest::newRow("account before recipients")
            << Mode::Smtp << false << hi << false << QString() << QString() << s << Step::Refuse << Field::None
            << QString::fromLatin1(ConfigSettings::AccountBlankMessage);
        QTest::newRow("Ms OE needs no account") << Mode::Desktop << false << hi << false << bob << QString() << s
                                                << Step::Send << Field::None << QString();
        QTest::newRow("no recipient at all") << Mode::Smtp << false << hi << true << QStringLiteral(" \n\n") << QString()
                                             << s << Step::Refuse << Field::To
                                             << QStringLiteral("Please enter at least one recipient.");
        QTest::newRow("blind copies only") << Mode::Smtp << false << hi << true << QString()
                                           << QStringLiteral("dan@example.net") << s << Step::Send << Field::None
                                           << QString();
        QTest::newRow("a name that is not in the book")
            << Mode::Desktop << false << hi << true << QStringLiteral("bob@example.com\nAnna") << QString() << s
            << Step::Refuse << Field::To << QStringLiteral("This recipient is not a mail address:\r\n\r\nAnna\r\n\r\n"
                                                           "Please correct it before sending.");
        QTest::newRow("a book entry with a wrong address")
            << Mode::Smtp << false << hi << true << bob << QStringLiteral("Broken Entry\ntwo, @x") << s << Step::Refuse
            << Field::Bcc
            << QStringLiteral("These recipients are not mail addresses:\r\n\r\nBroken Entry (broken at example.com)\r\n"
                              "two, @x\r\n\r\nPlease correct them before sending.");
        QTest::newRow("no subject is a question") << Mode::Smtp << false << hi << true << bob << QString()
                                                  << QStringLiteral("  ") << Step::AskSubject << Field::Subject
                                                  << QStringLiteral("Send this mail without a subject?");
        QTest::newRow("wrong addresses before the subject")
            << Mode::Smtp << false << hi << true << QStringLiteral("x") << QString() << QString() << Step::Refuse
            << Field::To << QStringLiteral("This recipient is not a mail address:\r\n\r\nx\r\n\r\n"
                                           "Please correct it before sending.");
    }
    void checksInOrder()
    {
        QFETCH(Mode, mode);
        QFETCH(QString, letter);
        QFETCH(QString, to);
        QFETCH(QString, bcc);
        QFETCH(QString, subject);
        QFETCH(bool, account);
        QFETCH(bool, running);
        QFETCH(Step, step);
        QFETCH(Field, field);
        QFETCH(QString, text);
        if (!account)
            settings.ACC_SMTPPass = " ";
        const SendCheck::Verdict v = check(mode, to, {}, bcc, subject, letter.isNull() ? QStringLiteral("Hi") : letter,
                                           running);
        QCOMPARE(v.step, step);
        QCOMPARE(v.field, field);
        QCOMPARE(v.text, text);
    }

    // A reopened mail keeps the address its line had; a long list of wrong lines is cut.
    void storedPairsAndLongLists()
    {
        TMailMessage msg;
        msg.CcRecipients.Add("Team", "team@example.org");
        const QString bob = QStringLiteral("bob@example.com"), team = QStringLiteral("Team");
        QCOMPARE(check(Mode::Smtp, bob, team, {}, team, team, false, msg).step, Step::Send);
        QCOMPARE(check(Mode::Smtp, bob, team).step, Step::Refuse);

        QStringList many;
        for (int i = 0; i < 13; ++i)
            many << QStringLiteral("nobody%1").arg(i);
        const SendCheck::Verdict v = check(Mode::Smtp, many.join(QLatin1Char('\n')));
        QVERIFY(v.text.contains(QStringLiteral("nobody9\r\n... and 3 more")));
        QVERIFY(!v.text.contains(QStringLiteral("nobody10")));
        QCOMPARE(v.kind, UserDialogs::Kind::Warning);
    }

    void titleShowsTheSubject_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("title");
        QTest::newRow("none") << QStringLiteral("  ") << QStringLiteral("Compose Vellorn");
        QTest::newRow("trimmed") << QStringLiteral(" Spring concert ") << QStringLiteral("Compose Vellorn - Spring concert");
        QTest::newRow("one line") << QStringLiteral("a\tb\r\nc\x01") << QStringLiteral("Compose Vellorn - a b c");
        QTest::newRow("any script") << QStringLiteral("中文 Ωmega 😀") << QStringLiteral("Compose Vellorn - 中文 Ωmega 😀");
        QTest::newRow("no modified mark") << QStringLiteral("[*] news") << QStringLiteral("Compose Vellorn - [*][*] news");
    }
    void titleShowsTheSubject()
    {
        QFETCH(QString, subject);
        QFETCH(QString, title);
        QCOMPARE(ComposerTitle::of(subject), title);
    }
};

QTEST_GUILESS_MAIN(TestSendCheck)
#include "tst_sendcheck.moc"
