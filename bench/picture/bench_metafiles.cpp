// Reads and renders a letter with 40 metafile pictures (20 EMF charts, 20 WMF drawings, each
// with a few hundred records: bars, a curve, labels, a bitmap) and prints how long reading
// (which plays the metafiles) and rendering the pages take. Run with a folder to keep the
// first page as a PNG and the letter's RTF:
//
//   build/bench/picture_bench_metafiles [FOLDER [ROUNDS]]
#include "config/ConfigSettings.h"
#include "picture/PageRenderer.h"
#include "richtext/LetterDocument.h"
#include "richtext/metafile/MetafileCache.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void put16(std::string &b, int v)
{
    b += char(v & 0xFF);
    b += char((v >> 8) & 0xFF);
}

void put32(std::string &b, long long v)
{
    for (int i = 0; i < 4; ++i)
        b += char((v >> (8 * i)) & 0xFF);
}

std::string dib(int w, int h)
{
    std::string d;
    put32(d, 40), put32(d, w), put32(d, h), put16(d, 1), put16(d, 24);
    d += std::string(24, '\0');
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            d += char(x * 4), d += char(y * 4), d += char(128);
        d += std::string((4 - (w * 3) % 4) % 4, '\0');
    }
    return d;
}

// A chart of 1000 x 600 device pixels: 40 bars, a 200-point curve, 20 labels, a bitmap.
std::string emfChart(int seed)
{
    std::string records;
    int count = 0;
    auto record = [&](int type, const std::string &params) {
        put32(records, type);
        put32(records, 8 + static_cast<long long>(params.size()));
        records += params;
        ++count;
    };
    std::string p;
    auto rect = [&](int l, int t, int r, int b) { put32(p, l), put32(p, t), put32(p, r), put32(p, b); };
    p.clear(), put32(p, 1), put32(p, 0), put32(p, 0x00C08040 + seed), put32(p, 0), record(39, p);
    p.clear(), put32(p, 2), put32(p, 0), put32(p, 2), put32(p, 0), put32(p, 0x00202020), record(38, p);
    p.clear(), put32(p, 1), record(37, p);
    p.clear(), put32(p, 2), record(37, p);
    for (int i = 0; i < 40; ++i) {
        p.clear(), rect(40 + i * 23, 560 - (i * 37 + seed * 11) % 500, 58 + i * 23, 560), record(43, p);
    }
    p.clear(), rect(0, 0, 1000, 600), put32(p, 200);
    for (int i = 0; i < 200; ++i)
        put32(p, 40 + i * 4), put32(p, 300 + static_cast<int>(150 * std::sin((i + seed) / 15.0)));
    record(4, p);
    std::string face = std::string("A\0r\0i\0a\0l\0", 10) + std::string(54, '\0');
    p.clear(), put32(p, 3), put32(p, -24), put32(p, 0), put32(p, 0), put32(p, 0), put32(p, 400), put32(p, 0), p += face, record(82, p);
    p.clear(), put32(p, 3), record(37, p);
    for (int i = 0; i < 20; ++i) {
        const std::string text = std::string("L\0a\0b\0e\0l\0 \0", 12) + char('A' + i) + '\0';
        p.clear(), rect(0, 0, 0, 0), put32(p, 1), put32(p, 0), put32(p, 0), put32(p, 40 + i * 46), put32(p, 575), put32(p, 7),
            put32(p, 76), put32(p, 0), rect(0, 0, 0, 0), put32(p, 0), p += text, p += std::string(2, '\0'), record(84, p);
    }
    const std::string bitmap = dib(64, 64);
    p.clear(), rect(0, 0, 0, 0), put32(p, 900), put32(p, 20), put32(p, 0), put32(p, 0), put32(p, 64), put32(p, 64), put32(p, 80),
        put32(p, 40), put32(p, 120), put32(p, static_cast<long long>(bitmap.size()) - 40), put32(p, 0), put32(p, 0x00CC0020),
        put32(p, 80), put32(p, 80), p += bitmap, record(81, p);
    std::string header;
    put32(header, 1), put32(header, 88), put32(header, 0), put32(header, 0), put32(header, 999), put32(header, 599);
    put32(header, 0), put32(header, 0), put32(header, 26458), put32(header, 15875), put32(header, 0x464D4520), put32(header, 0x10000);
    put32(header, 88 + static_cast<long long>(records.size()) + 20), put32(header, count + 2), put16(header, 4), put16(header, 0);
    put32(header, 0), put32(header, 0), put32(header, 0), put32(header, 960), put32(header, 960), put32(header, 254), put32(header, 254);
    std::string eof;
    put32(eof, 14), put32(eof, 20), eof += std::string(12, '\0');
    return header + records + eof;
}

// A drawing in a 2000 x 1200 window: 100 ellipses and polygons and 20 text lines.
std::string wmfDrawing(int seed)
{
    std::string records;
    auto record = [&](int function, const std::string &params) {
        put32(records, 3 + static_cast<long long>(params.size()) / 2);
        put16(records, function);
        records += params;
    };
    std::string p;
    p.clear(), put16(p, 1200), put16(p, 2000), record(0x020C, p);
    p.clear(), put16(p, 0), put32(p, 0x0040A0F0 + seed), put16(p, 0), record(0x02FC, p);
    p.clear(), put16(p, 0), record(0x012D, p);
    for (int i = 0; i < 100; ++i) {
        const int x = (i * 137 + seed * 31) % 1800, y = (i * 71) % 1000;
        p.clear(), put16(p, y + 150), put16(p, x + 150), put16(p, y), put16(p, x), record(i % 2 ? 0x0418 : 0x041B, p);
    }
    std::string face = "Arial" + std::string(27, '\0');
    p.clear(), put16(p, -60), put16(p, 0), put16(p, 0), put16(p, 0), put16(p, 400), put16(p, 0), put16(p, 0), put16(p, 0), put16(p, 0);
    p += face, record(0x02FB, p);
    p.clear(), put16(p, 1), record(0x012D, p);
    for (int i = 0; i < 20; ++i) {
        p.clear(), put16(p, 12), p += "Drawing line", put16(p, 50 * i + 40), put16(p, 100), record(0x0521, p);
    }
    std::string header;
    put32(header, static_cast<long long>(0x9AC6CDD7)), put16(header, 0), put16(header, 0), put16(header, 0), put16(header, 2000);
    put16(header, 1200), put16(header, 1440), put32(header, 0), put16(header, 0);
    put16(header, 1), put16(header, 9), put16(header, 0x300), put32(header, (18 + static_cast<long long>(records.size()) + 6) / 2);
    put16(header, 4), put32(header, 0), put16(header, 0);
    std::string eof;
    put32(eof, 3), put16(eof, 0);
    return header + records + eof;
}

std::string hex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes)
        out += digits[c >> 4], out += digits[c & 15];
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    size_t metafileBytes = 0;
    for (int i = 0; i < 40; ++i) {
        const bool emf = i % 2 == 0;
        const std::string data = emf ? emfChart(i) : wmfDrawing(i);
        metafileBytes += data.size();
        rtf += "Figure " + std::to_string(i + 1) + "\\par ";
        rtf += emf ? "{\\pict\\emfblip\\picw26458\\pich15875\\picwgoal7500\\pichgoal4500 "
                   : "{\\pict\\wmetafile8\\picw3528\\pich2117\\picwgoal7500\\pichgoal4500 ";
        rtf += hex(data) + "}\\par ";
    }
    rtf += "}";
    if (argc > 1) {
        QFile file(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/metafiles.rtf"));
        if (file.open(QIODevice::WriteOnly))
            file.write(rtf.data(), qint64(rtf.size()));
    }

    // Each round reads the letter with no picture played before (every metafile is
    // played, as the first read in a process does), reads it again (the pictures come
    // from MetafileCache, as the send after a preview does) and renders its pages.
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const ConfigSettings settings = ConfigSettings::firstRun();
    std::vector<double> coldMs, warmMs, renderMs;
    int pages = 0;
    for (int r = 0; r < rounds; ++r) {
        MetafileCache::clear();
        QElapsedTimer clock;
        {
            QTextDocument doc;
            clock.start();
            LetterDocument::load(rtf, &doc);
            coldMs.push_back(clock.nsecsElapsed() / 1e6);
        }
        QTextDocument doc;
        clock.restart();
        LetterDocument::load(rtf, &doc);
        warmMs.push_back(clock.nsecsElapsed() / 1e6);
        PageRenderer renderer(settings);
        // With a folder argument the first page is kept as a PNG to look at.
        if (argc > 1 && r == 0)
            renderer.surfaceReady = [&](int page, const QImage &surface) {
                if (page == 1)
                    surface.save(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/metafiles-page1.png"));
            };
        clock.restart();
        pages = renderer.render(doc);
        renderMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    const auto minimum = [](const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); };
    std::printf("letter with 40 metafile pictures (20 EMF, 20 WMF; %zu KB of metafiles), %d pages\n", metafileBytes / 1024, pages);
    std::printf("%d rounds                                       median      min\n", rounds);
    std::printf("  read, every metafile played (first read) ms %8.1f %8.1f\n", median(coldMs), minimum(coldMs));
    std::printf("  read again, metafiles from the cache ms      %8.1f %8.1f\n", median(warmMs), minimum(warmMs));
    std::printf("  render the pages to JPEG ms                 %8.1f %8.1f\n", median(renderMs), minimum(renderMs));
    std::printf("  first read / render                         %8.2f\n", median(coldMs) / median(renderMs));
    std::printf("  read again / render                         %8.2f\n", median(warmMs) / median(renderMs));
    return 0;
}
