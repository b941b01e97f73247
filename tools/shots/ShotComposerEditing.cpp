#include "composer/windows/ColorButton.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FindReplaceDialog.h"
#include "composer/windows/TFM_Cmps.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace {

// The composer's Replace window after a Replace All, on its own.
QWidget *replaceWindow(ShotContext &c)
{
    auto *w = new TFM_Cmps(c.services());
    w->Editor->setPlainText(QStringLiteral("Our concert starts at eight. After the concert, tea is served."));
    w->triggerCommand(QStringLiteral("EditReplaceCmd"));
    FindReplaceDialog *d = w->findDialog();
    d->setFindText(QStringLiteral("concert"));
    d->Edt_Replace->setText(QStringLiteral("recital"));
    d->CHK_WholeWords->setChecked(true);
    d->BT_ReplaceAll->click();
    d->setParent(nullptr, d->windowFlags());
    QObject::connect(d, &QObject::destroyed, [w] { delete w; });
    return d;
}

// The drop-down of the text colour button.
QWidget *colorMenu(ShotContext &c)
{
    auto *w = new TFM_Cmps(c.services());
    QMenu *menu = w->FontColorButton->colorMenu();
    menu->setParent(nullptr, menu->windowFlags());
    QObject::connect(menu, &QObject::destroyed, [w] { delete w; });
    return menu;
}

const bool added = ShotRegistry::add(QStringLiteral("composer-find"), replaceWindow)
                   && ShotRegistry::add(QStringLiteral("composer-color-menu"), colorMenu);

} // namespace
