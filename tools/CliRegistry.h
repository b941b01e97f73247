#pragma once

#include <QStringList>
#include <functional>

// vellorn-cli's command table. Each Cli*.cpp file registers its subcommands with a
// static CliCommand object, so a subsystem adds commands without touching the dispatcher.
class CliRegistry
{
public:
    // args: the words after the command name. Returns the exit code.
    using Handler = std::function<int(const QStringList &args)>;

    struct Entry
    {
        QString name;
        QString usage;   // one line, shown by "vellorn-cli help"
        Handler handler;
    };

    static void add(Entry entry);
    static const Entry *find(const QString &name);
    static QList<Entry> entries();
};

struct CliCommand
{
    CliCommand(const char *name, const char *usage, CliRegistry::Handler handler)
    {
        CliRegistry::add({QString::fromLatin1(name), QString::fromLatin1(usage), std::move(handler)});
    }
};
