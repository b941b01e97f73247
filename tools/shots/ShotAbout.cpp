#include "ShotContext.h"
#include "ShotRegistry.h"
#include "TFm_About.h"

static const bool added = ShotRegistry::add(QStringLiteral("about"), [](ShotContext &c) -> QWidget * {
    return new TFm_About(c.services());
});
