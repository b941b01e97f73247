#include "shell/windows/TFM_Tips.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"

static const bool added = ShotRegistry::add(QStringLiteral("tips"), [](ShotContext &c) -> QWidget * {
    auto *tips = new TFM_Tips(c.services());
    tips->Button2Click(); // the cancel tip: the longest text
    tips->Button2Click();
    return tips;
});
