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

} // namespace
