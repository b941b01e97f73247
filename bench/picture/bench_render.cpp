// Renders a 20-page letter with the first-run settings and prints pages per second and
// how much of the time goes into JPEG compression, beside compressing the same 20 page
// images alone.
#include "config/ConfigSettings.h"
#include "os/DefaultFont.h"
#include "picture/JpegEncoder.h"
#include "picture/PageRenderer.h"
#include "richtext/layout/FormatRange.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>
#include <vector>

namespace {

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
    cursor.insertBlock(block);
    if (i % 7 == 0) {
        cursor.insertText(QStringLiteral("Section %1").arg(i / 7 + 1), heading);
        return;
    }
    for (int s = 0; s < 3; ++s)
        cursor.insertText(QString::fromLatin1(kSentences[(i + s) % 4]), s == 1 ? accent : plain);
}

int pagesOf(const QTextDocument &doc)
{
    const ConfigSettings s = ConfigSettings::firstRun();
    QImage device(s.PIC_W, s.PIC_H, QImage::Format_RGB32);
    device.setDotsPerMeterX(qRound(96 / 0.0254));
    device.setDotsPerMeterY(qRound(96 / 0.0254));
    FormatRange range(doc);
    const QRect area = PageRenderer::textAreaTwips(s, 96, 96);
    int pages = 0;
    for (int start = 0;;) {
        const int end = range.formatRange(&device, area, start);
        ++pages;
        if (end <= start || end >= range.textLength())
            return pages;
        start = end;
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    DefaultFont::installSubstitutions();

    QTextDocument doc;
    doc.setDefaultFont(DefaultFont::font());
    QTextCursor cursor(&doc);
    // Grow by a page's worth at a time, then trim back to exactly 20 pages.
    for (int i = 0; i < 5000;) {
        for (int k = 0; k < 40; ++k)
            addParagraph(cursor, i++);
        if (pagesOf(doc) > 20)
            break;
    }
    while (pagesOf(doc) > 20) {
        cursor.movePosition(QTextCursor::End);
        cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
        cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }

    const ConfigSettings settings = ConfigSettings::firstRun();
    const int rounds = 10;
    std::vector<QImage> surfaces;
    qint64 bytes = 0;
    qint64 renderNs = 0;
    qint64 compressNs = 0;
    int pages = 0;
    for (int r = 0; r < rounds; ++r) {
        PageRenderer renderer(settings);
        if (r == 0)
            renderer.surfaceReady = [&](int, const QImage &surface) { surfaces.push_back(surface.copy()); };
        renderer.pageReady = [&](int, std::string_view jpeg) { bytes += qint64(jpeg.size()); };
        QElapsedTimer clock;
        clock.start();
        pages += renderer.render(doc);
        const qint64 elapsed = clock.nsecsElapsed();
        if (r > 0) { // the first round pays for the layout cache and font loading
            renderNs += elapsed;
            compressNs += renderer.compressNanoseconds();
        } else {
            pages = 0;
            bytes = 0;
        }
    }

    JpegEncoder encoder;
    qint64 aloneNs = 0;
    for (int r = 1; r < rounds; ++r) {
        QElapsedTimer clock;
        clock.start();
        for (const QImage &surface : surfaces)
            encoder.compress(surface, settings.PIC_Quality);
        aloneNs += clock.nsecsElapsed();
    }

    const double renderMsPerPage = renderNs / 1e6 / pages;
    const double compressMsPerPage = compressNs / 1e6 / pages;
    const double aloneMsPerPage = aloneNs / 1e6 / (double(surfaces.size()) * (rounds - 1));
    std::printf("letter: %d pages of %d x %d, quality %d, %d characters\n", int(surfaces.size()),
                settings.PIC_W, settings.PIC_H, settings.PIC_Quality, FormatRange::textLength(doc));
    std::printf("render (layout, drawing, numbering, JPEG): %.1f pages/s, %.2f ms/page, %.1f KB/page\n",
                1000.0 / renderMsPerPage, renderMsPerPage, bytes / 1024.0 / pages);
    std::printf("  of which JPEG compression:            %.2f ms/page (%.0f%% of the time)\n", compressMsPerPage,
                100.0 * compressNs / renderNs);
    std::printf("compression alone of the same pages:    %.2f ms/page (%.1f pages/s)\n", aloneMsPerPage,
                1000.0 / aloneMsPerPage);
    std::printf("render time / compression alone:        %.2f\n", renderMsPerPage / aloneMsPerPage);
    return 0;
}
