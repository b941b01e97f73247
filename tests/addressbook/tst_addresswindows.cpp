#include "addressbook/AddressBook.h"
#include "addressbook/windows/TFM_AddEdit.h"
#include "addressbook/windows/TFM_AddLst.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/WindowControls.h"
#include "tests/support/windows/WindowFixture.h"
#include "ui/WidgetDialogs.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace WindowControls;

// The address list and its editor as a person uses them.
class TestAddressWindows : public QObject
{
    Q_OBJECT

private:
    static void selectRow(QWidget *w, int row)
    {
        auto *list = child<QTreeWidget>(w, "LstV_Add");
        list->setCurrentItem(list->topLevelItem(row));
    }
    // Runs `act` on the next modal dialog's turn of the event loop.
    static void then(std::function<void()> act) { QTimer::singleShot(0, std::move(act)); }
    // Types the entry into the editor and presses OK.
    static void fillAndOk(TFM_AddEdit *editor, const QString &name, const QString &mail)
    {
        child<QLineEdit>(editor, "Edt_Name")->setText(name);
        child<QLineEdit>(editor, "Edt_Mail")->setText(mail);
        click(editor, "Button7");
    }
    // Fills the editor and presses OK; when it stays open (refused), cancels it.
    static void answerEditor(TFM_AddEdit *editor, const QString &name, const QString &mail, bool *stayedOpen = nullptr)
    {
        then([=] {
            fillAndOk(editor, name, mail);
            if (stayedOpen)
                *stayedOpen = editor->isVisible();
            if (editor->isVisible())
                click(editor, "Button8");
        });
    }

private slots:
    // Pick two names for To and one for Bcc; "&Close" stays hidden until a managing use
    // shows it again; every showing starts with empty pick lists.
    void pickAndCloseButton()
    {
        WindowFixture f;
        for (const char *n : {"Bob", "Carol", "Dave"})
            AddressBook(f.paths.config).StoreAddress(n, std::string(n) + "@example.org");
        TFM_AddEdit editor(f.services);
        TFM_AddLst list(f.services, editor);

        then([&] {
            QCOMPARE(child<QTreeWidget>(&list, "LstV_Add")->topLevelItemCount(), 3);
            selectRow(&list, 0);
            click(&list, "Button3");
            click(&list, "Button3"); // the same name may be added twice
            selectRow(&list, 1);
            click(&list, "Button3");
            child<QListWidget>(&list, "Lbx_To")->setCurrentRow(0);
            click(&list, "Button6");
            selectRow(&list, 2);
            click(&list, "Button1");
            click(&list, "Button7");
        });
        WindowOpener::AddressPicks picks;
        QVERIFY(list.showModal(WindowOpener::AddressListUse::Pick, &picks));
        QCOMPARE(picks.to, QStringList({"Bob", "Carol"}));
        QVERIFY(picks.cc.isEmpty());
        QCOMPARE(picks.bcc, QStringList({"Dave"}));

        auto *close = child<QPushButton>(&list, "Bt_Can");
        then([&] {
            QVERIFY(!close->isVisible());
            QCOMPARE(child<QListWidget>(&list, "Lbx_To")->count(), 0);
            QTest::keyClick(child<QTreeWidget>(&list, "LstV_Add"), Qt::Key_Escape);
        });
        QVERIFY(!list.showModal(WindowOpener::AddressListUse::ManageKeepClose));
        then([&] {
            QVERIFY(close->isVisible());
            QVERIFY(!child<QListWidget>(&list, "Lbx_To")->isVisible());
            click(&list, "Bt_Can");
        });
        QVERIFY(!list.showModal(WindowOpener::AddressListUse::Manage));
    }

    // New, Edit and Delete from the list, and the editor's refusals.
    void manageEntries()
    {
        WindowFixture f;
        TFM_AddEdit editor(f.services);
        TFM_AddLst list(f.services, editor);
        auto *rows = child<QTreeWidget>(&list, "LstV_Add");
        const QByteArray firstRun = TestFiles::read(f.paths.config);

        bool stayedOpen = false;
        answerEditor(&editor, QStringLiteral("  "), QStringLiteral("x@example.org"), &stayedOpen);
        click(&list, "Button9");
        QVERIFY(stayedOpen);
        QCOMPARE(f.dialogs.shown.last().text, QStringLiteral("Name or Mail Address can not be empty!"));
        QVERIFY(f.dialogs.shown.last().kind == UserDialogs::Kind::Plain);
        answerEditor(&editor, QStringLiteral("Ann=Smith"), QStringLiteral("ann@example.org"), &stayedOpen);
        click(&list, "Button9");
        QVERIFY(stayedOpen);
        QVERIFY(f.dialogs.shown.last().text.contains(QLatin1String("\"=\"")));
        QCOMPARE(TestFiles::read(f.paths.config), firstRun);

        answerEditor(&editor, QStringLiteral(" Ann "), QStringLiteral(" ann@example.org "));
        click(&list, "Button9");
        QCOMPARE(editor.windowTitle(), QStringLiteral("Add ..."));
        answerEditor(&editor, QStringLiteral("Bob"), QStringLiteral("bob@example.org"));
        click(&list, "Button9");
        QVERIFY(TestFiles::read(f.paths.config).endsWith("[Address List]\r\nAnn=ann@example.org\r\nBob=bob@example.org\r\n"));
        QCOMPARE(rows->topLevelItemCount(), 2);

        const int boxes = f.dialogs.shown.size();
        click(&list, "Button10"); // nothing selected
        QCOMPARE(f.dialogs.shown.size(), boxes + 1);
        QCOMPARE(f.dialogs.shown.last().text, QStringLiteral("You must select one item!"));

        selectRow(&list, 0);
        then([&] {
            QCOMPARE(editor.windowTitle(), QStringLiteral("Edit ..."));
            QCOMPARE(child<QLineEdit>(&editor, "Edt_Mail")->text(), QStringLiteral("ann@example.org"));
            QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(&editor, "Edt_Name"));
        });
        answerEditor(&editor, QStringLiteral("Anne"), QStringLiteral("anne@example.org"));
        click(&list, "Button10");
        QCOMPARE(rows->topLevelItem(1)->text(0), QStringLiteral("Anne")); // renamed: moved to the end
        QCOMPARE(rows->topLevelItemCount(), 2);

        selectRow(&list, 0);
        click(&list, "Button11");
        QCOMPARE(f.dialogs.shown.last().text, QStringLiteral("Delete \"Bob\" (bob@example.org) from the address book?"));
        QCOMPARE(rows->topLevelItemCount(), 1);
        QCOMPARE(AddressBook(f.paths.config).LookupAddress("bob"), std::string());
    }

    // What the editor and the list ask before a change: No keeps the editor open with what
    // was typed, Yes goes on; a change of case keeps the entry's place without a question.
    void askBeforeChanges()
    {
        WindowFixture f;
        AddressBook(f.paths.config).StoreAddress("Anna", "anna@example.org");
        AddressBook(f.paths.config).StoreAddress("Bob", "bob@example.org");
        TFM_AddEdit editor(f.services);
        TFM_AddLst list(f.services, editor);
        auto *rows = child<QTreeWidget>(&list, "LstV_Add");
        using Answer = UserDialogs::Answer;
        f.dialogs.answers << Answer::No << Answer::No << Answer::Yes;
        then([&] {
            fillAndOk(&editor, QStringLiteral("ANNA"), QStringLiteral("call on Monday"));
            fillAndOk(&editor, QStringLiteral("ANNA"), QStringLiteral("a2@example.org"));
            QVERIFY(editor.isVisible());
            click(&editor, "Button7");
        });
        click(&list, "Button9");
        QCOMPARE(f.dialogs.shown.size(), 3);
        QVERIFY(f.dialogs.shown[0].text.startsWith(QStringLiteral("\"call on Monday\" is not a mail address")));
        QVERIFY(f.dialogs.shown[1].text.startsWith(QStringLiteral("The address book already has an entry \"Anna\"")));
        QVERIFY(f.dialogs.shown[1].buttons == UserDialogs::Buttons::YesNo);
        QCOMPARE(rows->topLevelItemCount(), 2);
        QCOMPARE(rows->topLevelItem(0)->text(1), QStringLiteral("a2@example.org"));

        selectRow(&list, 1);
        answerEditor(&editor, QStringLiteral("BOB"), QStringLiteral("bob@example.org"));
        click(&list, "Button10");
        QCOMPARE(rows->topLevelItem(1)->text(0), QStringLiteral("BOB"));
        QCOMPARE(f.dialogs.shown.size(), 3);
        selectRow(&list, 1);
        f.dialogs.answers << Answer::No;
        click(&list, "Button11");
        QCOMPARE(f.dialogs.shown.size(), 4);
        QCOMPARE(rows->topLevelItemCount(), 2);
    }

    // The window grows, the list and its columns with it, and each layout opens again at
    // its own size; the buttons answer Alt with their letters.
    void resizingAndKeys()
    {
        WindowFixture f;
        TFM_AddEdit editor(f.services);
        TFM_AddLst list(f.services, editor);
        auto *rows = child<QTreeWidget>(&list, "LstV_Add");
        QSize grown;
        then([&] {
            const int name = rows->columnWidth(0);
            grown = list.size() + QSize(300, 200);
            list.resize(grown);
            QTRY_VERIFY(rows->columnWidth(0) > name + 80 && rows->height() > 300);
            QApplication::setActiveWindow(&list);
            QTest::keyClick(&list, Qt::Key_C, Qt::AltModifier);
        });
        QVERIFY(!list.showModal(WindowOpener::AddressListUse::Manage));
        then([&] {
            QApplication::setActiveWindow(&list);
            QTest::keyClick(&list, Qt::Key_O, Qt::AltModifier);
        });
        QVERIFY(list.showModal(WindowOpener::AddressListUse::Pick));
        then([&] { list.reject(); });
        list.showModal(WindowOpener::AddressListUse::Manage);
        QCOMPARE(list.size(), grown);
    }

    // A yes/no question of the real dialogs has No as its default: Enter answers No.
    void yesNoDefaultsToNo()
    {
        WidgetDialogs dialogs(nullptr);
        then([] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
        QCOMPARE(dialogs.messageBox(UserDialogs::Kind::Confirmation, QStringLiteral("Vellorn"),
                                    QStringLiteral("Delete?"), UserDialogs::Buttons::YesNo),
                 UserDialogs::Answer::No);
    }

    // Names in other scripts are listed, picked, edited and deleted as typed; an entry whose
    // stored bytes are ambiguous (Windows-1252 that reads as UTF-8) is still edited in place.
    void entriesInAnyScript()
    {
        WindowFixture f;
        AddressBook(f.paths.config).StoreAddress("\xc3\xa9t\xc3\xa9", "old@example.org"); // bytes of "été" in UTF-8
        TFM_AddEdit editor(f.services);
        TFM_AddLst list(f.services, editor);
        auto *rows = child<QTreeWidget>(&list, "LstV_Add");
        answerEditor(&editor, QStringLiteral("Αλέξανδρος"), QStringLiteral("alex@example.gr"));
        click(&list, "Button9");
        answerEditor(&editor, QStringLiteral("张三"), QStringLiteral("zhang@example.cn"));
        click(&list, "Button9");
        QCOMPARE(rows->topLevelItemCount(), 3);
        QCOMPARE(rows->topLevelItem(0)->text(0), QStringLiteral("été"));
        QCOMPARE(rows->topLevelItem(1)->text(0), QStringLiteral("Αλέξανδρος"));
        QCOMPARE(AddressBook(f.paths.config).LookupAddressText(QStringLiteral("ΑΛΈΞΑΝΔΡΟΣ")), QStringLiteral("alex@example.gr"));

        selectRow(&list, 0);
        answerEditor(&editor, QStringLiteral("été"), QStringLiteral("new@example.org"));
        click(&list, "Button10");
        QCOMPARE(rows->topLevelItemCount(), 3);
        QCOMPARE(rows->topLevelItem(0)->text(1), QStringLiteral("new@example.org"));

        selectRow(&list, 2);
        click(&list, "Button11");
        QCOMPARE(rows->topLevelItemCount(), 2);
        QCOMPARE(AddressBook(f.paths.config).LookupAddressText(QStringLiteral("张三")), QString());
    }

    // "Add Address" from a menu: the editor alone.
    void addAddressEntryPoint()
    {
        WindowFixture f;
        TFM_AddEdit editor(f.services);
        answerEditor(&editor, QStringLiteral("Carol"), QStringLiteral("carol@example.org"));
        QVERIFY(editor.AddAddress());
        QCOMPARE(AddressBook(f.paths.config).LookupAddress("CAROL"), std::string("carol@example.org"));
        then([&] { click(&editor, "Button8"); });
        QVERIFY(!editor.AddAddress());
    }
};

QTEST_MAIN(TestAddressWindows)
#include "tst_addresswindows.moc"
