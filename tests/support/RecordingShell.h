#pragma once

#include "os/Shell.h"

#include <QList>

// Records the URLs the program would have opened.
class RecordingShell : public Shell
{
public:
    QList<QUrl> opened;
    bool result = true;

    bool openUrl(const QUrl &url) override
    {
        opened.append(url);
        return result;
    }
};
