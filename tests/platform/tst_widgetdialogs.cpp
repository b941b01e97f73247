// The real message boxes and file dialogs: each belongs to the window that asked, and the
// default button of a question whose Yes loses something is No.
#include "WidgetDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <optional>

Q_DECLARE_METATYPE(UserDialogs::Buttons)
Q_DECLARE_METATYPE(UserDialogs::Answer)

namespace {

// Answers the next modal dialog as soon as it shows (a message box with its default
// button, any other dialog with Cancel) and records whose it was.
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
        QTest::addColumn<QString>("owner");
        QTest::newRow("the asker") << "asker" << "asker";
        QTest::newRow("a hidden asker gives way") << "hidden asker" << "composer";
        QTest::newRow("the active window") << "active" << "composer";
        QTest::newRow("a modal dialog in front") << "modal" << "modal";
        QTest::newRow("nothing active: the main window") << "none" << "main";
    }
    void dialogsBelongToTheWindowThatAsks()
    {
        QFETCH(QString, situation);
        QFETCH(QString, owner);
        QWidget main, composer, asker;
        QDialog modal(&composer);
        modal.setModal(true);
        const QMap<QString, QWidget *> windows{{"asker", &asker}, {"composer", &composer}, {"modal", &modal}, {"main", &main}};
        QWidget *expected = windows.value(owner);
        WidgetDialogs widgetDialogs(&main);
        UserDialogs &dialogs = widgetDialogs;
        std::optional<UserDialogs::Asker> scope;
        if (situation.contains(QLatin1String("asker")))
            scope.emplace(dialogs, &asker);
        // Before each dialog: the windows as the situation has them (a closed dialog
        // hands the activation on).
        const auto arrange = [&] {
            for (QWidget *w : {&main, &composer, &asker})
                w->show();
            if (situation == QLatin1String("hidden asker"))
                asker.hide();
            if (situation == QLatin1String("modal"))
                modal.show();
            QCoreApplication::processEvents();
            QApplication::setActiveWindow(situation == QLatin1String("none") ? nullptr : &composer);
        };

        arrange();
        QCOMPARE(widgetDialogs.owner(), expected);
        QPointer<QWidget> parent;
        answerNext(parent);
        dialogs.messageBox(UserDialogs::Kind::Information, QStringLiteral("t"), QStringLiteral("text"));
        QCOMPARE(parent.data(), expected);
        arrange();
        answerNext(parent);
        QVERIFY(dialogs.openFileName(QStringLiteral("Open"), QStringLiteral("All Flies(*.*)|*.*")).isEmpty());
        QCOMPARE(parent.data(), expected);
    }

    void askersNestAndEnd()
    {
        QWidget a, b;
        a.show();
        b.show();
        WidgetDialogs dialogs;
        {
            const UserDialogs::Asker outer(dialogs, &a);
            {
                const UserDialogs::Asker inner(dialogs, &b);
                QCOMPARE(dialogs.asker(), &b);
            }
            QCOMPARE(dialogs.asker(), &a);
        }
        QCOMPARE(dialogs.asker(), nullptr);
    }

    void enterAnswersTheDefault_data()
    {
        QTest::addColumn<UserDialogs::Buttons>("buttons");
        QTest::addColumn<UserDialogs::Answer>("answer");
        QTest::newRow("yes/no") << UserDialogs::Buttons::YesNo << UserDialogs::Answer::Yes;
        QTest::newRow("no is the default") << UserDialogs::Buttons::YesNoDefaultNo << UserDialogs::Answer::No;
    }
    void enterAnswersTheDefault()
    {
        QFETCH(UserDialogs::Buttons, buttons);
        QFETCH(UserDialogs::Answer, answer);
        QWidget window;
        window.show();
        WidgetDialogs dialogs(&window);
        QPointer<QWidget> parent;
        answerNext(parent);
        QCOMPARE(dialogs.messageBox(UserDialogs::Kind::Warning, QStringLiteral("t"), QStringLiteral("Clear?"), buttons),
                 answer);
    }
};

QTEST_MAIN(TestWidgetDialogs)
#include "tst_widgetdialogs.moc"
