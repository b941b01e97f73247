#include "composer/windows/ComposerEditor.h"
#include "composer/windows/ComposerFactory.h"
#include "composer/windows/FontSizeBox.h"
#include "composer/windows/TFM_Cmps.h"
#include "tests/support/windows/RecordingMailBoxHost.h"
#include "tests/support/windows/WindowFixture.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

// Closing composers must never crash, whatever style draws them: a style sheet or a style
// that re-polishes while the window's children go asks the format bar's size box for the
// caret's size after the editor has gone.
class TestComposerTeardown : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        qApp->setStyleSheet(QString());
    }

    void composersCloseUnderAnyStyle_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("styleSheet");
        QTest::newRow("style sheet") << QString() << QStringLiteral("QToolTip { color: black; }");
        QTest::newRow("Fusion") << QStringLiteral("Fusion") << QString();
        QTest::newRow("Fusion with a style sheet")
            << QStringLiteral("Fusion") << QStringLiteral("QSpinBox { font-size: 15pt; } QWidget { color: black; }");
    }
    void composersCloseUnderAnyStyle()
    {
        QFETCH(QString, style);
        QFETCH(QString, styleSheet);
        const QString styleBefore = qApp->style()->name();
        if (!style.isEmpty())
            QApplication::setStyle(QStyleFactory::create(style));
        qApp->setStyleSheet(styleSheet);

        WindowFixture f;
        RecordingMailBoxHost host;
        ComposerFactory factory(f.services);
        QList<QPointer<QWidget>> windows;
        for (int slot = 1; slot <= 3; ++slot) {
            QWidget *w = factory.openNewMail(slot, host);
            QVERIFY(QTest::qWaitForWindowExposed(w));
            windows << w;
        }
        // One with a letter and the caret in a sized word, its size box holding the focus.
        auto *typed = qobject_cast<TFM_Cmps *>(windows[1].data());
        typed->Editor->setFocus();
        QTest::keyClicks(typed->Editor, QStringLiteral("Hello"));
        typed->FontSize->setFocus();
        typed->setLetterChanged(false);

        for (const QPointer<QWidget> &w : windows)
            QVERIFY(w->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<QWidget> &w : windows)
            QVERIFY(w.isNull());

        // A composer deleted outright while shown, the way the program's end takes them.
        QWidget *shown = factory.openNewMail(4, host);
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        delete shown;

        if (!style.isEmpty())
            QApplication::setStyle(QStyleFactory::create(styleBefore));
    }

    // Whatever goes first, the size box only steps from a caret that still exists.
    void theSizeBoxOutlivesTheEditor()
    {
        WindowFixture f;
        TFM_Cmps w(f.services);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        delete w.Editor;
        w.Editor = nullptr;
        // The style asks which arrows are enabled whenever it draws the box.
        w.FontSize->style()->unpolish(w.FontSize);
        w.FontSize->style()->polish(w.FontSize);
        w.FontSize->repaint();
    }
};

QTEST_MAIN(TestComposerTeardown)
#include "tst_composerteardown.moc"
