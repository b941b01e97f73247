#include "config/ConfigFile.h"
#include "config/ConfigForm.h"
#include "config/IniFile.h"
#include "mail/TMailPart.h"
#include "mailbox/MailListModel.h"
#include "mailbox/MailListSort.h"
#include "mailbox/MailStore.h"
#include "mailbox/windows/TFM_MailBox.h"
#include "send/windows/TFM_Send.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/CommandTableCheck.h"
#include "tests/support/windows/RecordingComposers.h"
#include "tests/support/windows/WindowControls.h"
#include "tests/support/windows/WindowFixture.h"
#include "ui/ToolBand.h"
#include "ui/ToolCaptionLabel.h"
#include "ui/ToolImage.h"
#include "ui/WindowCommandTable.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QTextEdit>
#include <QTreeView>
#include <QtTest>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

namespace {

std::string dated(const std::string &to, const std::string &subject, const std::string &date,
                  const std::string &letter = "Hello")
{
    std::string text = WindowFixture::sampleMail("\"" + to + "\" <x@example.org>", subject, letter);
    const size_t at = text.find("Mon, 02 Dec 2002 10:20:30 +0000");
    return text.replace(at, 31, date);
}

// A stored mail with two To recipients, one Bcc recipient and two attachments.
std::string mailWithParts()
{
    TMailMessage m;
    m.SetFrom("Ann Sender", "ann@example.com");
    m.ToRecipients.Add("Bob", "bob@example.com");
    m.ToRecipients.Add("Carol Jones", "carol@example.org");
    m.BccRecipients.Add("Dave", "dave@example.net");
    m.SetSubject("Two files");
    m.SetDate(QDateTime(QDate(2002, 12, 5), QTime(9, 0)));
    m.SetPlainText("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 See the \\b files\\b0 .\\par}\r\n");
    m.AttachStream("first file\r\n", "notes.txt");
    m.AttachStream(std::string("\x00\x01\x02\xff", 4), "data.bin");
    m.Rebuild();
    return m.SourceText();
}

// A composer that refuses to close, as when its user cancels the save question.
class RefusingComposer : public QWidget
{
public:
    explicit RefusingComposer(MailBoxHost &host)
        : m_host(host)
    {
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        m_host.setComposerMayClose(false);
        event->ignore();
    }

private:
    MailBoxHost &m_host;
};

// The opener whose send request runs the real send dialog.
class SendingOpener : public RecordingOpener
{
public:
    std::unique_ptr<TFM_Send> dialog;
    bool sendMails(const std::vector<std::int64_t> &positions, SendMode mode) override
    {
        RecordingOpener::sendMails(positions, mode);
        dialog->show();
        return dialog->SendMails(positions, mode);
    }
};

} // namespace

// What a person does with the main window, offscreen, on a store built in the test.
class TestMailBoxWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> f;
    std::unique_ptr<RecordingComposers> composers;
    std::unique_ptr<ConfigForm> form;

    std::unique_ptr<TFM_MailBox> open()
    {
        // The layout as start-up loads it, from the file as the test left it.
        const MainWindowLayout layout = LoadWindowLayout(f->settings, f->paths.config);
        auto w = std::make_unique<TFM_MailBox>(f->services, *composers, *form, layout);
        w->show();
        return w;
    }
    static QStringList column(TFM_MailBox &w, int c)
    {
        QStringList texts;
        for (int r = 0; r < w.mailListModel()->rowCount(); ++r)
            texts << w.mailListModel()->index(r, c).data().toString();
        return texts;
    }
    static QStringList headers(TFM_MailBox &w) { return w.mailListModel()->headers(); }
    char boxOf(std::int64_t position) const
    {
        for (const MailSummary &s : MailStore(f->paths.mailBox).ScanStore())
            if (s.position == position)
                return s.boxCode;
        return 0;
    }
    void setConfigKey(const char *key, const QByteArray &value)
    {
        QByteArray text = TestFiles::read(f->paths.config);
        const int at = text.indexOf(QByteArray(key) + '=');
        const int end = text.indexOf("\r\n", at);
        text.replace(at, end - at, QByteArray(key) + '=' + value);
        f->writeConfig(text);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        f = std::make_unique<WindowFixture>();
        composers = std::make_unique<RecordingComposers>();
        form = std::make_unique<ConfigForm>(ConfigForm::showing(f->settings));
    }
    void cleanup()
    {
        for (QWidget *composer : composers->windows)
            delete composer;
        composers.reset();
        f.reset();
    }

    void defaultStart()
    {
        f->addMail(dated("Bob", "first", "Mon, 02 Dec 2002 10:20:30 +0800"), 'u');
        f->addMail(dated("Ann", "sent one", "Mon, 02 Dec 2002 10:20:30 +0800"), 's');
        auto w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Vellorn Composer"));
        QCOMPARE(w->CBX_Box->currentIndex(), 1);
        QCOMPARE(w->CBX_Box->currentText(), QStringLiteral("UnSent Box 1"));
        QCOMPARE(w->CBX_Box->itemText(0), QStringLiteral("Sent Box   1"));
        QCOMPARE(headers(*w)[4], QStringLiteral("Time ^"));
        QCOMPARE(headers(*w)[2], QStringLiteral("Mail To "));
        QVERIFY(w->selectedRows().empty());
        QVERIFY(w->LstV_MailList->isColumnHidden(MailListModel::PositionColumn));
        QCOMPARE(w->PNL_MailInfo->text(), QStringLiteral("  Subject:"));
        QVERIFY(w->LstV_att->isHidden());
        // The install folder and version are recorded.
        QSettings registry(QStringLiteral("Orlavinte"), QStringLiteral("Vellorn Composer"));
        QCOMPARE(registry.value(QStringLiteral("Path")).toString(), f->paths.executableFolder);
        QCOMPARE(registry.value(QStringLiteral("Version")).toString(), QStringLiteral("5.0"));
    }

    // At the window's first size the mail list needs no horizontal scroll bar, empty or with
    // more mails than it shows; the time column still holds a whole time.
    void columnsFitTheFirstWidth()
    {
        auto w = open();
        QCOMPARE(w->size(), QSize(700, 480));
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(!w->LstV_MailList->horizontalScrollBar()->isVisible());
        for (int i = 0; i < 40; ++i)
            f->addMail(dated("Bob", "mail " + std::to_string(i), "Mon, 02 Dec 2002 10:20:30 +0800"), 'u');
        w.reset();
        w = open();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTRY_VERIFY(w->LstV_MailList->verticalScrollBar()->isVisible());
        QVERIFY(!w->LstV_MailList->horizontalScrollBar()->isVisible());
        const QHeaderView *header = w->LstV_MailList->header();
        QVERIFY(header->sectionSize(MailListSort::TimeColumn)
                > w->LstV_MailList->fontMetrics().horizontalAdvance(QStringLiteral("2002-12-02 10:20:30")));
    }

    void boxSelectorAndRememberedRow()
    {
        for (int i = 0; i < 3; ++i)
            f->addMail(dated("U" + std::to_string(i), "unsent " + std::to_string(i), "Mon, 0" + std::to_string(i + 2) + " Dec 2002 10:00:00 +0000"), 'u');
        f->addMail(dated("S", "sent", "Mon, 02 Dec 2002 10:00:00 +0000"), 's');
        setConfigKey("BOX_CurrentBox", "SentBox");
        setConfigKey("BOX_UIndex", "7");
        auto w = open();
        QCOMPARE(column(*w, 3), QStringList{QStringLiteral("sent")});
        // The unsent item shows the unsent box, and the remembered row 7 of 3 mails is the last.
        w->CBX_Box->setCurrentIndex(1);
        emit w->CBX_Box->activated(1);
        QCOMPARE(f->settings.BOX_CurrentBox, std::string("UnsentBox"));
        QCOMPARE(column(*w, 3).size(), 3);
        QCOMPARE(w->selectedRows(), std::vector<int>{2});
        QCOMPARE(w->PNL_MailInfo->text(), QStringLiteral("    Subject:  unsent 2"));
        QCOMPARE(f->settings.BOX_UIndex, 2);

        // Next and previous move the first selected row; at the ends they do nothing.
        w->Sbt_NextClick();
        QCOMPARE(w->selectedRows(), std::vector<int>{2});
        w->Sbt_PreClick();
        QCOMPARE(w->selectedRows(), std::vector<int>{1});
        QCOMPARE(w->PNL_MailInfo->text(), QStringLiteral("    Subject:  unsent 1"));
        w->Sbt_snoneClick();
        w->Sbt_PreClick();
        QVERIFY(w->selectedRows().empty());
        // Select all previews nothing.
        w->Sbt_sallClick();
        QCOMPARE(w->selectedRows(), (std::vector<int>{0, 1, 2}));
        QCOMPARE(w->PNL_MailInfo->text(), QStringLiteral("    Subject:  unsent 1"));

        // A composer stored a mail into the sent box: the window shows that box with the
        // mail selected, also where the sorted list puts it first, not last.
        MailBoxHost &host = *w;
        const std::int64_t stored = f->addMail(dated("S2", "sent earlier", "Sun, 01 Dec 2002 10:00:00 +0000"), 's');
        host.mailStored(BoxCode::Sent, stored);
        QCOMPARE(f->settings.BOX_CurrentBox, std::string("SentBox"));
        QCOMPARE(w->CBX_Box->currentText(), QStringLiteral("Sent Box   2"));
        QCOMPARE(column(*w, 3), (QStringList{"sent earlier", "sent"}));
        QCOMPARE(w->selectedRows(), std::vector<int>{0});
        QCOMPARE(f->settings.BOX_SIndex, 0);
        QCOMPARE(w->PNL_MailInfo->text(), QStringLiteral("    Subject:  sent earlier"));
    }

    void sortingFromHeaderAndMenu()
    {
        auto w = open();
        // An empty list ignores a header click, while "Sort By" still sorts.
        w->LstV_MailList->header()->sectionClicked(3);
        QCOMPARE(headers(*w)[3], QStringLiteral("Subject"));
        QCOMPARE(w->core().sortColumn(), 4);
        w->findChild<QAction *>(QStringLiteral("Subject1"))->trigger();
        QCOMPARE(headers(*w)[3], QStringLiteral("SubJect ^"));
        QCOMPARE(headers(*w)[4], QStringLiteral("Time"));
        QCOMPARE(w->core().sortColumn(), 3);

        f->addMail(dated("b", "Beta", "Tue, 10 Dec 2002 08:00:00 +0000", std::string(3000, 'x')), 'u');
        std::string paragraphs;
        while (paragraphs.size() < 1100000)
            paragraphs += std::string(100, 'y') + "\\par\r\n";
        f->addMail(dated("a", "alpha", "Mon, 02 Dec 2002 10:20:30 +0000", paragraphs), 'u');
        f->addMail(dated("c", "ALPHA", "Mon, 02 Dec 2002 11:00:00 +0000"), 'u');
        w->ReloadBoxes();
        QCOMPARE(column(*w, 3), (QStringList{"alpha", "ALPHA", "Beta"}));
        w->LstV_MailList->header()->sectionClicked(4);
        QCOMPARE(headers(*w)[4], QStringLiteral("Time ^"));
        QCOMPARE(column(*w, 4)[0], QStringLiteral("2002-12-02 10:20:30"));
        QCOMPARE(column(*w, 4)[2], QStringLiteral("2002-12-10 08:00:00"));
        // Selected mails stay selected through a sort; MB sizes come after KB sizes.
        w->selectRow(0);
        w->LstV_MailList->header()->sectionClicked(5);
        QCOMPARE(column(*w, 5), (QStringList{"1 KB", "3 KB", "1 MB"}));
        QCOMPARE(w->selectedRows(), std::vector<int>{2});
        // Columns 0 and 1 do not sort.
        w->LstV_MailList->header()->sectionClicked(1);
        QCOMPARE(w->core().sortColumn(), 5);
    }

    void previewOffKeepsWhatIsShownAndExportWritesIt()
    {
        f->addMail(dated("Bob", "first", "Mon, 02 Dec 2002 10:20:30 +0000", "First letter"), 'u');
        f->addMail(dated("Bob", "second", "Tue, 03 Dec 2002 10:20:30 +0000", "Second letter"), 'u');
        auto w = open();
        // Export with nothing selected.
        w->PIC_SaveClick();
        QCOMPARE(f->dialogs.shown.size(), 1);
        QVERIFY(f->dialogs.shown[0].kind == UserDialogs::Kind::Error);
        QCOMPARE(f->dialogs.shown[0].text, QStringLiteral("Please select one item to export!"));

        w->selectRow(0);
        QCOMPARE(w->Edt_body->toPlainText(), QStringLiteral("First letter"));
        w->CHK_DC->click();
        QVERIFY(!f->settings.BOX_ShowContent);
        w->Sbt_NextClick();
        QCOMPARE(w->selectedRows(), std::vector<int>{1});
        QCOMPARE(w->Edt_body->toPlainText(), QStringLiteral("First letter"));
        QCOMPARE(w->PNL_MailInfo->text(), QStringLiteral("    Subject:  first"));

        // A letter with a word of thousands of letters is broken anywhere (word wrapping would
        // take Qt minutes for a long one); the next ordinary letter wraps at words again.
        w->CHK_DC->click();
        f->addMail(dated("Eve", "one long word", "Wed, 04 Dec 2002 10:20:30 +0000", std::string(5000, 'w')), 'u');
        w->ReloadBoxes();
        w->selectRow(2);
        QCOMPARE(w->Edt_body->wordWrapMode(), QTextOption::WrapAnywhere);
        w->Sbt_snoneClick();
        w->selectRow(0);
        QCOMPARE(w->Edt_body->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        QCOMPARE(w->Edt_body->toPlainText(), QStringLiteral("First letter"));

        const QString target = f->dir.filePath(QStringLiteral("letter.txt"));
        f->dialogs.fileNames.enqueue(target);
        w->PIC_SaveClick();
        QCOMPARE(TestFiles::read(target), QByteArray("First letter\r\n"));
        const auto &request = f->dialogs.fileRequests.last();
        QCOMPARE(request.filter, QStringLiteral("Text Files (*.txt)|*.txt"));
        QCOMPARE(request.defaultExtension, QStringLiteral("txt"));
        QCOMPARE(request.nameOrFolder, QString());
    }

    void attachmentsShowAndSave()
    {
        f->addMail(dated("Bob", "plain", "Mon, 02 Dec 2002 10:20:30 +0000"), 'u');
        f->addMail(mailWithParts(), 'u', 'Y');
        auto w = open();
        QCOMPARE(w->mailListModel()->index(1, 0).data(Qt::DecorationRole).isNull(), false);
        w->selectRow(1);
        QVERIFY(w->LstV_att->isVisible());
        QCOMPARE(w->LstV_att->count(), 2);
        QCOMPARE(w->LstV_att->item(1)->text(), QStringLiteral("data.bin"));
        w->SaveAs2Click(); // nothing chosen: nothing happens
        QVERIFY(f->dialogs.fileRequests.isEmpty());
        w->LstV_att->setCurrentRow(1);
        const QString target = f->dir.filePath(QStringLiteral("saved.bin"));
        f->dialogs.fileNames.enqueue(target);
        w->SaveAs2Click();
        QCOMPARE(f->dialogs.fileRequests.last().nameOrFolder, QStringLiteral("data.bin"));
        QCOMPARE(f->dialogs.fileRequests.last().filter, QStringLiteral("All Files (*.*)|*.*"));
        QCOMPARE(TestFiles::read(target), QByteArray("\x00\x01\x02\xff", 4));
        // A mail without attachments hides the list again.
        w->Sbt_PreClick();
        QVERIFY(w->LstV_att->isHidden());
    }

    // A mail in other scripts: the list, the subject bar, a plain-text letter in its own
    // charset, the attachment list and the name proposed for saving show the real text.
    void textsInAnyScript()
    {
        TMailMessage m;
        m.Clear();
        m.SetSubjectText(QStringLiteral("中文 Ωmega"));
        m.SetDate(QDateTime(QDate(2002, 12, 5), QTime(9, 0)));
        m.ToRecipients.SetAllText({QStringLiteral("张三")}, {QStringLiteral("zhang@example.cn")});
        m.SetPlainBody(QStringLiteral("Привет, 世界"));
        m.AttachStreamText("x", QStringLiteral("报告.txt"));
        m.Rebuild();
        f->addMail(m.SourceText(), 'u', 'Y');
        auto w = open();
        QCOMPARE(column(*w, 2), QStringList{QStringLiteral("张三")});
        QCOMPARE(column(*w, 3), QStringList{QStringLiteral("中文 Ωmega")});
        w->selectRow(0);
        QVERIFY(w->PNL_MailInfo->text().endsWith(QStringLiteral("中文 Ωmega")));
        QCOMPARE(w->Edt_body->toPlainText().trimmed(), QStringLiteral("Привет, 世界"));
        QCOMPARE(w->LstV_att->item(0)->text(), QStringLiteral("报告.txt"));
        w->LstV_att->setCurrentRow(0);
        f->dialogs.fileNames.enqueue(QString());
        w->SaveAs2Click();
        QCOMPARE(f->dialogs.fileRequests.last().nameOrFolder, QStringLiteral("报告.txt"));
    }

    void deleteMoveAndEmptyTrash()
    {
        const std::int64_t a = f->addMail(dated("A", "a", "Mon, 02 Dec 2002 10:20:30 +0000"), 's');
        const std::int64_t b = f->addMail(dated("B", "b", "Tue, 03 Dec 2002 10:20:30 +0000"), 's');
        const std::int64_t c = f->addMail(dated("C", "c", "Wed, 04 Dec 2002 10:20:30 +0000"), 's');
        const qint64 size = QFileInfo(f->paths.mailBox).size();
        setConfigKey("BOX_CurrentBox", "SentBox");
        auto w = open();
        w->Sbt_delClick(); // nothing selected
        QCOMPARE(boxOf(a), 's');
        w->selectRow(0);
        w->selectRow(2);
        w->Sbt_delClick();
        QCOMPARE(w->CBX_Box->itemText(0), QStringLiteral("Sent Box   1"));
        QCOMPARE(w->CBX_Box->itemText(2), QStringLiteral("Trash Box  2"));
        QCOMPARE(boxOf(a), 't');
        QCOMPARE(boxOf(c), 't');
        // Moving to the box shown does nothing.
        w->selectRow(0);
        w->SentBox2Click();
        QCOMPARE(boxOf(b), 's');

        w->findChild<QAction *>(QStringLiteral("TrashBox1"))->trigger();
        QCOMPARE(w->CBX_Box->currentIndex(), 2);
        w->Sbt_sallClick();
        w->findChild<QAction *>(QStringLiteral("TrashBox2"))->trigger(); // the same as Delete
        QCOMPARE(boxOf(a), 'D');
        QCOMPARE(boxOf(c), 'D');
        QCOMPARE(w->CBX_Box->itemText(2), QStringLiteral("Trash Box  0"));
        QCOMPARE(QFileInfo(f->paths.mailBox).size(), size);

        // Empty trash while the sent box is shown leaves the sent box alone.
        w->CBX_BoxChange(0);
        w->selectRow(0);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w->LstV_MailList, Qt::Key_Delete);
        QCOMPARE(boxOf(b), 't');
        f->dialogs.answers.enqueue(UserDialogs::Answer::No);
        w->PIC_EmptyClick();
        QCOMPARE(boxOf(b), 't');
        w->PIC_EmptyClick();
        const auto &question = f->dialogs.shown.last();
        QVERIFY(question.kind == UserDialogs::Kind::Warning);
        QVERIFY(question.buttons == UserDialogs::Buttons::YesNo);
        QCOMPARE(question.text,
                 QStringLiteral("All mails in trash box can not be regain after emptied.\r\nAre you sure empty trash box?"));
        QCOMPARE(boxOf(b), 'D');
        QCOMPARE(w->CBX_Box->currentIndex(), 0);

        // Closing purges the marked mails.
        w->close();
        QVERIFY(MailStore(f->paths.mailBox).ScanStore().empty());
        QCOMPARE(QFileInfo(f->paths.mailBox).size(), qint64(100));
    }

    void storeErrorsLeaveTheLists()
    {
        f->addMail(dated("A", "a", "Mon, 02 Dec 2002 10:20:30 +0000"), 'u');
        auto w = open();
        w->selectRow(0);
        QVERIFY(QFile::rename(f->paths.mailBox, f->paths.mailBox + ".away"));
        w->Sbt_delClick();
        QVERIFY(!f->dialogs.shown.isEmpty());
        QVERIFY(f->dialogs.shown.last().kind == UserDialogs::Kind::Error);
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Cannot open file ") + f->paths.mailBox
                                                   + QStringLiteral(": not found"));
        QCOMPARE(column(*w, 3), QStringList{QStringLiteral("a")});
        QCOMPARE(w->CBX_Box->itemText(1), QStringLiteral("UnSent Box 1"));
        QVERIFY(w->StoreStatus->text().contains(QStringLiteral("could not be read")));
        // The store could not be read, and the status bar says so: closing asks nothing more.
        const qsizetype told = f->dialogs.shown.size();
        QVERIFY(w->close());
        QCOMPARE(f->dialogs.shown.size(), told);
    }

    // A MailBox.dat that cannot be read at start: one message, then the status bar says
    // so instead of showing empty boxes.
    void unreadableStoreAtStart()
    {
        QVERIFY(QFile::remove(f->paths.mailBox));
        QVERIFY(QDir().mkdir(f->paths.mailBox));
        auto w = open();
        QCOMPARE(f->dialogs.shown.size(), 1);
        QCOMPARE(f->dialogs.shown[0].text, QStringLiteral("Cannot open file ") + f->paths.mailBox
                                               + QStringLiteral(": not a file"));
        QCOMPARE(w->CBX_Box->currentText(), QStringLiteral("UnSent Box ?"));
        QVERIFY(w->StoreStatus->isVisible());
        QVERIFY(w->StoreStatus->text().startsWith(QStringLiteral("The mail store could not be read")));
        QVERIFY(w->close());
        QCOMPARE(f->dialogs.shown.size(), 1);
    }

    // Read after the first paint: until the lists are filled the window says so, and nothing
    // that acts on mails works; a close and the steps queued for the end wait for it.
    void storeReadAfterTheFirstPaint()
    {
        f->addMail(dated("Bob", "first", "Mon, 02 Dec 2002 10:20:30 +0800"), 'u');
        f->addMail(dated("Ann", "trashed", "Mon, 02 Dec 2002 10:20:30 +0800"), 't');
        const MainWindowLayout layout = LoadWindowLayout(f->settings, f->paths.config);
        auto w = std::make_unique<TFM_MailBox>(f->services, *composers, *form, layout, nullptr,
                                               TFM_MailBox::StoreReading::AfterFirstPaint);
        int ran = 0;
        w->whenStoreRead([&] {
            ++ran;
            // The lists are filled when the queued steps run.
            QCOMPARE(w->mailListModel()->rowCount(), 1);
        });
        QVERIFY(w->storeReading());
        QCOMPARE(ran, 0);
        QCOMPARE(w->mailListModel()->rowCount(), 0);
        QCOMPARE(w->CBX_Box->currentText(), QStringLiteral("UnSent Box ?"));
        QCOMPARE(w->StoreStatus->text(), QStringLiteral("Reading the mail store..."));
        for (QWidget *part : {static_cast<QWidget *>(w->Panel1), w->Panel3, static_cast<QWidget *>(w->Spt)})
            QVERIFY(!part->isEnabled());
        for (const char *name : {"Send1", "Delete1", "EmptyTrash1", "SelectAll1", "FileNewCmd", "Date1", "TrashBox1",
                                 "Exit2", "Options1"})
            QVERIFY2(!w->triggerCommand(QLatin1String(name)), name);
        QVERIFY(w->commands().action(QStringLiteral("HelpContents1"))->isEnabled());
        // Shown, the window reads its store once painted; a close meanwhile waits, since
        // nothing may be saved or purged before the store is read.
        w->show();
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QTRY_VERIFY(!w->storeReading());
        QCOMPARE(ran, 1);
        QCOMPARE(column(*w, 3), QStringList{QStringLiteral("first")});
        QCOMPARE(w->CBX_Box->itemText(2), QStringLiteral("Trash Box  1"));
        QVERIFY(w->StoreStatus->text().isEmpty());
        QVERIFY(w->Panel3->isEnabled() && w->Spt->isEnabled() && w->Panel1->isEnabled());
        QVERIFY(w->commands().action(QStringLiteral("Delete1"))->isEnabled());
        // The close asked for while reading came after it.
        QVERIFY(!w->isVisible());
        w->whenStoreRead([&] { ++ran; });
        QCOMPARE(ran, 2);
    }

    // The store is held by another program while the window closes: one question; No
    // keeps the window open to try again.
    void closingAsksOnceWhenThePurgeFails()
    {
        f->addMail(dated("A", "a", "Mon, 02 Dec 2002 10:20:30 +0000"), 'D');
        auto w = open();
        const int held = ::open(QFile::encodeName(f->paths.mailBox).constData(), O_RDWR);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX | LOCK_NB) == 0);
        f->dialogs.answers.enqueue(UserDialogs::Answer::No);
        QVERIFY(!w->close());
        QCOMPARE(f->dialogs.shown.size(), 1);
        const auto &question = f->dialogs.shown[0];
        QVERIFY(question.buttons == UserDialogs::Buttons::YesNo);
        QVERIFY(question.text.startsWith(QStringLiteral("Cannot open file ") + f->paths.mailBox));
        QVERIFY(question.text.endsWith(QStringLiteral("Quit anyway?")));
        ::close(held);
        QVERIFY(w->close());
        QCOMPARE(f->dialogs.shown.size(), 1);
        QCOMPARE(QFileInfo(f->paths.mailBox).size(), qint64(100));
    }

    void sendAllChecksTheAccountAndTheBox()
    {
        auto w = open();
        w->PIC_SendClick();
        QCOMPARE(f->dialogs.shown.size(), 1);
        QVERIFY(f->dialogs.shown[0].kind == UserDialogs::Kind::Information);
        QCOMPARE(f->dialogs.shown[0].text,
                 QStringLiteral("One value of SMTP account is blank.\r\nClick Setting button to check it!"));
        QCOMPARE(f->opener.calls, QStringList{QStringLiteral("configuration 1")});

        f->configureAccount();
        w->CBX_BoxChange(0);
        w->PIC_SendClick();
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("No mail in unsent box."));
        QVERIFY(f->dialogs.shown.last().kind == UserDialogs::Kind::Error);
        QCOMPARE(w->CBX_Box->currentIndex(), 1);
        QCOMPARE(f->settings.BOX_CurrentBox, std::string("UnsentBox"));

        f->opener.sendShowing = true;
        f->addMail(dated("A", "a", "Mon, 02 Dec 2002 10:20:30 +0000"), 'u');
        w->PIC_SendClick();
        QCOMPARE(f->opener.calls.size(), 1);
    }

    void sendAllThroughARealServer()
    {
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        server.setSizeLimit(150000);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        f->configureAccount(server.host(), server.port());
        const std::int64_t a = f->addMail(dated("A", "one", "Mon, 02 Dec 2002 10:20:30 +0000"), 'u');
        const std::int64_t b = f->addMail(dated("B", "two", "Tue, 03 Dec 2002 10:20:30 +0000", std::string(200000, 'z')), 'u');
        const std::int64_t c = f->addMail(dated("C", "three", "Wed, 04 Dec 2002 10:20:30 +0000"), 'u');
        SendingOpener opener;
        opener.dialog = std::make_unique<TFM_Send>(f->dialogs, f->shell, f->settings, f->paths.mailBox);
        WindowServices services{f->dialogs, f->shell, f->clock, f->random, f->settings, f->paths, f->help, f->links, opener};
        TFM_MailBox w(services, *composers, *form, LoadWindowLayout(f->settings, f->paths.config));
        w.show();
        w.selectRow(0);
        QCOMPARE(w.PNL_MailInfo->text(), QStringLiteral("    Subject:  one"));
        w.PIC_SendClick();
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Send 3 unsent mails?\r\n\r\n- one\r\n- two\r\n- three"));
        QCOMPARE(opener.calls, QStringList{QStringLiteral("send Self %1,%2,%3").arg(a).arg(b).arg(c)});
        QCOMPARE(server.mails().size(), 1);
        QCOMPARE(boxOf(a), 's');
        QCOMPARE(boxOf(b), 'u');
        QCOMPARE(boxOf(c), 'u');
        // The lists were refreshed after the job.
        QCOMPARE(w.CBX_Box->itemText(0), QStringLiteral("Sent Box   1"));
        QCOMPARE(column(w, 3), (QStringList{"two", "three"}));
        // The preview follows the list: the mail that went out is not shown any more.
        QCOMPARE(w.PNL_MailInfo->text(), QStringLiteral("    Subject:  two"));
        // An empty box shows no preview at all.
        w.CBX_BoxChange(BoxTable::selectorItem(BoxCode::Trash));
        QCOMPARE(w.PNL_MailInfo->text(), QStringLiteral("  Subject:"));
        QVERIFY(w.Edt_body->toPlainText().isEmpty());
        opener.dialog->hide();
    }

    // Send asks first, No is the way out; Send Selected sends only the selected mails.
    void sendAsksFirstAndSendsSelected()
    {
        f->configureAccount();
        const std::int64_t a = f->addMail(dated("A", "Spring concert", "Mon, 02 Dec 2002 10:20:30 +0000"), 'u');
        f->addMail(dated("B", "", "Tue, 03 Dec 2002 10:20:30 +0000"), 'u');
        const std::int64_t s = f->addMail(dated("C", "Sent before", "Tue, 03 Dec 2002 10:20:30 +0000"), 's');
        auto w = open();
        f->dialogs.answers.enqueue(UserDialogs::Answer::No);
        w->findChild<QAction *>(QStringLiteral("Send1"))->trigger();
        const auto &question = f->dialogs.shown.last();
        QVERIFY(question.kind == UserDialogs::Kind::Confirmation);
        QVERIFY(question.buttons == UserDialogs::Buttons::YesNo);
        QCOMPARE(question.text, QStringLiteral("Send 2 unsent mails?\r\n\r\n- Spring concert\r\n- (no subject)"));
        QVERIFY(f->opener.calls.isEmpty());

        // Nothing selected: told so, nothing asked.
        w->Sbt_snoneClick();
        w->findChild<QAction *>(QStringLiteral("SendSelected1"))->trigger();
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Please select the mails to send."));
        QVERIFY(f->opener.calls.isEmpty());

        w->selectRow(0);
        QAction *popupSend = w->PopupMenu1->findChild<QAction *>(QStringLiteral("SendSelected2"));
        QVERIFY(w->PopupMenu1->actions().contains(popupSend));
        popupSend->trigger();
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Send 1 selected mail?\r\n\r\n- Spring concert"));
        QCOMPARE(f->opener.calls, QStringList{QStringLiteral("send Self %1").arg(a)});

        // A mail of another box, sent again when the user says so.
        w->CBX_BoxChange(BoxTable::selectorItem(BoxCode::Sent));
        w->selectRow(0);
        w->SendSelectedClick();
        QCOMPARE(f->opener.calls.last(), QStringLiteral("send Self %1").arg(s));
    }

    void editAndNewGoIntoComposerSlots()
    {
        f->addMail(dated("A", "plain", "Mon, 02 Dec 2002 10:20:30 +0000"), 's');
        const std::int64_t stored = f->addMail(mailWithParts(), 's', 'Y');
        setConfigKey("BOX_CurrentBox", "SentBox");
        auto w = open();
        w->Sbt_edtClick(); // nothing selected
        QVERIFY(composers->calls.isEmpty());
        w->selectRow(1);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->LstV_MailList->setFocus();
        QTest::keyClick(w->LstV_MailList, Qt::Key_Return);
        QCOMPARE(composers->calls, QStringList{QStringLiteral("stored 1 %1 s Two files").arg(stored)});
        // The composer gets the loaded mail: two To, one Bcc, both attachments decoded.
        QCOMPARE(w->Msg_1.ToRecipients.Count(), 2);
        QCOMPARE(w->Msg_1.BccRecipients.Count(), 1);
        QCOMPARE(w->Msg_1.BccRecipients.NameAt(0), std::string("Dave"));
        QCOMPARE(w->Msg_1.BccRecipients.AddressAt(0), std::string("dave@example.net"));
        QCOMPARE(w->Msg_1.Attachments.Count(), 2);
        QCOMPARE(QByteArray::fromStdString(w->Msg_1.Attachments[0]->DecodedBody), QByteArray("first file\r\n"));

        // Ten composers at most; a closed one frees its slot for the next.
        for (int i = 0; i < 10; ++i)
            w->PIC_NewClick();
        QCOMPARE(composers->calls.size(), 10);
        QCOMPARE(composers->calls.last(), QStringLiteral("new 10"));
        // With ten open (the stored mail's and nine new), each further attempt says why
        // nothing opens.
        QCOMPARE(f->dialogs.shown.size(), 1);
        w->Sbt_edtClick();
        QCOMPARE(composers->calls.size(), 10);
        QCOMPARE(f->dialogs.shown.size(), 2);
        for (const auto &told : f->dialogs.shown) {
            QVERIFY(told.kind == UserDialogs::Kind::Information);
            QCOMPARE(told.text, QString::fromLatin1(MailBoxCore::AllSlotsTakenText));
        }
        w->releaseComposerSlot(4);
        QAction *fileNew = w->findChild<QAction *>(QStringLiteral("FileNewCmd"));
        QCOMPARE(fileNew->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        fileNew->trigger();
        QCOMPARE(composers->calls.last(), QStringLiteral("new 4"));
    }

    void closingAsksComposersInSlotOrder()
    {
        composers->make = [](int slot, MailBoxHost &host) -> QWidget * {
            return slot == 2 ? static_cast<QWidget *>(new RefusingComposer(host)) : new QWidget;
        };
        auto w = open();
        w->PIC_NewClick();
        w->PIC_NewClick();
        w->PIC_NewClick();
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QVERIFY(!composers->windows[0]->isVisible()); // closed
        QVERIFY(composers->windows[1]->isVisible());  // refused and came to the front
        QVERIFY(composers->windows[2]->isVisible());  // not asked
        QVERIFY(!w->ComposerMayClose);
        // Nothing was written: the close stopped before the configuration was saved.
        QCOMPARE(IniFile(f->paths.config).readString("System", "WND_X"), std::string("20"));
    }

    void layoutWrittenAtExitAndReadAtStart()
    {
        auto w = open();
        w->move(40, 50);
        w->resize(640, 400);
        form->TB_Quality = 90; // typed into the configuration dialog
        w->CHK_DC->click();
        w->findChild<QAction *>(QStringLiteral("Size1"))->trigger();
        QVERIFY(w->close());
        IniFile ini(f->paths.config);
        QCOMPARE(ini.readInteger("System", "PIC_Quality", 0), 90);
        QCOMPARE(ini.readString("System", "WND_State"), std::string("Normal"));
        QCOMPARE(ini.readInteger("System", "WND_W", 0), 640);
        QCOMPARE(ini.readInteger("System", "BOX_SortIndex", 0), 5);
        QCOMPARE(ini.readInteger("System", "BOX_ShowContent", 1), 0);
        QVERIFY(f->dialogs.shown.isEmpty());

        // Maximised at exit: "Max", the bounds kept, and the next start is maximised.
        w = open();
        QCOMPARE(headers(*w)[5], QStringLiteral("Size ^"));
        QVERIFY(!w->CHK_DC->isChecked());
        w->showMaximized();
        QVERIFY(w->close());
        ini = IniFile(f->paths.config);
        QCOMPARE(ini.readString("System", "WND_State"), std::string("Max"));
        QCOMPARE(ini.readInteger("System", "WND_W", 0), 640);
        w = open();
        QVERIFY(w->windowState() & Qt::WindowMaximized);
    }

    void unwritableConfigurationIsReported()
    {
        auto w = open();
        QVERIFY(QFile::remove(f->paths.config));
        QVERIFY(QDir().mkdir(f->paths.config)); // a folder where the file should be
        f->dialogs.answers.enqueue(UserDialogs::Answer::No);
        QVERIFY(!w->close());
        QVERIFY(w->close());
        QCOMPARE(f->dialogs.shown.size(), 2);
        QCOMPARE(f->dialogs.shown[0].text,
                 QStringLiteral("Unable to write to ") + f->paths.config + QStringLiteral("\r\n\r\nQuit anyway?"));
    }

    // However narrow the window is made, the logo never lies over a picture button or its
    // caption, and every button stays in the band.
    void narrowWindowKeepsTheButtons()
    {
        auto w = open();
        QVERIFY(w->Image2->isVisible());
        w->resize(200, 400);
        QVERIFY(w->width() >= w->minimumWidth());
        QVERIFY(w->minimumWidth() > w->Label1->geometry().right());
        QApplication::processEvents();
        for (int width : {w->minimumWidth(), w->minimumWidth() + 100, w->minimumWidth() + 200, 900}) {
            w->resize(width, 400);
            QApplication::processEvents();
            QVERIFY(w->Panel1->isVisible());
            for (QWidget *button : QList<QWidget *>{w->PIC_Send, w->PIC_Help, w->Label1}) {
                QVERIFY(w->Panel1->rect().contains(button->geometry()));
                QVERIFY2(!w->Image2->isVisible() || !w->Image2->geometry().intersects(button->geometry()),
                         qPrintable(QStringLiteral("width %1").arg(width)));
            }
        }
        QVERIFY(w->Image2->isVisible());
    }

    void keysMenusAndPictures()
    {
        auto w = open();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w->LstV_MailList, Qt::Key_F1);
        QCOMPARE(f->help.targets, QStringList{f->paths.executableFolder + "\\help.chm::/html\\Vellorn.htm"});

        QStringList titles;
        for (QAction *a : w->MainMenu1->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"&Flie", "&Edit", "&View", "&Tools", "&Help"}));
        QMenu *file = w->MainMenu1->actions().at(0)->menu();
        QTest::keyClick(w.get(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file->isVisible());
        // Every entry of every menu has a letter of its own there; the letter runs it.
        QList<QMenu *> menus{w->PopupMenu1, w->PopupMenu2};
        for (QAction *a : w->MainMenu1->actions())
            menus << a->menu();
        for (int i = 0; i < menus.size(); ++i) {
            QSet<QChar> letters;
            for (QAction *a : menus[i]->actions()) {
                if (a->isSeparator())
                    continue;
                if (a->menu())
                    menus << a->menu();
                const qsizetype at = a->text().indexOf(QLatin1Char('&'));
                QVERIFY2(at >= 0 && at + 1 < a->text().size(), qPrintable(a->text()));
                const QChar letter = a->text().at(at + 1).toLower();
                QVERIFY2(!letters.contains(letter), qPrintable(menus[i]->title() + " " + a->text()));
                letters.insert(letter);
            }
        }
        QTest::keyClick(file, Qt::Key_L);
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Please select the mails to send."));
        file->close();

        // The picture under the mouse moves 2 pixels once; the caption line puts it back.
        const QPoint home = w->PIC_New->pos();
        QTest::mouseMove(w->PIC_New, QPoint(5, 5));
        QTest::mouseMove(w->PIC_New, QPoint(8, 8));
        QCOMPARE(w->PIC_New->pos(), home + QPoint(2, 2));
        QCOMPARE(w->Panel1->hoveredImage(), 2);
        QTest::mouseMove(w->Label1, QPoint(5, 5));
        QCOMPARE(w->PIC_New->pos(), home);
        QCOMPARE(w->Panel1->hoveredImage(), 0);

        QTest::mouseClick(w->PIC_Address, Qt::LeftButton);
        QTest::mouseClick(w->PIC_Set, Qt::LeftButton);
        w->findChild<QAction *>(QStringLiteral("AddressBool1"))->trigger();
        w->findChild<QAction *>(QStringLiteral("AddAddress1"))->trigger();
        w->findChild<QAction *>(QStringLiteral("TipsOfTheDay1"))->trigger();
        w->findChild<QAction *>(QStringLiteral("About1"))->trigger();
        QCOMPARE(f->opener.calls, (QStringList{"address Manage", "configuration -1", "address ManageKeepClose",
                                               "addAddress", "tips", "about"}));
        QTest::mouseClick(w->Image2, Qt::LeftButton);
        QCOMPARE(f->shell.opened, QList<QUrl>{QUrl(f->links.homePage)});
    }

    // Every key of the command table is on the keys help page; no two commands share a
    // key, nor two items of one menu a letter. A command is triggered by its name.
    void commandTableMatchesTheKeysPage()
    {
        auto w = open();
        const QSet<QKeySequence> page = CommandTableCheck::keysOnPage(CommandTableCheck::keysPage(), QStringLiteral("mailbox"));
        QVERIFY(page.contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)));
        QCOMPARE(CommandTableCheck::problems(w->commands().rows(), page), QStringList());
        QVERIFY(w->triggerCommand(QStringLiteral("About1")));
        QVERIFY(!w->triggerCommand(QStringLiteral("NoSuchCommand")));
        QCOMPARE(f->opener.calls.last(), QStringLiteral("about"));
    }
};

QTEST_MAIN(TestMailBoxWindow)
#include "tst_tfm_mailbox.moc"
