// The mail store on a large generated file: listing with a warm cache (time and bytes
// read), marking records deleted, and the purge beside a plain copy of the same file,
// both from cold copies of the store in interleaved rounds.
//
//   mailbox_bench_store [MAILS] [FOLDER] [ROUNDS]   defaults: 10000 mails in /tmp, 5 rounds
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
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/statvfs.h>
#include <unistd.h>
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

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double minimum(const std::vector<double> &values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// Copies `from` to `to` and leaves the copy on the disk but not in the page cache.
void coldCopy(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(from));
        std::exit(1);
    }
    const int fd = ::open(QFile::encodeName(to).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0 || ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) != 0) {
        std::fprintf(stderr, "cannot flush %s\n", qPrintable(to));
        std::exit(1);
    }
    ::close(fd);
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
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

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

    // The purge beside cp + sync, in interleaved rounds. Each side starts from its own
    // fresh copy of the store, written, flushed and then dropped from the page cache
    // (posix_fadvise DONTNEED; dropping all caches needs root), so neither reads what the
    // other left in memory, and no dirty pages of an earlier step are still being written.
    const QString purged = dir.filePath(QStringLiteral("purge.dat"));
    const QString source = dir.filePath(QStringLiteral("source.dat"));
    const QString copy = dir.filePath(QStringLiteral("copy.dat"));
    std::vector<double> purgeTimes, cpTimes, rmTimes, ratios, rmRatios;
    std::int64_t purgedSize = 0;
    std::size_t purgedMails = 0;
    for (int round = 0; round < rounds; ++round) {
        double purgeTime = 0;
        double cpTime = 0;
        double rmTime = 0;
        for (int side = 0; side < 2; ++side) {
            if ((side + round) % 2 == 0) {
                coldCopy(path, purged);
                t.start();
                MailStore(purged).PurgeDeleted();
                purgeTime = seconds(t);
                purgedSize = QFileInfo(purged).size();
                purgedMails = MailStore(purged).ScanStore().size();
                QFile::remove(purged);
            } else {
                coldCopy(path, source);
                cpTime = runShell(QStringLiteral("cp '%1' '%2' && sync '%2'").arg(source, copy));
                // The purge frees the store it replaced; the removal of the copy's source
                // is the same work on this side.
                rmTime = runShell(QStringLiteral("rm '%1'").arg(source));
                QFile::remove(copy);
            }
            runShell(QStringLiteral("sync"));
        }
        purgeTimes.push_back(purgeTime);
        cpTimes.push_back(cpTime);
        rmTimes.push_back(cpTime + rmTime);
        ratios.push_back(purgeTime / cpTime);
        rmRatios.push_back(purgeTime / (cpTime + rmTime));
        std::printf("round %d: purge %.3f s, cp+sync %.3f s, cp+sync+rm %.3f s: purge / cp+sync %.2f, "
                    "purge / cp+sync+rm %.2f\n",
                    round + 1, purgeTime, cpTime, cpTime + rmTime, ratios.back(), rmRatios.back());
        std::fflush(stdout);
    }
    std::printf("PurgeDeleted (%d of %d records; store after %.2f GB, %zu mails), %d rounds from cold copies:\n",
                marked, mails + 1, double(purgedSize) / 1e9, purgedMails, rounds);
    std::printf("  purge       median %.3f s, min %.3f s\n", median(purgeTimes), minimum(purgeTimes));
    std::printf("  cp+sync     median %.3f s, min %.3f s\n", median(cpTimes), minimum(cpTimes));
    std::printf("  cp+sync+rm  median %.3f s, min %.3f s\n", median(rmTimes), minimum(rmTimes));
    std::printf("  purge / cp+sync: median of rounds %.2f, of minimums %.2f; purge / cp+sync+rm: median %.2f, "
                "of minimums %.2f\n",
                median(ratios), minimum(purgeTimes) / minimum(cpTimes), median(rmRatios),
                minimum(purgeTimes) / minimum(rmTimes));
    return 0;   // the temporary folder and everything in it is removed here
}
