#include "tools/CliSupport.h"

#include "os/FileBytes.h"

#include <QFile>
#include <cstdio>

namespace Cli {

int fail(const QString &message)
{
    std::fprintf(stderr, "vellorn-cli: %s\n", message.toLocal8Bit().constData());
    return 1;
}

std::optional<QString> takeOption(QStringList &args, const QString &name, bool *error)
{
    const qsizetype i = args.indexOf(name);
    if (i < 0)
        return std::nullopt;
    if (i + 1 >= args.size()) {
        fail(QStringLiteral("option %1 needs a value").arg(name));
        if (error)
            *error = true;
        args.removeAt(i);
        return std::nullopt;
    }
    const QString value = args.at(i + 1);
    args.remove(i, 2);
    return value;
}

QStringList takeAllOptions(QStringList &args, const QString &name, bool *error)
{
    QStringList values;
    while (args.contains(name)) {
        bool bad = false;
        const std::optional<QString> v = takeOption(args, name, &bad);
        if (bad) {
            if (error)
                *error = true;
            break;
        }
        values << *v;
    }
    return values;
}

bool takeFlag(QStringList &args, const QString &name)
{
    return args.removeAll(name) > 0;
}

std::optional<std::string> readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
        return std::nullopt;
    }
    std::string data;
    if (!FileBytes::readAll(f, data)) {
        fail(QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
        return std::nullopt;
    }
    return data;
}

bool writeFile(const QString &path, const std::string &bytes)
{
    return writeFile(path, {std::string_view(bytes)});
}

bool writeFile(const QString &path, std::initializer_list<std::string_view> pieces)
{
    return writeFile(path, [pieces](const PieceSink &sink) {
        for (const std::string_view piece : pieces)
            sink(piece);
    });
}

bool writeFile(const QString &path, const std::function<void(const PieceSink &)> &write)
{
    QFile f(path);
    bool ok = f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (ok)
        write([&f, &ok](std::string_view piece) {
            ok = ok && f.write(piece.data(), static_cast<qint64>(piece.size())) == static_cast<qint64>(piece.size());
        });
    if (!ok || !f.flush()) {
        fail(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
        return false;
    }
    return true;
}

void writeStdout(const std::string &bytes)
{
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

} // namespace Cli
