// The size of a picture mail's pictures: bytes per page as the pages were written before
// (baseline with libjpeg's standard Huffman tables, every page at full height) and as they
// are written now (optimized tables, progressive scans, a short last page), for the sample
// letter and a few letters of other kinds. Usage: picture_bench_mailsize [LETTER.rtf ...]
#include "config/ConfigSettings.h"
#include "os/DefaultFont.h"
#include "picture/JpegEncoder.h"
#include "picture/PageRenderer.h"
#include "richtext/LetterDocument.h"
#include "richtext/LetterText.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Letter
{
    std::string name;
    std::string rtf;
};

std::string paragraphs(int count, int halfPoints = 22)
{
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs" + std::to_string(halfPoints)
                      + " Dear reader,\\par\\par ";
    for (int i = 1; i <= count; ++i)
        rtf += "The quarterly figures arrived this morning and they look better than we feared; "
               "the board asks for a second quote before Friday. Paragraph " + std::to_string(i) + ".\\par ";
    return rtf + "}";
}

void measure(const Letter &letter)
{
    QTextDocument doc;
    LetterDocument::load(letter.rtf, &doc);

    // Before: every page at full height, standard tables. The same surfaces give the
    // optimized and progressive sizes of the full pages.
    ConfigSettings full = ConfigSettings::firstRun();
    full.PIC_ShortLastPage = false;
    std::vector<QImage> surfaces;
    PageRenderer fullRenderer(full);
    fullRenderer.surfaceReady = [&](int, const QImage &surface) { surfaces.push_back(surface.copy()); };
    fullRenderer.render(doc);
    JpegEncoder encoder;
    long long standard = 0, optimized = 0, progressive = 0;
    for (const QImage &page : surfaces) {
        standard += static_cast<long long>(encoder.compress(page, full.PIC_Quality, JpegEncoder::Coding::Standard).size());
        optimized += static_cast<long long>(encoder.compress(page, full.PIC_Quality, JpegEncoder::Coding::Optimized).size());
        progressive += static_cast<long long>(encoder.compress(page, full.PIC_Quality, JpegEncoder::Coding::Progressive).size());
    }

    // After: the first-run settings as the program now sends.
    const ConfigSettings now = ConfigSettings::firstRun();
    PageRenderer renderer(now);
    long long after = 0;
    int lastHeight = 0;
    renderer.surfaceReady = [&](int, const QImage &surface) { lastHeight = surface.height(); };
    renderer.pageReady = [&](int, std::string_view jpeg) { after += static_cast<long long>(jpeg.size()); };
    const int pages = renderer.render(doc);
    // The most text one page holds: what its picture's alt text has to carry.
    qsizetype pageText = 0;
    for (const PageRenderer::PageRange &range : renderer.pageRanges()) {
        LetterText::Options page;
        page.start = range.start;
        page.end = range.end;
        pageText = std::max(pageText, LetterText::collapsed(LetterText::lines(doc, page)).size());
    }

    const auto perPage = [pages](long long bytes) { return bytes / 1024.0 / pages; };
    std::printf("%-22s %3d  %8.1f  %9.1f  %11.1f  %8.1f  %6.1f%%  (last page %d px high; fullest page %lld characters)\n",
                letter.name.c_str(), pages, perPage(standard), perPage(optimized), perPage(progressive), perPage(after),
                100.0 * (after - standard) / standard, lastHeight, static_cast<long long>(pageText));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    DefaultFont::installSubstitutions();

    std::vector<Letter> letters;
    const QStringList files = argc > 1 ? app.arguments().mid(1)
                                       : QStringList{QStringLiteral(VELLORN_SOURCE_DIR "/resources/sample-letter.rtf")};
    for (const QString &path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            letters.push_back({QFile::encodeName(path.section(QLatin1Char('/'), -1)).toStdString(),
                               file.readAll().toStdString()});
    }
    letters.push_back({"one paragraph", paragraphs(1)});
    letters.push_back({"a page and a half", paragraphs(28)});
    letters.push_back({"ten pages", paragraphs(300)});
    letters.push_back({"8-point print", paragraphs(60, 16)});

    std::printf("KB per page (first-run settings: 600 x 800, quality 75)\n");
    std::printf("%-22s %3s  %8s  %9s  %11s  %8s  %7s\n", "letter", "pp", "before", "optimized", "progressive", "after",
                "change");
    for (const Letter &letter : letters)
        measure(letter);
    return 0;
}
