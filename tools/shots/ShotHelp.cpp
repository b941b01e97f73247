#include "HelpPages.h"
#include "HelpWindow.h"
#include "ShotContext.h"
#include "ShotRegistry.h"

static const bool added = ShotRegistry::add(QStringLiteral("help"), [](ShotContext &c) -> QWidget * {
    const QString home = HelpPages::homeFile(c.paths());
    auto *window = new HelpWindow(c.services().shell, home);
    window->showPage(home);
    return window;
});
