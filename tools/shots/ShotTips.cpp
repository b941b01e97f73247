#include "ShotContext.h"
#include "ShotRegistry.h"
#include "TFM_Tips.h"

static const bool added = ShotRegistry::add(QStringLiteral("tips"), [](ShotContext &c) -> QWidget * {
    auto *tips = new TFM_Tips(c.services());
    tips->Button2Click(); // the cancel tip: the longest text
    tips->Button2Click();
    return tips;
});
