#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string>

// File helpers for tests.
namespace TestFiles {

QByteArray read(const QString &path);
void write(const QString &path, const QByteArray &bytes);
std::string readString(const QString &path);
QString dataPath(const QString &name); // tests/data/<name>
// The file's permission bits as chmod writes them (0600), -1 when it does not exist.
int unixMode(const QString &path);

// Runs Debian's python3 with a script and arguments; returns its exit code and fills
// stdout/stderr. -1 when python3 could not be started.
int runPython(const QString &script, const QStringList &args, QByteArray *out = nullptr,
              QByteArray *err = nullptr, const QByteArray &input = {}, int timeoutMs = 120000);

} // namespace TestFiles
