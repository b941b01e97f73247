#pragma once

#include <QString>

// Where an installed program finds the files that travel with it. Two layouts exist:
// - portable: everything in one folder (the build folder, or an install made with
//   VELLORN_PORTABLE): the help in "help/" and the helper programs beside the executable;
// - standard (a Linux prefix such as /usr or /opt/x): the programs in bin/, the help in
//   share/vellorn-composer/help/ and the helper programs in lib/vellorn-composer/.
// The layout is read from the files themselves, relative to the executable, so that one
// binary works under any prefix.
class InstallLayout
{
public:
    // `executableFolder` ends with "/" or not; every folder returned ends with "/".
    explicit InstallLayout(const QString &executableFolder);

    // True for a standard install: no help beside the executable, but one under share/.
    bool isStandard() const { return m_standard; }
    QString helpFolder() const;
    // The folder of the helper programs (vellorn-cli-draw, vellorn-cli-send) and the
    // companion library.
    QString privateFolder() const;

    static constexpr const char *StandardHelp = "../share/vellorn-composer/help/";
    static constexpr const char *StandardPrivate = "../lib/vellorn-composer/";

private:
    QString m_executableFolder;
    bool m_standard = false;
};
