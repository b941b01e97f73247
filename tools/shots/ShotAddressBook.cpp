#include "addressbook/windows/TFM_AddEdit.h"
#include "addressbook/windows/TFM_AddLst.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"

#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

TFM_AddLst *addressList(ShotContext &c, TFM_AddLst::Use use)
{
    auto *editor = new TFM_AddEdit(c.services());
    auto *list = new TFM_AddLst(c.services(), *editor);
    editor->setParent(list, editor->windowFlags()); // deleted with the list
    list->setUse(use);
    return list;
}

// Clicks the named button after the list was shown (showing empties the pick lists).
void pick(TFM_AddLst *list, int row, const char *button)
{
    QTimer::singleShot(0, list, [list, row, button] {
        auto *rows = list->findChild<QTreeWidget *>(QStringLiteral("LstV_Add"));
        rows->setCurrentItem(rows->topLevelItem(row));
        list->findChild<QPushButton *>(QLatin1String(button))->click();
    });
}

const bool added =
    ShotRegistry::add(QStringLiteral("address-list"),
                      [](ShotContext &c) -> QWidget * { return addressList(c, TFM_AddLst::Use::Manage); })
    && ShotRegistry::add(QStringLiteral("address-list-pick"),
                         [](ShotContext &c) -> QWidget * {
                             TFM_AddLst *list = addressList(c, TFM_AddLst::Use::Pick);
                             pick(list, 0, "Button3");
                             pick(list, 1, "Button3");
                             pick(list, 2, "Button1");
                             return list;
                         })
    && ShotRegistry::add(QStringLiteral("address-editor"), [](ShotContext &c) -> QWidget * {
           auto *editor = new TFM_AddEdit(c.services());
           editor->setEntry(QStringLiteral("Edit ..."), "Carol Jones", "carol@example.org");
           return editor;
       });

} // namespace
