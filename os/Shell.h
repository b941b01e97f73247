#pragma once

#include <QString>
#include <QUrl>

// The shell's "open" verb: .eml files go to the desktop's mail program, web and mail
// links to their handlers. Tests record what would have been opened.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual bool openUrl(const QUrl &url) = 0;
    bool openFile(const QString &path) { return openUrl(QUrl::fromLocalFile(path)); }
};
