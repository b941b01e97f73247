#include "ComposerEditor.h"
#include "FindReplaceDialog.h"
#include "ShotContext.h"
#include "ShotRegistry.h"
#include "TFM_Cmps.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The composer's Replace window after a Replace All, on its own.
QWidget *replaceWindow(ShotContext &c)
{
    auto *w = new TFM_Cmps(c.services());
    w->Editor->setPlainText(QStringLiteral("Our concert starts at eight. After the concert, tea is served."));
    w->Replace1Click();
    FindReplaceDialog *d = w->findDialog();
    d->setFindText(QStringLiteral("concert"));
    d->Edt_Replace->setText(QStringLiteral("recital"));
    d->CHK_WholeWords->setChecked(true);
    d->BT_ReplaceAll->click();
    d->setParent(nullptr, d->windowFlags());
    QObject::connect(d, &QObject::destroyed, [w] { delete w; });
    return d;
}

const bool added = ShotRegistry::add(QStringLiteral("composer-find"), replaceWindow);

} // namespace
