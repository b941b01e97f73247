// `vellorn-cli store append` of many mail files into a new store, beside `cat` of the
// same files into one file followed by one `sync` of it, in interleaved rounds. Both
// sides read the same (cached) files and leave the same bytes of mail on the disk.
//
//   mailbox_bench_append [MAILS] [ROUNDS] [CLI]   defaults: 1000 mails, 5 rounds, the
//                                                 vellorn-cli of this build
#include "bench/mailbox/StoreGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double runProgram(const QString &program, const QStringList &args)
{
    QElapsedTimer t;
    t.start();
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        std::exit(1);
    }
    return double(t.nsecsElapsed()) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int mails = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const QString cli = argc > 3 ? QString::fromLocal8Bit(argv[3])
                                 : QStringLiteral(VELLORN_CLI);
    if (!QFileInfo(cli).isExecutable()) {
        std::fprintf(stderr, "no vellorn-cli at %s\n", qPrintable(cli));
        return 1;
    }

    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vellorn-bench-XXXXXX"));
    if (!dir.isValid())
        return 1;
    // Mails of 2 to 20 KB, the size of ordinary text mails.
    QRandomGenerator rng(2047);
    QStringList files;
    std::int64_t bytes = 0;
    for (int i = 0; i < mails; ++i) {
        const std::int64_t size = 2048 + rng.bounded(18 * 1024);
        const QString path = dir.filePath(QStringLiteral("mail%1.eml").arg(i));
        QFile f(path);
        const std::string text = StoreGenerator::mailText(i, size, rng);
        if (!f.open(QIODevice::WriteOnly) || f.write(text.data(), qint64(text.size())) != qint64(text.size()))
            return 1;
        files << path;
        bytes += size;
    }
    std::printf("%d mails, %.1f MB\n", mails, double(bytes) / 1e6);

    const QString store = dir.filePath(QStringLiteral("MailBox.dat"));
    const QString joined = dir.filePath(QStringLiteral("joined.dat"));
    std::vector<double> appendTimes, catTimes, ratios;
    for (int round = 0; round < rounds; ++round) {
        double appendTime = 0;
        double catTime = 0;
        for (int side = 0; side < 2; ++side) {
            runProgram(QStringLiteral("sync"), {});
            if ((side + round) % 2 == 0) {
                QFile::remove(store);
                appendTime = runProgram(cli, QStringList{QStringLiteral("store"), QStringLiteral("append"), store} + files);
            } else {
                QFile::remove(joined);
                catTime = runProgram(QStringLiteral("/bin/sh"),
                                     QStringList{QStringLiteral("-c"),
                                                 QStringLiteral("out=\"$1\"; shift; cat \"$@\" > \"$out\" && sync \"$out\""),
                                                 QStringLiteral("sh"), joined} + files);
            }
        }
        appendTimes.push_back(appendTime);
        catTimes.push_back(catTime);
        ratios.push_back(appendTime / catTime);
        std::printf("round %d: store append %.1f ms, cat + sync %.1f ms, ratio %.2f\n", round + 1, appendTime * 1e3,
                    catTime * 1e3, appendTime / catTime);
    }
    std::printf("median: store append %.1f ms, cat + sync %.1f ms, ratio %.2f (median of the rounds' ratios)\n",
                median(appendTimes) * 1e3, median(catTimes) * 1e3, median(ratios));
    return 0;
}
