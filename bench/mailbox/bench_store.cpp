// The mail store on a large generated file: listing with a warm cache (time and bytes
// read), marking records deleted, and the purge beside a plain copy of the same file.
//
//   mailbox_bench_store [MAILS] [FOLDER]     defaults: 10000 mails in /tmp
//   mailbox_bench_store --scan FILE         listing only, on an existing store
#include "bench/mailbox/StoreGenerator.h"
#include "mailbox/MailStore.h"
#include "mailbox/RecordHeader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/statvfs.h>
#include <vector>

namespace {

using StoreGenerator::MaxMail;
using StoreGenerator::MinMail;

// Bytes read by this process so far (every read and pread call counts).
std::int64_t bytesReadSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::int64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

double seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

double runShell(const QString &command)
{
    QElapsedTimer t;
    t.start();
    QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    return seconds(t);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--scan") {
        // Listing only, on an existing store (for profiling).
        const MailStore store(QString::fromLocal8Bit(argv[2]));
        store.ScanStore();
        QElapsedTimer t;
        t.start();
        std::size_t n = 0;
        for (int run = 0; run < 20; ++run)
            n = store.ScanStore().size();
        std::printf("ScanStore: %zu mails, %.1f ms per listing\n", n, seconds(t) * 1e3 / 20);
        return 0;
    }
    int mails = argc > 1 ? std::atoi(argv[1]) : 10000;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();

    // The store, its copy and the purge's new file lie side by side.
    struct statvfs fs{};
    const std::int64_t averageRecord = (MinMail + MaxMail) / 2 + 20;
    if (statvfs(QFile::encodeName(folder).constData(), &fs) == 0) {
        const std::int64_t free = std::int64_t(fs.f_bavail) * std::int64_t(fs.f_frsize);
        const std::int64_t need = 3 * averageRecord * mails + (256 << 20);
        if (need > free) {
            const int fit = int(std::max<std::int64_t>(100, (free - (256 << 20)) / (3 * averageRecord)));
            std::printf("note: %.1f GB free in %s, too little for %d mails; scaled down to %d mails\n",
                        double(free) / 1e9, qPrintable(folder), mails, fit);
            mails = fit;
        }
    }

    QTemporaryDir dir(folder + QStringLiteral("/vellorn-bench-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a folder in %s\n", qPrintable(folder));
        return 1;
    }
    const QString path = dir.filePath(QStringLiteral("MailBox.dat"));

    QElapsedTimer t;
    t.start();
    QRandomGenerator rng(2002);
    const std::vector<std::int64_t> positions = StoreGenerator::writeStore(path, mails, "ust", rng);
    const std::int64_t storeSize = QFileInfo(path).size();
    std::printf("store: %d mails of 20-200 KB, %.2f GB (%lld bytes), generated in %.1f s\n", mails,
                double(storeSize) / 1e9, static_cast<long long>(storeSize), seconds(t));

    const MailStore store(path);
    store.ScanStore();   // warms the cache
    std::vector<double> times;
    std::int64_t readBytes = 0;
    for (int run = 0; run < 5; ++run) {
        const std::int64_t before = bytesReadSoFar();
        t.start();
        const std::vector<MailSummary> list = store.ScanStore();
        times.push_back(seconds(t));
        readBytes = bytesReadSoFar() - before;
        if (int(list.size()) != mails)
            std::printf("error: listed %zu records\n", list.size());
    }
    std::sort(times.begin(), times.end());
    std::printf("ScanStore (warm cache): best %.1f ms, median %.1f ms; %lld bytes read (%.0f per mail; "
                "headers and windows are at most %d per mail)\n",
                times.front() * 1e3, times[2] * 1e3, static_cast<long long>(readBytes),
                double(readBytes) / mails, int(RecordHeader::Size + MailSummary::WindowSize));

    // Every tenth mail deleted; each mark is flushed to the disk.
    t.start();
    int marked = 0;
    for (int i = 9; i < mails; i += 10, ++marked)
        store.SetBoxCode(positions[size_t(i)], "D");
    std::printf("SetBoxCode: %d marks in %.2f s (%.2f ms each, flushed to disk)\n", marked, seconds(t),
                seconds(t) * 1e3 / std::max(1, marked));

    t.start();
    store.AppendMail(StoreGenerator::mailText(mails, 100 * 1024, rng), 'u', 'N');
    std::printf("AppendMail of 100 KB (flushed to disk): %.1f ms\n", seconds(t) * 1e3);

    const QString copy = dir.filePath(QStringLiteral("copy.dat"));
    const QString q = QStringLiteral("'%1' '%2'").arg(path, copy);
    // Each contender starts with the store in the cache and no dirty pages of an
    // earlier one still being written back.
    const QString settle = QStringLiteral("cat '%1' > /dev/null; sync").arg(path);
    runShell(settle);
    const double cpTime = runShell(QStringLiteral("cp %1").arg(q));
    QFile::remove(copy);
    runShell(settle);
    const double cpSyncTime = runShell(QStringLiteral("cp %1 && sync '%2'").arg(q, copy));
    QFile::remove(copy);
    // The purge also frees the replaced store; the same for a copy: cp, sync, and the
    // removal of a file of the store's size.
    const QString victim = dir.filePath(QStringLiteral("victim.dat"));
    runShell(QStringLiteral("cp '%1' '%2'").arg(path, victim));
    runShell(settle);
    const double cpSyncRmTime = runShell(QStringLiteral("cp %1 && sync '%2' && rm '%3'").arg(q, copy, victim));
    QFile::remove(copy);
    runShell(settle);

    t.start();
    store.PurgeDeleted();
    const double purgeTime = seconds(t);
    const std::int64_t purgedSize = QFileInfo(path).size();
    std::printf("cp of the store: %.2f s; cp then sync of the copy: %.2f s; cp, sync and rm of an old copy: %.2f s\n",
                cpTime, cpSyncTime, cpSyncRmTime);
    std::printf("PurgeDeleted (%d of %d records; new file flushed, renamed, old one freed): %.2f s = %.2f x cp, "
                "%.2f x cp+sync, %.2f x cp+sync+rm; store now %.2f GB, %zu mails\n",
                marked, mails + 1, purgeTime, purgeTime / cpTime, purgeTime / cpSyncTime, purgeTime / cpSyncRmTime,
                double(purgedSize) / 1e9, store.ScanStore().size());
    return 0;   // the temporary folder and everything in it is removed here
}
