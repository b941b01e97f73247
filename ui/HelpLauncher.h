#pragma once

#include <QString>

class QObject;

// Opens pages of the program's help. The target is the executable's folder followed by a
// page path such as "\help.chm::/html\Vellorn.htm"; command 0 shows that page.
class HelpLauncher
{
public:
    virtual ~HelpLauncher() = default;
    // window: the window that asks (may be null). Returns 0 when the page could not be shown.
    virtual int HtmlHelp(QObject *window, const QString &target, int command = 0, int data = 0) = 0;
};
