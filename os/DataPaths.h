#pragma once

#include <QString>

#include <functional>

// Where the program's files are, computed once at start and handed to every window:
// Config.dat, MailBox.dat and the help pages.
struct DataPaths
{
    QString folder;  // the data folder, ending with "/"
    QString config;  // folder + "Config.dat"
    QString mailBox; // folder + "MailBox.dat"
    QString help;    // the folder of the help pages ("help/" beside the executable), ending with "/"
    QString executableFolder; // ending with "/"
    QString dictionaries = QStringLiteral("/usr/share/hunspell/"); // the spell checker's (Hunspell's)

    // All files beside the executable (the portable layout).
    static DataPaths besideExecutable(const QString &executableFolder)
    {
        QString exe = executableFolder;
        if (!exe.endsWith(QLatin1Char('/')))
            exe += QLatin1Char('/');
        return {exe, exe + QStringLiteral("Config.dat"), exe + QStringLiteral("MailBox.dat"),
                exe + QStringLiteral("help/"), exe, QStringLiteral("/usr/share/hunspell/")};
    }

    // The folder the data files live in: beside the executable when that folder already
    // holds Config.dat or can be written (a portable folder, as always); otherwise, for a
    // program installed where the user cannot write or installed under a prefix
    // (InstallLayout), `userFolder`, created when missing. The help pages are where the
    // install put them, whichever folder holds the data.
    static DataPaths choose(const QString &executableFolder, const QString &userFolder,
                            const std::function<bool(const QString &folder)> &canWrite = folderWritable);

    // Where unsaved letters are kept while they are written: "Recovery" in the data folder,
    // or in `userFolder` when that cannot be written there (a data folder that may only
    // be read): copies that cannot be written protect nothing.
    static QString recoveryFolder(const QString &dataFolder, const QString &userFolder,
                                  const std::function<bool(const QString &folder)> &canWrite = folderWritable);

    // The user's own data folder for the program (~/.local/share/vellorn-composer/).
    static QString userDataFolder();

    // True when a file can be created in `folder` (tried, not guessed from permission bits).
    static bool folderWritable(const QString &folder);
};
