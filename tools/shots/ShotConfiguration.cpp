#include "config/ConfigForm.h"
#include "config/windows/TFm_Set.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"

namespace {

QWidget *configuration(ShotContext &c, int page)
{
    // Outlives every dialog photographed (each loads it afresh).
    static ConfigForm form;
    auto *dialog = new TFm_Set(c.services(), form);
    dialog->setPage(page);
    return dialog;
}

const bool added = ShotRegistry::add(QStringLiteral("configuration-picture"),
                                     [](ShotContext &c) { return configuration(c, 0); })
    && ShotRegistry::add(QStringLiteral("configuration-smtp"), [](ShotContext &c) { return configuration(c, 1); })
    && ShotRegistry::add(QStringLiteral("configuration-info"), [](ShotContext &c) { return configuration(c, 2); });

} // namespace
