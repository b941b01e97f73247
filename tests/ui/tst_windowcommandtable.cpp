#include "tests/support/windows/CommandTableCheck.h"
#include "ui/WindowCommandTable.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

Q_DECLARE_METATYPE(std::vector<WindowCommand>)

namespace {

QStringList itemsOf(QMenu *menu)
{
    QStringList items;
    for (QAction *a : menu->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return items;
}

} // namespace

// A window's commands made from their table, and the checks of a table against the keys
// help page.
class TestWindowCommandTable : public QObject
{
    Q_OBJECT

private slots:
    void makesMenusInTableOrder()
    {
        QMainWindow window;
        int opened = 0;
        int sorted = 0;
        using W = WindowCommand;
        WindowCommandTable table(&window, {
            {.name = "KeyOnly", .caption = "Help", .keys = {QKeySequence(Qt::Key_F1)}},
            W::menuRow("File1", "&File"),
            {.name = "Open1", .caption = "&Open", .menu = "File1", .keys = {QKeySequence(Qt::CTRL | Qt::Key_O)},
             .handler = [&] { ++opened; }, .hint = "Open a file"},
            W::separator("File1"),
            W::menuRow("Sort1", "&Sort", "File1"),
            {.name = "ByName1", .caption = "By &Name", .menu = "Sort1", .handler = [&] { ++sorted; }},
            {.name = "Quit1", .caption = "&Quit", .menu = "File1"},
            W::menuRow("Edit1", "&Edit"),
            W::popupRow("Popup1"),
            {.name = "Open2", .caption = "&Open", .menu = "Popup1", .handler = [&] { ++opened; }},
        });
        table.makeActions();
        QAction *open = table.action(QStringLiteral("Open1"));
        QVERIFY(open);
        QCOMPARE(open->parent(), &window); // made before the menus, for the tool buttons
        auto *bar = new QMenuBar(&window);
        table.makeMenus(bar);
        QCOMPARE(table.action(QStringLiteral("Open1")), open); // not made twice

        QStringList titles;
        for (QAction *a : bar->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"&File", "&Edit"}));
        QMenu *file = table.menu(QStringLiteral("File1"));
        QCOMPARE(itemsOf(file), (QStringList{"&Open", "-", "&Sort", "&Quit"}));
        QCOMPARE(itemsOf(table.menu(QStringLiteral("Sort1"))), QStringList{"By &Name"});
        QCOMPARE(bar->findChild<QMenu *>(QStringLiteral("Sort1")), table.menu(QStringLiteral("Sort1")));
        QMenu *popup = table.menu(QStringLiteral("Popup1"));
        QCOMPARE(popup->parent(), &window);
        QVERIFY(popup->actions().contains(table.action(QStringLiteral("Open2"))));

        // Keys work anywhere in the window; a command without keys is only in its menu.
        QCOMPARE(open->shortcutContext(), Qt::WindowShortcut);
        QCOMPARE(open->statusTip(), QStringLiteral("Open a file"));
        QVERIFY(window.actions().contains(open));
        QVERIFY(window.actions().contains(table.action(QStringLiteral("KeyOnly"))));
        QVERIFY(!window.actions().contains(table.action(QStringLiteral("Quit1"))));

        QVERIFY(table.trigger(QStringLiteral("Open1")));
        QVERIFY(table.trigger(QStringLiteral("Open2")));
        QVERIFY(table.trigger(QStringLiteral("ByName1")));
        QCOMPARE(opened, 2);
        QCOMPARE(sorted, 1);
        open->setEnabled(false);
        QVERIFY(!table.trigger(QStringLiteral("Open1")));
        QVERIFY(!table.trigger(QStringLiteral("File1"))); // a menu is not a command
        QCOMPARE(opened, 2);
    }

    // Without makeActions first, a command is made as a child of its menu.
    void commandsOfMenusMadeFirst()
    {
        QMainWindow window;
        using W = WindowCommand;
        WindowCommandTable table(&window, {W::popupRow("Popup1"), {.name = "Open2", .caption = "&Open", .menu = "Popup1"},
                                           {.name = "Key", .caption = "Key", .keys = {QKeySequence(Qt::Key_F2)}}});
        table.makeMenus(new QMenuBar(&window));
        QCOMPARE(table.menu(QStringLiteral("Popup1"))->findChild<QAction *>(QStringLiteral("Open2")),
                 table.action(QStringLiteral("Open2")));
        QCOMPARE(table.action(QStringLiteral("Key"))->parent(), &window);
        QVERIFY(window.actions().contains(table.action(QStringLiteral("Key"))));
    }

    void readsTheKeysOfOneSection()
    {
        const QString html = QStringLiteral(
            "<h2 id=\"one\">One</h2><table><tr><th>Key</th></tr>"
            "<tr><td>Ctrl+B, Ctrl+I</td><td>x</td></tr>\n<tr><td>Alt+<i>letter</i></td><td>y</td></tr>"
            "<tr><td>Ctrl+Shift+Delete</td><td>z</td></tr></table>"
            "<h2 id=\"two\">Two</h2><table><tr><td>F12</td><td>x</td></tr></table>");
        const QSet<QKeySequence> one = CommandTableCheck::keysOnPage(html, QStringLiteral("one"));
        QCOMPARE(one, (QSet<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_B), QKeySequence(Qt::CTRL | Qt::Key_I),
                                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)}));
        QCOMPARE(CommandTableCheck::keysOnPage(html, QStringLiteral("two")), QSet<QKeySequence>{QKeySequence(Qt::Key_F12)});
        QVERIFY(CommandTableCheck::keysOnPage(html, QStringLiteral("three")).isEmpty());
        QVERIFY(CommandTableCheck::keysOnPage(CommandTableCheck::keysPage(), QStringLiteral("composer"))
                    .contains(QKeySequence(Qt::CTRL | Qt::Key_Return)));
    }

    void findsWhatIsWrongWithATable_data()
    {
        using W = WindowCommand;
        using K = QKeySequence;
        QTest::addColumn<std::vector<WindowCommand>>("rows");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("sound") << std::vector<W>{W::menuRow("M", "&Menu"), {.name = "A", .caption = "&A", .menu = "M", .keys = {K(Qt::Key_F2)}},
                                                 {.name = "B", .caption = "&B", .menu = "M"}}
                               << QStringList{};
        QTest::newRow("key not on the page")
            << std::vector<W>{{.name = "A", .caption = "A", .keys = {K(Qt::Key_F5)}}}
            << QStringList{"A: F5 is not on the keys page"};
        QTest::newRow("shared key")
            << std::vector<W>{{.name = "A", .caption = "A", .keys = {K(Qt::Key_F2)}}, {.name = "B", .caption = "B", .keys = {K(Qt::Key_F2)}}}
            << QStringList{"B: F2 is also the key of A"};
        QTest::newRow("shared mnemonic")
            << std::vector<W>{W::menuRow("M", "&Menu"), {.name = "A", .caption = "&Open", .menu = "M"},
                              W::menuRow("S", "&other", "M")}
            << QStringList{"S: &o is also the mnemonic of A"};
        QTest::newRow("menus in the bar")
            << std::vector<W>{W::menuRow("M", "&Menu"), W::menuRow("N", "&more")}
            << QStringList{"N: &m is also the mnemonic of M"};
        QTest::newRow("same letter in two menus")
            << std::vector<W>{W::menuRow("M", "&Menu"), W::menuRow("N", "&New"), {.name = "A", .caption = "&Open", .menu = "M"},
                              {.name = "B", .caption = "&Open", .menu = "N"}}
            << QStringList{};
        QTest::newRow("no mnemonic")
            << std::vector<W>{W::menuRow("M", "&Menu"), {.name = "A", .caption = "Open", .menu = "M"},
                              {.name = "B", .caption = "Rock && Roll", .menu = "M"}}
            << QStringList{"A: \"Open\" has no mnemonic", "B: \"Rock && Roll\" has no mnemonic"};
    }
    void findsWhatIsWrongWithATable()
    {
        QFETCH(std::vector<WindowCommand>, rows);
        QFETCH(QStringList, problems);
        QCOMPARE(CommandTableCheck::problems(rows, {QKeySequence(Qt::Key_F2)}), problems);
    }
};

QTEST_MAIN(TestWindowCommandTable)
#include "tst_windowcommandtable.moc"
