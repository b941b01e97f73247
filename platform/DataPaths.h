#pragma once

#include <QString>

// Where the program's files are, computed once at start and handed to every window:
// Config.dat, MailBox.dat and the help pages.
struct DataPaths
{
    QString folder;  // the data folder, ending with "/"
    QString config;  // folder + "Config.dat"
    QString mailBox; // folder + "MailBox.dat"
    QString help;    // the folder of the help pages ("help/" beside the executable), ending with "/"
    QString executableFolder; // ending with "/"

    // All files beside the executable (the portable layout).
    static DataPaths besideExecutable(const QString &executableFolder)
    {
        QString exe = executableFolder;
        if (!exe.endsWith(QLatin1Char('/')))
            exe += QLatin1Char('/');
        return {exe, exe + QStringLiteral("Config.dat"), exe + QStringLiteral("MailBox.dat"),
                exe + QStringLiteral("help/"), exe};
    }
};
