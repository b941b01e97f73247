// What a person does with the picture preview: opens it from the composer, pages through,
// shows all pages, refreshes after an edit, saves a PDF and prints.
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/ComposerFactory.h"
#include "composer/windows/TFM_Cmps.h"
#include "picture/windows/TFM_Preview.h"
#include "tests/support/windows/RecordingMailBoxHost.h"
#include "tests/support/windows/WindowFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QTextCursor>
#include <QToolButton>
#include <QtTest>

namespace {

int pdfPages(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    p.waitForFinished(60000);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

void writeParagraphs(TFM_Cmps &w, int from, int to)
{
    QTextCursor c(w.Editor->document());
    c.movePosition(QTextCursor::End);
    for (int i = from; i <= to; ++i)
        c.insertText(QStringLiteral("Paragraph %1 of a long letter about the spring meeting.\n").arg(i));
}

} // namespace

class TestPreviewWindow : public QObject
{
    Q_OBJECT

private slots:
    void previewFromTheComposer()
    {
        WindowFixture f;
        RecordingMailBoxHost host;
        ComposerFactory factory(f.services);
        auto *w = qobject_cast<TFM_Cmps *>(factory.openNewMail(1, host));
        w->Edt_Subject->setText(QStringLiteral("Spring meeting"));
        writeParagraphs(*w, 1, 70);

        w->findChild<QAction *>(QStringLiteral("PreviewPictures1"))->trigger();
        auto *preview = w->findChild<TFM_Preview *>();
        QVERIFY(preview && preview->isVisible());
        preview->waitForPages();
        const int pages = int(preview->result().pages.size());
        QVERIFY(pages >= 2);
        QCOMPARE(preview->LB_Page->text(), QStringLiteral("Page 1 of %1").arg(pages));
        QVERIFY(preview->LB_Info->text().startsWith(QStringLiteral("%1 pages, pictures ").arg(pages)));
        QVERIFY(!preview->BT_Prev->isEnabled() && preview->BT_Next->isEnabled());
        preview->BT_Next->click();
        QCOMPARE(preview->LB_Page->text(), QStringLiteral("Page 2 of %1").arg(pages));
        QVERIFY(preview->findChild<QLabel *>(QStringLiteral("Page2")));
        preview->CHK_AllPages->setChecked(true);
        QVERIFY(preview->findChild<QLabel *>(QStringLiteral("Page%1").arg(pages)));
        QVERIFY(!preview->BT_Next->isEnabled());

        // An edit in the letter shows after Refresh.
        writeParagraphs(*w, 71, 200);
        const QString letter = w->Editor->toHtml();
        preview->BT_Refresh->click();
        preview->waitForPages();
        QVERIFY(int(preview->result().pages.size()) > pages);

        // Save as PDF, then print (into a PDF file the test reads).
        const QString pdf = f.dir.filePath(QStringLiteral("letter.pdf"));
        f.dialogs.fileNames.enqueue(pdf);
        preview->BT_SavePdf->click();
        QCOMPARE(f.dialogs.fileRequests.last().defaultExtension, QStringLiteral("pdf"));
        QCOMPARE(pdfPages(pdf), int(preview->result().pages.size()));
        const QString printed = f.dir.filePath(QStringLiteral("printed.pdf"));
        preview->askPrinter = [&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            return true;
        };
        preview->BT_Print->click();
        QCOMPARE(pdfPages(printed), int(preview->result().pages.size()));
        // The preview never changed or saved the letter.
        QCOMPARE(w->Editor->toHtml(), letter);
        QVERIFY(w->letterChanged());

        // Closed while a refresh renders: the window goes at once, its worker (and the
        // worker compressing that run's pages) stops with it.
        preview->BT_Refresh->click();
        QVERIFY(preview->rendering());
        QPointer<TFM_Preview> closing(preview);
        preview->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!closing);

        w->setLetterChanged(false);
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestPreviewWindow)
#include "tst_tfm_preview.moc"
