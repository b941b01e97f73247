#include "shell/windows/TFm_About.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"

static const bool added = ShotRegistry::add(QStringLiteral("about"), [](ShotContext &c) -> QWidget * {
    return new TFm_About(c.services());
});
