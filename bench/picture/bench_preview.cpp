// The preview of a 20-page letter: how long the pages take, and how long the GUI thread
// goes without serving its event loop meanwhile (a 5 ms timer measures the gaps). The
// letter's RTF is taken on the GUI thread; rendering runs on PreviewRun's worker.
#include "config/ConfigSettings.h"
#include "picture/PreviewRun.h"
#include "richtext/LetterDocument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const ConfigSettings settings = ConfigSettings::firstRun();

    QTextDocument letter;
    QTextCursor cursor(&letter);
    for (int i = 0; i < 440; ++i)
        cursor.insertText(QStringLiteral("Paragraph %1: the quarterly figures arrived this morning and look better "
                                         "than we feared; please find the schedule below.\n")
                              .arg(i + 1));

    for (int round = 0; round < 3; ++round) {
        QElapsedTimer total;
        total.start();
        PicturePreview::Input input;
        input.letter = LetterDocument::save(letter); // on the GUI thread, like the window
        const qint64 snapshotMs = total.elapsed();

        PreviewRun run;
        QEventLoop loop;
        int pages = 0;
        qint64 firstPageMs = -1;
        QObject::connect(&run, &PreviewRun::pageReady, &loop, [&](int, const QByteArray &) {
            if (firstPageMs < 0)
                firstPageMs = total.elapsed();
        });
        QObject::connect(&run, &PreviewRun::finished, &loop, [&](const PicturePreview::Result &r) {
            pages = int(r.pages.size());
            loop.quit();
        });
        QElapsedTimer gap;
        qint64 longestGap = 0;
        QTimer tick;
        tick.setInterval(5);
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            longestGap = std::max(longestGap, gap.restart());
        });
        run.start(settings, input);
        gap.start();
        tick.start();
        loop.exec();
        std::printf("round %d: %d pages in %lld ms (first page after %lld ms; letter copied in %lld ms); "
                    "longest gap in the GUI thread's event loop %lld ms\n",
                    round + 1, pages, static_cast<long long>(total.elapsed()), static_cast<long long>(firstPageMs),
                    static_cast<long long>(snapshotMs), static_cast<long long>(longestGap));
    }
    return 0;
}
