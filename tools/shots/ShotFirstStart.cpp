#include "config/windows/FirstStartDialog.h"
#include "config/windows/NumberBox.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

template <class W>
W *child(QWidget *window, const char *name)
{
    return window->findChild<W *>(QString::fromLatin1(name));
}

// The first start's account questions, as they stand after Find settings answered from
// the configuration database. The shot has a form of its own: Save is never pressed.
QWidget *firstStart(ShotContext &c, bool oauth2)
{
    static ConfigForm form;
    form = c.config().form;
    auto *dialog = new FirstStartDialog(c.services(), form, c.config().password);
    child<QLineEdit>(dialog, "Edt_FromName")->setText(QStringLiteral("Ann Example"));
    child<QLineEdit>(dialog, "Edt_FromAdd")
        ->setText(oauth2 ? QStringLiteral("ann@gmail.com") : QStringLiteral("ann@example.com"));
    child<QLineEdit>(dialog, "Edt_Pass")->setText(QStringLiteral("password"));
    child<QLabel>(dialog, "LB_Found")
        ->setText(oauth2 ? QStringLiteral("Found in the built-in table (Google).")
                         : QStringLiteral("Found in https://autoconfig.example.com/mail/config-v1.1.xml."));
    child<QLineEdit>(dialog, "Edt_Host")
        ->setText(oauth2 ? QStringLiteral("smtp.gmail.com") : QStringLiteral("smtp.example.com"));
    child<NumberBox>(dialog, "Edt_Port")->setValue(oauth2 ? 465 : 587);
    child<QComboBox>(dialog, "CBX_Security")->setCurrentIndex(oauth2 ? 1 : 2);
    return dialog;
}

const bool added = ShotRegistry::add(QStringLiteral("first-start"), [](ShotContext &c) { return firstStart(c, false); })
    && ShotRegistry::add(QStringLiteral("first-start-oauth2"), [](ShotContext &c) { return firstStart(c, true); });

} // namespace
