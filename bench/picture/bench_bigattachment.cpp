// A mail with a 1 GB attachment (or VELLORN_BIG_ATTACHMENT_MB) stored, selected, sent to a
// server that keeps nothing, opened for changes and handed over as an .eml: the time of
// each step, the memory it took beyond the
// idle process, and the longest time the event loop waited meanwhile.
#include "tests/picture/BigMailRun.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const qint64 megabytes = qEnvironmentVariableIsSet("VELLORN_BIG_ATTACHMENT_MB")
                                 ? qEnvironmentVariableIntValue("VELLORN_BIG_ATTACHMENT_MB")
                                 : 1024;
    QTemporaryDir dir;
    const BigMailRun::Figures f = BigMailRun::run(dir.path(), megabytes);
    if (!f.ok) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(f.error));
        return 1;
    }
    const auto mb = [&](qint64 peakKb) { return double(peakKb - f.idleKb) / 1024.0; };
    std::printf("%lld MB attachment, mail text %.1f MB, idle %.1f MB\n", megabytes, double(f.recordBytes) / 1048576.0,
                double(f.idleKb) / 1024.0);
    std::printf("store:  %6lld ms, peak memory +%.1f MB, longest event-loop wait %lld ms\n", f.storeMs,
                mb(f.storePeakKb), f.storeGapMs);
    std::printf("select: %6lld ms, peak memory +%.1f MB, longest event-loop wait %lld ms\n", f.selectMs,
                mb(f.selectPeakKb), f.selectGapMs);
    std::printf("send:   %6lld ms, peak memory +%.1f MB, longest event-loop wait %lld ms (%lld bytes sent)\n",
                f.sendMs, mb(f.sendPeakKb), f.sendGapMs, f.sentBytes);
    std::printf("modify: %6lld ms, peak memory +%.1f MB (%lld bytes copied out)\n", f.modifyMs, mb(f.modifyPeakKb),
                f.copiedBytes);
    std::printf("eml:    %6lld ms, peak memory +%.1f MB (%lld bytes written)\n", f.handOverMs, mb(f.handOverPeakKb),
                f.handOverBytes);
    return 0;
}
