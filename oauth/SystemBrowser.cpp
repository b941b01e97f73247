#include "oauth/SystemBrowser.h"

#include <QProcess>

namespace SystemBrowser {

bool open(const QUrl &url)
{
    const QString address = url.toString(QUrl::FullyEncoded);
    QStringList command = QProcess::splitCommand(qEnvironmentVariable("BROWSER"));
    if (command.isEmpty())
        command = {QStringLiteral("xdg-open")};
    bool placed = false;
    for (QString &word : command)
        if (word.contains(QLatin1String("%s"))) {
            word.replace(QLatin1String("%s"), address);
            placed = true;
        }
    if (!placed)
        command << address;
    const QString program = command.takeFirst();
    return QProcess::startDetached(program, command);
}

} // namespace SystemBrowser
