#include "shell/HelpPages.h"
#include "shell/windows/HelpWindow.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"

static const bool added = ShotRegistry::add(QStringLiteral("help"), [](ShotContext &c) -> QWidget * {
    const QString home = HelpPages::homeFile(c.paths());
    auto *window = new HelpWindow(c.services().shell, home);
    window->showPage(home);
    return window;
});
