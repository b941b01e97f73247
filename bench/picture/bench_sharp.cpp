// Sharp pages against the pages of before: the bytes per page of letters of several kinds
// drawn at 2x, each page as the smaller of palette PNG and JPEG, against the same pages at
// 1x as JPEG (quality 75, progressive); and the time to render 100 pages both ways, with
// the pages compressed on the workers as sending does. Prints figures; the goals are
// at most 1.0x the bytes for text pages, 1.1x for the whole set, 1.5x the time.
// Usage: picture_bench_sharp [ROUNDS [time|phases]]: ROUNDS paired timings (1x then 2x each
// round; median and least ratio); `time` skips the bytes; `phases` times the steps of a 2x
// page's compression one by one on this thread, over the first pages of the letter.
#include "config/ConfigSettings.h"
#include "os/DefaultFont.h"
#include "picture/JpegEncoder.h"
#include "picture/PageCompressor.h"
#include "picture/PageEncoder.h"
#include "picture/PagePicture.h"
#include "picture/PageRenderer.h"
#include "picture/PaletteQuantizer.h"
#include "picture/PngEncoder.h"
#include "richtext/LetterDocument.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Letter
{
    std::string name;
    bool text; // pages of text only (the 1.0x goal)
    std::function<void(QTextDocument &)> make;
};

// Paragraphs of the words in a shuffled order each (a fixed seed): text that repeats
// line for line would compress far better than any letter does.
std::string body(const char *words, int paragraphs)
{
    const QStringList list = QString::fromLatin1(words).split(QLatin1Char(' '));
    QRandomGenerator random(11);
    std::string rtf;
    for (int i = 1; i <= paragraphs; ++i) {
        QStringList shuffled = list;
        for (qsizetype k = shuffled.size() - 1; k > 0; --k)
            shuffled.swapItemsAt(k, random.bounded(int(k + 1)));
        rtf += shuffled.join(QLatin1Char(' ')).toStdString() + " " + std::to_string(i) + ".\\par ";
    }
    return rtf;
}

void rtf(QTextDocument &doc, const std::string &inner)
{
    LetterDocument::load("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red31\\green78\\blue154;"
                         "\\red192\\green0\\blue0;}\\f0 " + inner + "}",
                         &doc);
}

const char *kWords = "The quarterly figures arrived this morning and they look better than we feared; the board "
                     "asks for a second quote before Friday, and the warehouse wants the new shelves by March";

std::vector<Letter> letters()
{
    return {
        {"12 pt text", true, [](QTextDocument &d) { rtf(d, "\\fs24 Dear reader,\\par\\par " + body(kWords, 24)); }},
        {"8 pt text", true, [](QTextDocument &d) { rtf(d, "\\fs16 Dear reader,\\par\\par " + body(kWords, 40)); }},
        {"coloured headings", true,
         [](QTextDocument &d) {
             std::string inner;
             for (int i = 1; i <= 6; ++i)
                 inner += "{\\fs36\\b\\cf1 Heading " + std::to_string(i) + "}\\par{\\fs24\\cf2 In red: }{\\fs24 "
                          + body(kWords, 2) + "}";
             rtf(d, inner);
         }},
        {"list and table", true,
         [](QTextDocument &d) {
             std::string inner = "\\fs24 Shopping:\\par ";
             for (int i = 1; i <= 8; ++i)
                 inner += "{\\pntext\\'95\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'95}}\\fi-360\\li720 Item number "
                          + std::to_string(i) + " on the list\\par\\pard ";
             for (int r = 1; r <= 10; ++r)
                 inner += "\\trowd\\cellx3000\\cellx6000\\cellx8500 Row " + std::to_string(r)
                          + "\\cell Figures\\cell 1,234.50\\cell\\row ";
             rtf(d, inner + "\\pard After the table.\\par");
         }},
        {"Chinese and Greek", true,
         [](QTextDocument &d) {
             std::string inner = "\\fs24 ";
             for (int i = 0; i < 30; ++i)
                 inner += "\\u20320?\\u22909?\\u65292?\\u36825?\\u26159?\\u19968?\\u23553?\\u20449?\\u12290? "
                          "\\u915?\\u949?\\u953?\\u945? \\u963?\\u959?\\u965?, \\u964?\\u953? \\u954?\\u945?\\u957?"
                          "\\u949?\\u953?\\u962?;\\par ";
             rtf(d, inner);
         }},
        {"photo and text", false,
         [](QTextDocument &d) {
             rtf(d, "\\fs24 Dear reader,\\par " + body(kWords, 3));
             QImage photo(560, 420, QImage::Format_RGB32);
             QRandomGenerator random(3);
             for (int y = 0; y < photo.height(); ++y)
                 for (int x = 0; x < photo.width(); ++x) {
                     const int n = random.bounded(20);
                     photo.setPixel(x, y, qRgb((x / 3 + n) % 256, (y / 2 + n) % 256, (x + y) / 5 % 256));
                 }
             d.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("photo.png")), photo);
             QTextCursor cursor(&d);
             cursor.movePosition(QTextCursor::End);
             QTextImageFormat image;
             image.setName(QStringLiteral("photo.png"));
             cursor.insertImage(image);
         }},
    };
}

ConfigSettings before()
{
    ConfigSettings s = ConfigSettings::firstRun();
    s.PIC_Sharp = false;
    s.PIC_JpegOnly = true;
    return s;
}

struct Sizes
{
    long long bytes = 0;
    int pages = 0;
    int png = 0;
};

Sizes render(const ConfigSettings &settings, const QTextDocument &doc)
{
    Sizes sizes;
    PageRenderer renderer(settings);
    renderer.pageReady = [&](int, std::string_view picture) {
        sizes.bytes += static_cast<long long>(picture.size());
        sizes.png += PagePicture::formatOf(picture) == PagePicture::Format::Png ? 1 : 0;
    };
    sizes.pages = renderer.render(doc);
    return sizes;
}

// The pages of a letter drawn at 2x whose palette of SmallPalette colours keeps them
// (they go out as PNG without a JPEG made): how many, and how many of them would have been
// smaller as the JPEG that is no longer made (expected none).
struct SmallPages
{
    int pages = 0;
    int jpegSmaller = 0;
};

SmallPages smallPalettePages(const ConfigSettings &settings, const QTextDocument &doc)
{
    SmallPages small;
    JpegEncoder jpeg;
    PageRenderer renderer(settings);
    renderer.surfaceReady = [&](int, const QImage &page) {
        const PaletteQuantizer::Result reduced = PaletteQuantizer::reduce(page, {16, 256}, PageEncoder::MinPsnr);
        if (reduced.indexed.isNull() || reduced.indexed.colorCount() > PageEncoder::SmallPalette)
            return;
        ++small.pages;
        const auto coding = settings.PIC_Progressive ? JpegEncoder::Coding::Progressive : JpegEncoder::Coding::Optimized;
        if (jpeg.compress(page, settings.PIC_Quality, coding).size() < PngEncoder::compress(reduced.indexed).size())
            ++small.jpegSmaller;
    };
    renderer.render(doc);
    return small;
}

double cpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Timing
{
    double wall = 0;
    // The drawing thread's processor time, and the whole process's (drawing and workers).
    double draw = 0;
    double cpu = 0;
    // Time in compression, added over the workers.
    double compress = 0;
    int pages = 0;
};

Timing timeRender(const ConfigSettings &settings, const QTextDocument &doc)
{
    Timing t;
    PageRenderer renderer(settings);
    const double thread0 = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const double process0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    QElapsedTimer clock;
    clock.start();
    t.pages = renderer.render(doc);
    t.wall = clock.nsecsElapsed() / 1e9;
    t.draw = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0;
    t.cpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0;
    t.compress = renderer.compressNanoseconds() / 1e9;
    return t;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Milliseconds a page: the drawing thread's processor time and the workers' time in a whole
// render at 2x, then the steps of compressing its first pages one by one on this thread:
// the palette, and the PNG (packing the rows and deflating them).
void printPhases(const ConfigSettings &sharp, const QTextDocument &doc, int rounds)
{
    std::vector<QImage> pages;
    PageRenderer renderer(sharp);
    renderer.surfaceReady = [&](int, const QImage &page) {
        if (pages.size() < 12)
            pages.push_back(page.copy());
    };
    const Timing whole = timeRender(sharp, doc);
    renderer.render(doc);
    std::vector<double> quantize, png;
    std::vector<PaletteQuantizer::Result> reduced(pages.size());
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        for (std::size_t i = 0; i < pages.size(); ++i)
            reduced[i] = PaletteQuantizer::reduce(pages[i], {16, 256}, PageEncoder::MinPsnr);
        quantize.push_back(clock.nsecsElapsed() / 1e6 / double(pages.size()));
        clock.restart();
        long long bytes = 0;
        // FNV-1a over the PNGs: a faster step must leave it as it was.
        std::uint64_t sum = 14695981039346656037ull;
        for (const PaletteQuantizer::Result &r : reduced) {
            const std::string png = PngEncoder::compress(r.indexed);
            bytes += static_cast<long long>(png.size());
            for (const char c : png)
                sum = (sum ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
        png.push_back(clock.nsecsElapsed() / 1e6 / double(pages.size()));
        if (round == 0)
            std::printf("%zu pages of %dx%d, %d colours on the first, %.1f KB a page as PNG (sum %016llx)\n",
                        pages.size(), pages[0].width(), pages[0].height(), reduced[0].indexed.colorCount(),
                        double(bytes) / 1024.0 / double(pages.size()), static_cast<unsigned long long>(sum));
    }
    std::printf("ms a page: drawing thread %.2f (processor), workers %.2f (wall, while drawing); alone: "
                "palette %.2f, PNG %.2f\n",
                whole.draw * 1e3 / whole.pages, whole.compress * 1e3 / whole.pages, median(quantize), median(png));
}

void printBytes(const ConfigSettings &old, const ConfigSettings &sharp)
{
    std::printf("Bytes per page: 1x JPEG (before) against 2x, PNG or JPEG per page (first-run settings now)\n");
    std::printf("%-20s %3s  %9s  %9s  %6s  %s\n", "letter", "pp", "1x KB/pp", "2x KB/pp", "ratio", "PNG pages");
    long long allBefore = 0, allSharp = 0, textBefore = 0, textSharp = 0;
    SmallPages small;
    for (const Letter &letter : letters()) {
        QTextDocument doc;
        letter.make(doc);
        const Sizes a = render(old, doc);
        const Sizes b = render(sharp, doc);
        std::printf("%-20s %3d  %9.1f  %9.1f  %5.2fx  %d of %d\n", letter.name.c_str(), a.pages,
                    a.bytes / 1024.0 / a.pages, b.bytes / 1024.0 / b.pages, double(b.bytes) / double(a.bytes), b.png,
                    b.pages);
        const SmallPages s = smallPalettePages(sharp, doc);
        small.pages += s.pages;
        small.jpegSmaller += s.jpegSmaller;
        allBefore += a.bytes;
        allSharp += b.bytes;
        if (letter.text) {
            textBefore += a.bytes;
            textSharp += b.bytes;
        }
    }
    std::printf("text letters: %.2fx (goal at most 1.00x); whole set: %.2fx (goal at most 1.10x; %lld bytes at 2x)\n",
                double(textSharp) / double(textBefore), double(allSharp) / double(allBefore), allSharp);
    std::printf("pages kept in %d colours, sent as PNG with no JPEG made: %d; of them smaller as JPEG: %d\n",
                PageEncoder::SmallPalette, small.pages, small.jpegSmaller);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    DefaultFont::installSubstitutions();
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const std::string mode = argc > 2 ? argv[2] : "";

    const ConfigSettings old = before();
    const ConfigSettings sharp = ConfigSettings::firstRun();
    if (mode.empty())
        printBytes(old, sharp);

    // 100 pages of 12-point text, rendered as a send renders them.
    QTextDocument hundred;
    rtf(hundred, "\\fs24 " + body(kWords, 1000));
    timeRender(old, hundred); // fonts and caches warm
    if (mode == "phases") {
        printPhases(sharp, hundred, rounds);
        return 0;
    }
    std::vector<double> ratios, walls1, walls2;
    Timing a, b;
    for (int round = 0; round < rounds; ++round) {
        a = timeRender(old, hundred);
        b = timeRender(sharp, hundred);
        ratios.push_back(b.wall / a.wall);
        walls1.push_back(a.wall);
        walls2.push_back(b.wall);
        if (rounds > 1)
            std::printf("round %d: 1x %.2f s, 2x %.2f s: %.2fx\n", round + 1, a.wall, b.wall, b.wall / a.wall);
    }
    for (const auto &[name, t] : {std::pair{"1x", a}, std::pair{"2x", b}})
        std::printf("%s (last round): wall %.2f s; drawing thread %.2f s processor; compression %.2f s over the "
                    "workers; process %.2f s processor\n",
                    name, t.wall, t.draw, t.compress, t.cpu);
    std::printf("render %d pages: 1x JPEG %.2f s, 2x automatic %.2f s (%d pages): %.2fx (goal at most 1.50x; %d "
                "workers)\n",
                a.pages, median(walls1), median(walls2), b.pages, median(ratios), PageCompressor::defaultWorkers());
    if (rounds > 1)
        std::printf("%d paired rounds: median ratio %.2fx, least %.2fx\n", rounds, median(ratios),
                    *std::min_element(ratios.begin(), ratios.end()));
    return 0;
}
