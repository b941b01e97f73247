#include "config/windows/TFm_Set.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"


namespace {

QWidget *configuration(ShotContext &c, int page)
{
    auto *dialog = new TFm_Set(c.services(), c.config().form, c.config().password);
    dialog->setPage(page);
    return dialog;
}

const bool added = ShotRegistry::add(QStringLiteral("configuration-picture"),
                                     [](ShotContext &c) { return configuration(c, 0); })
    && ShotRegistry::add(QStringLiteral("configuration-smtp"), [](ShotContext &c) { return configuration(c, 1); })
    && ShotRegistry::add(QStringLiteral("configuration-info"), [](ShotContext &c) { return configuration(c, 2); });

// The SMTP page with the browser's sign-in chosen, for the Microsoft preset.
// The dialog shows its form's values whenever it is shown: the shot has a form of its own.
QWidget *configurationOAuth2(ShotContext &c)
{
    static ConfigForm form;
    form = c.config().form;
    form.CBX_Auth = "OAuth2";
    form.CBX_Provider = "Microsoft";
    form.Edt_Host = "smtp.office365.com";
    form.Edt_User = "ann@example.com";
    form.Edt_Pass.clear();
    auto *dialog = new TFm_Set(c.services(), form, c.config().password);
    dialog->setPage(1);
    return dialog;
}

const bool addedOAuth2 = ShotRegistry::add(QStringLiteral("configuration-smtp-oauth2"), &configurationOAuth2);

} // namespace
