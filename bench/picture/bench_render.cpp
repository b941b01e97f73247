// Renders a 100-page letter with the first-run settings (layout, drawing, numbering and
// JPEG, as a send does) against its peer: compressing the very same 100 page images with
// the same JPEG settings in this process on one thread. The two run in pairs, their order
// alternating, and the figures are medians and minimums over the pairs, so that a machine
// busy with other work slows both sides alike.
//
//   build/bench/picture_bench_render [ROUNDS [draw] [tables] [save FILE]]
//
// draw: the drawing side alone, against the same letter laid out on a copy; tables: the letter has a list and a table in every
// section, as most real letters have one or the other; save: writes the letter as RTF
// (for rendering it with vellorn-cli).
#include "config/ConfigSettings.h"
#include "os/DefaultFont.h"
#include "picture/JpegEncoder.h"
#include "picture/PageRenderer.h"
#include "richtext/layout/FormatRange.h"
#include "richtext/writing/RtfWriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int kPages = 100;

const char *kSentences[] = {
    "The quarterly figures arrived this morning and they look better than we feared. ",
    "Please find the schedule for the spring meeting below; rooms are booked until six. ",
    "We would like to thank everyone who helped with the move to the new office. ",
    "Shipping costs rose again, so the board asks for a second quote before Friday. ",
};

// A letter of formatted paragraphs: a heading in bold, body text in two sizes and
// colours, some centred lines.
void addParagraph(QTextCursor &cursor, int i)
{
    QTextCharFormat plain;
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(12);
    QTextCharFormat accent;
    accent.setForeground(QColor(0x20, 0x40, 0xA0));
    accent.setFontPointSize(10);
    QTextBlockFormat block;
    block.setAlignment(i % 7 == 0 ? Qt::AlignHCenter : Qt::AlignLeft);
    block.setBottomMargin(4);
    if (i > 0)
        cursor.insertBlock(block);
    else
        cursor.setBlockFormat(block);
    if (i % 7 == 0) {
        cursor.insertText(QStringLiteral("Section %1").arg(i / 7 + 1), heading);
        return;
    }
    for (int s = 0; s < 3; ++s)
        cursor.insertText(QString::fromLatin1(kSentences[(i + s) % 4]), s == 1 ? accent : plain);
}

// After a section's heading: a list of three items (bullets and numbers by turns), and in
// every other section a table of four rows whose fixed columns fit the page.
void addListAndTable(QTextCursor &cursor, int section)
{
    QTextListFormat listFormat;
    listFormat.setStyle(section % 2 ? QTextListFormat::ListDecimal : QTextListFormat::ListDisc);
    for (int item = 0; item < 3; ++item) {
        if (item == 0) {
            cursor.insertBlock(QTextBlockFormat());
            cursor.createList(listFormat);
        } else {
            cursor.insertBlock(); // the next item of the list
        }
        cursor.insertText(QString::fromLatin1(kSentences[(section + item) % 4]));
    }
    if (section % 2)
        return;
    QTextTableFormat tableFormat;
    tableFormat.setBorder(1);
    tableFormat.setCellPadding(3);
    tableFormat.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, 160),
                                           QTextLength(QTextLength::FixedLength, 90),
                                           QTextLength(QTextLength::FixedLength, 260)});
    cursor.insertBlock(QTextBlockFormat());
    QTextTable *table = cursor.insertTable(4, 3, tableFormat);
    for (int row = 0; row < 4; ++row) {
        table->cellAt(row, 0).firstCursorPosition().insertText(QStringLiteral("Item %1.%2").arg(section).arg(row));
        table->cellAt(row, 1).firstCursorPosition().insertText(QString::number(row * 17 + section));
        table->cellAt(row, 2).firstCursorPosition().insertText(QString::fromLatin1(kSentences[(section + row) % 4]));
    }
    cursor.movePosition(QTextCursor::End);
}

void makeLetter(QTextDocument &doc, int paragraphs, bool tables)
{
    doc.clear();
    doc.setDefaultFont(DefaultFont::font());
    QTextCursor cursor(&doc);
    for (int i = 0; i < paragraphs; ++i) {
        addParagraph(cursor, i);
        if (tables && i % 7 == 0)
            addListAndTable(cursor, i / 7);
    }
}

int pagesOf(int paragraphs, bool tables, const ConfigSettings &settings)
{
    QTextDocument doc;
    makeLetter(doc, paragraphs, tables);
    return PageRenderer::countPages(doc, settings);
}

// The most paragraphs that still make kPages pages (a paragraph is shorter than a page,
// so adding one adds at most one page).
int paragraphsForPages(bool tables, const ConfigSettings &settings)
{
    int low = 1;
    int high = 64;
    while (pagesOf(high, tables, settings) <= kPages)
        low = high, high *= 2;
    while (high - low > 1) {
        const int mid = (low + high) / 2;
        (pagesOf(mid, tables, settings) <= kPages ? low : high) = mid;
    }
    return low;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double minimum(const std::vector<double> &v)
{
    return *std::min_element(v.begin(), v.end());
}

// CPU time of this thread: the drawing side measured so, other processes on the machine
// hardly change it.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray("?");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    DefaultFont::installSubstitutions();
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    bool drawOnly = false;
    bool tables = false;
    const char *saveTo = nullptr;
    for (int i = 2; i < argc; ++i) {
        const QByteArray word(argv[i]);
        if (word == "draw")
            drawOnly = true;
        else if (word == "tables")
            tables = true;
        else if (word == "save" && i + 1 < argc)
            saveTo = argv[++i];
    }
    const ConfigSettings settings = ConfigSettings::firstRun();
    const JpegEncoder::Coding coding = settings.PIC_Progressive ? JpegEncoder::Coding::Progressive
                                                                : JpegEncoder::Coding::Optimized;

    QTextDocument doc;
    makeLetter(doc, paragraphsForPages(tables, settings), tables);
    if (saveTo) {
        QFile file(QString::fromLocal8Bit(saveTo));
        const std::string rtf = RtfWriter::write(doc);
        if (!file.open(QIODevice::WriteOnly) || file.write(rtf.data(), qint64(rtf.size())) != qint64(rtf.size()))
            std::fprintf(stderr, "cannot write %s\n", saveTo);
    }
    std::printf("load average at start: %s\n", loadAverage().constData());

    // A first render collects the page images the peer compresses and warms the caches
    // (fonts, glyphs) for both sides.
    std::vector<QImage> surfaces;
    qint64 bytes = 0;
    {
        PageRenderer renderer(settings);
        renderer.surfaceReady = [&](int, const QImage &surface) { surfaces.push_back(surface.copy()); };
        renderer.pageReady = [&](int, std::string_view jpeg) { bytes += qint64(jpeg.size()); };
        renderer.render(doc);
    }
    JpegEncoder encoder;
    qint64 peerBytes = 0;
    for (const QImage &surface : surfaces)
        peerBytes += qint64(encoder.compress(surface, settings.PIC_Quality, coding).size());

    // The drawing side alone, as the render does it on its own thread: layout once, then
    // every page drawn into the text area of one surface.
    const auto drawAll = [&](const QTextDocument &letter) {
        QImage surface(settings.PIC_W, settings.PIC_H, QImage::Format_RGB32);
        surface.setDotsPerMeterX(qRound(PageRenderer::Dpi / 0.0254));
        surface.setDotsPerMeterY(qRound(PageRenderer::Dpi / 0.0254));
        const QRect area = PageRenderer::textAreaTwips(settings, PageRenderer::Dpi, PageRenderer::Dpi);
        const double cpuStart = threadCpuMs();
        FormatRange range(letter);
        for (int start = 0;;) {
            surface.fill(Qt::white);
            const int end = range.formatRange(&surface, area, start);
            if (end <= start || end >= range.textLength())
                break;
            start = end;
        }
        return threadCpuMs() - cpuStart;
    };

    if (drawOnly) {
        // Only the drawing side, for profiling it. Its peer is the same letter with a
        // layout of its own, which is always laid out on a copy.
        const std::unique_ptr<QTextDocument> held(doc.clone());
        held->documentLayout();
        std::vector<double> ms, copiedMs, ratios;
        for (int r = 0; r < rounds; ++r) {
            const double first = drawAll(r % 2 ? *held : doc);
            const double second = drawAll(r % 2 ? doc : *held);
            ms.push_back(r % 2 ? second : first);
            copiedMs.push_back(r % 2 ? first : second);
            ratios.push_back(ms.back() / copiedMs.back());
        }
        std::printf("%d paired rounds, order alternating          median     min\n", rounds);
        std::printf("layout and drawing alone, CPU ms             %8.1f %8.1f\n", median(ms), minimum(ms));
        std::printf("peer: the letter laid out on a copy, CPU ms  %8.1f %8.1f\n", median(copiedMs), minimum(copiedMs));
        std::printf("ratio (per pair)                             %8.3f %8.3f\n", median(ratios), minimum(ratios));
        return 0;
    }
    std::vector<double> renderMs, compressMs, drawMs, ratios, jpegShare;
    for (int r = 0; r < rounds; ++r) {
        double renderTime = 0;
        double compressTime = 0;
        const auto renderAll = [&] {
            PageRenderer renderer(settings);
            renderer.pageReady = [](int, std::string_view) {};
            QElapsedTimer clock;
            clock.start();
            renderer.render(doc);
            renderTime = clock.nsecsElapsed() / 1e6;
            jpegShare.push_back(renderer.compressNanoseconds() / 1e6 / renderTime);
        };
        const auto compressAll = [&] {
            QElapsedTimer clock;
            clock.start();
            for (const QImage &surface : surfaces)
                encoder.compress(surface, settings.PIC_Quality, coding);
            compressTime = clock.nsecsElapsed() / 1e6;
        };
        // Alternate which side goes first, so neither always runs on a warmer machine.
        if (r % 2 == 0)
            renderAll(), compressAll();
        else
            compressAll(), renderAll();
        drawMs.push_back(drawAll(doc));
        renderMs.push_back(renderTime);
        compressMs.push_back(compressTime);
        ratios.push_back(renderTime / compressTime);
    }

    std::printf("letter%s: %d pages of %d x %d, quality %d, %s, %d characters\n",
                tables ? " with lists and tables" : "", int(surfaces.size()), settings.PIC_W, settings.PIC_H,
                settings.PIC_Quality, settings.PIC_Progressive ? "progressive" : "baseline optimized",
                FormatRange::textLength(doc));
    std::printf("pictures: %.1f KB/page (peer: %.1f KB/page, %s)\n", bytes / 1024.0 / double(surfaces.size()),
                peerBytes / 1024.0 / double(surfaces.size()), bytes == peerBytes ? "same size" : "DIFFERENT SIZE");
    std::printf("%d paired rounds, order alternating          median     min\n", rounds);
    std::printf("render all pages (layout, drawing, JPEG) ms  %8.1f %8.1f\n", median(renderMs), minimum(renderMs));
    std::printf("peer: compress the same pages, one thread ms %8.1f %8.1f\n", median(compressMs), minimum(compressMs));
    std::printf("ratio render / peer (per pair)               %8.3f %8.3f\n", median(ratios), minimum(ratios));
    std::printf("ratio of the minimums                        %8.3f\n", minimum(renderMs) / minimum(compressMs));
    std::printf("layout and drawing alone, CPU ms             %8.1f %8.1f\n", median(drawMs), minimum(drawMs));
    std::printf("JPEG time inside render / render's wall time %8.2f %8.2f\n", median(jpegShare), minimum(jpegShare));
    std::printf("load average at end: %s\n", loadAverage().constData());
    return 0;
}
