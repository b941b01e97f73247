#include "tools/CliRegistry.h"
#include "tools/CliSupport.h"

#include "config/DataFiles.h"
#include "mailbox/BoxTable.h"
#include "mailbox/MailStore.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <string>

// vellorn-cli store: the mail store (MailBox.dat) from the command line.
namespace {

const char Usage[] = "store list FILE | append FILE MAILFILE... [--box u|s|t] [--attach Y|N] | read FILE POS"
                     " | set-box FILE POS CODE | purge FILE | check FILE";

std::optional<std::int64_t> parsePosition(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < 0 || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return value;
}

int usage()
{
    return Cli::fail(QStringLiteral("usage: vellorn-cli %1").arg(QLatin1String(Usage)));
}

// The code of a one-letter argument.
std::optional<BoxCode> boxCodeOf(const QString &text)
{
    return text.size() == 1 ? BoxTable::fromByte(text.at(0).toLatin1()) : std::nullopt;
}

int list(const MailStore &store)
{
    std::string out;
    for (const MailSummary &s : store.ScanStore()) {
        // Names and subjects as the mail list shows them, in UTF-8 for the terminal.
        out += std::to_string(s.position) + '\t' + s.boxCode + '\t' + s.attachFlag + '\t' + s.sizeText + '\t' + s.toText.toStdString()
               + '\t' + s.subjectText.toStdString() + '\t' + s.date + '\n';
    }
    Cli::writeStdout(out);
    return 0;
}

// A mail file could not be read (the reason is already printed).
struct NothingAppended
{
};

int append(const MailStore &store, QStringList args)
{
    bool bad = false;
    const QString box = Cli::takeOption(args, QStringLiteral("--box"), &bad).value_or(QStringLiteral("u"));
    const QString attach = Cli::takeOption(args, QStringLiteral("--attach"), &bad).value_or(QStringLiteral("N"));
    if (bad)
        return 1;
    if (args.isEmpty())
        return usage();
    const std::optional<BoxCode> code = boxCodeOf(box);
    if (!code || *code == BoxCode::Deleted)
        return Cli::fail(QStringLiteral("--box must be u, s or t"));
    if (attach != QLatin1String("Y") && attach != QLatin1String("N"))
        return Cli::fail(QStringLiteral("--attach must be Y or N"));
    // Every mail file must open before the store is touched: a wrong name in a long list
    // leaves the store as it was (and a new one unmade) with a one-line message.
    for (const QString &path : std::as_const(args)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return Cli::fail(QStringLiteral("cannot read %1: %2 (nothing appended)").arg(path, file.errorString()));
    }
    // A store that does not exist yet is made, as the program's first start makes it: the
    // command line can fill a new store without the program having run.
    DataFiles::ensureMailBoxFile(store.path());
    // All the mails in one batch: one lock and one flush of the disk for the whole call.
    // A mail file that cannot be read after all, or a write that fails (a full disk),
    // takes the whole batch back, so the same call can simply be run again; the positions are
    // printed once every record is on the disk.
    std::vector<std::int64_t> positions;
    try {
        positions = store.AppendMails(static_cast<std::size_t>(args.size()), BoxTable::byte(*code), attach.at(0).toLatin1(),
                                      [&args](std::size_t i) {
                                          const QString &path = args.at(static_cast<qsizetype>(i));
                                          std::optional<std::string> text = Cli::readFile(path);
                                          if (!text)
                                              throw NothingAppended();
                                          return std::move(*text);
                                      });
    } catch (const NothingAppended &) {
        std::fputs("vellorn-cli: nothing appended\n", stderr);
        return 1;
    }
    std::string out;
    for (const std::int64_t position : positions)
        out += std::to_string(position) + '\n';
    Cli::writeStdout(out);
    return 0;
}

int check(const MailStore &store)
{
    int records = 0;
    int damaged = 0;
    std::string out;
    for (const StoreWalker::Step &step : store.walkStore()) {
        if (step.isRecord) {
            ++records;
            continue;
        }
        ++damaged;
        out += "damaged stretch at offset " + std::to_string(step.start) + ", " + std::to_string(step.end - step.start)
               + " bytes\n";
    }
    // A file cut inside its 100-byte header holds no records and takes none.
    const std::int64_t size = QFileInfo(store.path()).size();
    if (size < MailStore::HeaderSize) {
        ++damaged;
        out += "the file is " + std::to_string(size) + " bytes long, shorter than its 100-byte header\n";
    }
    out += std::to_string(records) + " records, " + std::to_string(damaged) + " damaged stretches\n";
    Cli::writeStdout(out);
    return damaged > 0 ? 1 : 0;
}

int storeCommand(const QStringList &all)
{
    if (all.size() < 2)
        return usage();
    const QString verb = all.at(0);
    const MailStore store(all.at(1));
    const QStringList args = all.mid(2);

    if (verb == QLatin1String("list") && args.isEmpty())
        return list(store);
    if (verb == QLatin1String("append"))
        return append(store, args);
    if (verb == QLatin1String("read") && args.size() == 1) {
        const std::optional<std::int64_t> position = parsePosition(args.at(0));
        if (!position)
            return Cli::fail(QStringLiteral("not a position: %1").arg(args.at(0)));
        Cli::writeStdout(store.ReadMailText(*position));
        return 0;
    }
    if (verb == QLatin1String("set-box") && args.size() == 2) {
        const std::optional<std::int64_t> position = parsePosition(args.at(0));
        if (!position)
            return Cli::fail(QStringLiteral("not a position: %1").arg(args.at(0)));
        const std::optional<BoxCode> code = boxCodeOf(args.at(1));
        if (!code)
            return Cli::fail(QStringLiteral("the box code must be u, s, t or D"));
        store.SetBoxCode(*position, *code);
        return 0;
    }
    if (verb == QLatin1String("purge") && args.isEmpty()) {
        store.PurgeDeleted();
        return 0;
    }
    if (verb == QLatin1String("check") && args.isEmpty())
        return check(store);
    return usage();
}

CliCommand storeCmd("store", "store list|append|read|set-box|purge|check FILE ...  the mail store", &storeCommand);

} // namespace
