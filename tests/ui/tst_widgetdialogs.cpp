// The real message boxes and file dialogs: each belongs to the window that asked, and a
// question can have No as its default button.
#include "ui/WidgetDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <optional>

namespace {

// Answers the next modal dialog as soon as it shows (a message box with Enter, so with its
// default button; another dialog with Cancel) and records whose it was.
void answerNext(QPointer<QWidget> &parent)
{
    QTimer::singleShot(0, qApp, [&parent] {
        QWidget *dialog = QApplication::activeModalWidget();
        parent = dialog ? dialog->parentWidget() : nullptr;
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            QTest::keyClick(box, Qt::Key_Return);
        else if (auto *other = qobject_cast<QDialog *>(dialog))
            other->reject();
    });
}

} // namespace

class TestWidgetDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

    void dialogsBelongToTheWindowThatAsks_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("the asker") << "asker";
        QTest::newRow("the active window") << "active";
        QTest::newRow("a modal dialog in front") << "modal";
        QTest::newRow("nothing active: the main window") << "main";
    }
    void dialogsBelongToTheWindowThatAsks()
    {
        QFETCH(QString, situation);
        QWidget main, active, asker;
        QDialog modal(&active);
        modal.setModal(true);
        QWidget *expected = QMap<QString, QWidget *>{{"asker", &asker}, {"active", &active}, {"modal", &modal},
                                                     {"main", &main}}.value(situation);
        WidgetDialogs widgetDialogs(&main);
        UserDialogs &dialogs = widgetDialogs;
        std::optional<UserDialogs::Asker> scope;
        if (situation == QLatin1String("asker"))
            scope.emplace(dialogs, &asker);
        // Before each dialog the windows stand as the situation says (a closed dialog hands
        // the activation on).
        const auto arrange = [&] {
            for (QWidget *w : {&main, &active, &asker})
                w->show();
            modal.setVisible(situation == QLatin1String("modal"));
            QCoreApplication::processEvents();
            QApplication::setActiveWindow(situation == QLatin1String("main") ? nullptr : &active);
        };
        QPointer<QWidget> parent;
        arrange();
        answerNext(parent);
        // Enter answers the default button: No here.
        QCOMPARE(dialogs.messageBox(UserDialogs::Kind::Warning, QStringLiteral("t"), QStringLiteral("Clear?"),
                                    UserDialogs::Buttons::YesNo),
                 UserDialogs::Answer::No);
        QCOMPARE(parent.data(), expected);
        arrange();
        answerNext(parent);
        QVERIFY(dialogs.openFileName(QStringLiteral("Open"), QStringLiteral("All Flies(*.*)|*.*")).isEmpty());
        QCOMPARE(parent.data(), expected);
    }
};

QTEST_MAIN(TestWidgetDialogs)
#include "tst_widgetdialogs.moc"
