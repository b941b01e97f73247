#include "tests/support/TestFiles.h"

#include <QFile>
#include <QProcess>
#include <sys/stat.h>

namespace TestFiles {

QByteArray read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

std::string readString(const QString &path)
{
    const QByteArray b = read(path);
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

int unixMode(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return static_cast<int>(st.st_mode & 07777);
}

QString dataPath(const QString &name)
{
    return QStringLiteral(VELLORN_TEST_DATA) + QLatin1Char('/') + name;
}

int runPython(const QString &script, const QStringList &args, QByteArray *out, QByteArray *err,
              const QByteArray &input, int timeoutMs)
{
    QProcess p;
    p.start(QStringLiteral(VELLORN_PYTHON3), QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForStarted())
        return -1;
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (out)
        *out = p.readAllStandardOutput();
    if (err)
        *err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace TestFiles
