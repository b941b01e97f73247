#include "picture/PaletteQuantizer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

struct Colour
{
    QRgb rgb;
    long long count;
    // Its place in the table of the page's colours.
    int id;
};

int squaredDistance(QRgb a, QRgb b)
{
    const int r = qRed(a) - qRed(b);
    const int g = qGreen(a) - qGreen(b);
    const int bl = qBlue(a) - qBlue(b);
    return r * r + g * g + bl * bl;
}

// Squared distance of c from the straight ramp between a and b.
double rampDistance(QRgb c, QRgb a, QRgb b)
{
    const double d[3] = {double(qRed(b) - qRed(a)), double(qGreen(b) - qGreen(a)), double(qBlue(b) - qBlue(a))};
    const double v[3] = {double(qRed(c) - qRed(a)), double(qGreen(c) - qGreen(a)), double(qBlue(c) - qBlue(a))};
    const double length = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const double t = length > 0 ? std::clamp((v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / length, 0.0, 1.0) : 0.0;
    double sum = 0;
    for (int i = 0; i < 3; ++i) {
        const double e = v[i] - t * d[i];
        sum += e * e;
    }
    return sum;
}

QRgb mix(QRgb a, QRgb b, double t)
{
    const auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)), channel(qBlue(a), qBlue(b)));
}

// The page's distinct colours, each with an id (0, 1, ... in the order met) and its pixel
// count, found through a hash table of open addressing in flat arrays: no allocation per
// colour. Twice the slots of the colours it takes (up to the limit and one line more), so a
// probe stays short; an opaque colour is never 0, which marks a free slot. Each thread keeps
// one from page to page (a page's slots are a megabyte to clear); clear() frees the slots
// it used.
class ColourTable
{
public:
    static constexpr std::size_t Slots = std::size_t(1) << 17;
    // Ids fit 16 bits: the limit, and a line of at most MaxWidth more.
    static constexpr int MaxColours = 65536;
    static constexpr int MaxWidth = 32768;

    ColourTable()
        : m_keys(Slots, 0)
        , m_ids(Slots, 0)
    {
    }

    // The id of c, a new one when it is new.
    std::uint32_t id(QRgb c)
    {
        std::size_t i = hash(c);
        while (m_keys[i] != c) {
            if (m_keys[i] == 0)
                return add(i, c);
            i = (i + 1) & (Slots - 1);
        }
        return m_ids[i];
    }
    int size() const { return static_cast<int>(m_colours.size()); }
    // The colours by id.
    std::vector<Colour> &colours() { return m_colours; }

    void clear()
    {
        // Each key is still there when its turn comes: the search goes on past the slots
        // freed before it, to the key itself.
        for (const Colour &c : m_colours) {
            std::size_t i = hash(c.rgb);
            while (m_keys[i] != c.rgb)
                i = (i + 1) & (Slots - 1);
            m_keys[i] = 0;
        }
        m_colours.clear();
    }

private:
    // Out of the way of the look-up, which is inlined in the loops over the pixels.
    [[gnu::noinline]] std::uint32_t add(std::size_t slot, QRgb c)
    {
        m_keys[slot] = c;
        m_ids[slot] = static_cast<std::uint16_t>(m_colours.size());
        m_colours.push_back({c, 0, static_cast<int>(m_colours.size())});
        return m_ids[slot];
    }

    // Fibonacci hashing: the top 17 bits of the product, for Slots = 2^17.
    static std::size_t hash(QRgb c) { return static_cast<quint32>(c * 0x9E3779B1u) >> 15; }

    std::vector<QRgb> m_keys;
    std::vector<std::uint16_t> m_ids;
    std::vector<Colour> m_colours;
};

// The page as runs of one colour, row by row (a run never goes past its row): the colour's
// id in the high 16 bits, the run's length less one in the low 16. A page of text is mostly
// long runs of its ground, so the pixels are compared once and looked up once a run.
using Run = std::uint32_t;

// The runs of a page in a flat buffer kept from page to page. Room is made once a row, so
// adding a run is a plain store (a page of text has a few hundred thousand).
class RunList
{
public:
    // Room for `more` runs after the last.
    void reserve(std::size_t more)
    {
        if (m_capacity - m_size < more)
            grow(more);
    }
    // Only within the room reserved.
    void add(Run run) { m_runs[m_size++] = run; }
    const Run *begin() const { return m_runs.get(); }

    void clear()
    {
        m_size = 0;
        // A page of noise leaves a run a pixel: give such a buffer back.
        if (m_capacity > (std::size_t(1) << 22)) {
            m_runs.reset();
            m_capacity = 0;
        }
    }

private:
    void grow(std::size_t more)
    {
        const std::size_t capacity = std::max(m_capacity * 2, m_size + more);
        auto runs = std::make_unique_for_overwrite<Run[]>(capacity);
        std::copy_n(m_runs.get(), m_size, runs.get());
        m_runs = std::move(runs);
        m_capacity = capacity;
    }

    std::unique_ptr<Run[]> m_runs;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// What one thread keeps from page to page, emptied after each.
struct Workspace
{
    ColourTable table;
    RunList runs;

    void clear()
    {
        table.clear();
        runs.clear();
    }
};

// Where the 64 pixels of line[from, from + 64) differ from the pixel before each (alpha
// ignored): bit i for pixel from + i. Without a branch, so it goes at the speed of the
// pixels however short the runs (anti-aliased text is runs of a few pixels).
std::uint64_t runStarts64(const QRgb *line, int from)
{
    std::uint64_t starts = 0;
#if defined(__SSE2__)
    const __m128i colour = _mm_set1_epi32(0xFFFFFF);
    for (int i = 0; i < 64; i += 4) {
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line + from + i - 1));
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line + from + i));
        const __m128i same = _mm_cmpeq_epi32(_mm_and_si128(_mm_xor_si128(before, here), colour), _mm_setzero_si128());
        const auto differ = static_cast<unsigned>(~_mm_movemask_ps(_mm_castsi128_ps(same))) & 0xFu;
        starts |= std::uint64_t(differ) << i;
    }
#else
    for (int i = 0; i < 64; ++i)
        starts |= std::uint64_t(((line[from + i - 1] ^ line[from + i]) & 0xFFFFFFu) != 0) << i;
#endif
    return starts;
}

// Counts the page's colours into the table and lists its runs; false when there are more
// colours than the limit (the count stops there).
bool countColours(const QImage &page, int limit, Workspace &w)
{
    const int width = page.width();
    const int height = page.height();
    ColourTable &table = w.table;
    std::vector<Colour> &colours = table.colours();
    const auto addRun = [&](QRgb c, int length) __attribute__((always_inline)) {
        const std::uint32_t id = table.id(c | 0xFF000000u);
        colours[id].count += length;
        w.runs.add(id << 16 | static_cast<std::uint32_t>(length - 1));
    };
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        w.runs.reserve(static_cast<std::size_t>(width));
        // A row of one colour (a blank row of the ground, mostly): each pixel equals the
        // next, which memcmp tells at the speed of a copy.
        if (width == 1 || std::memcmp(line, line + 1, (static_cast<std::size_t>(width) - 1) * sizeof(QRgb)) == 0) {
            addRun(line[0], width);
        } else {
            // The row's run starts 64 pixels at a time, each run taken off the mask.
            int start = 0;
            for (int from = 1; from < width; from += 64) {
                std::uint64_t starts = 0;
                if (from + 64 <= width) {
                    starts = runStarts64(line, from);
                } else {
                    for (int i = 0; from + i < width; ++i)
                        starts |= std::uint64_t(((line[from + i - 1] ^ line[from + i]) & 0xFFFFFFu) != 0) << i;
                }
                while (starts != 0) {
                    const int x = from + std::countr_zero(starts);
                    starts &= starts - 1;
                    addRun(line[start], x - start);
                    start = x;
                }
            }
            addRun(line[start], width - start);
        }
        if (table.size() > limit)
            return false;
    }
    return true;
}

// The table's colours most frequent first (ties by colour, so that the order and the
// palette are the same every run).
std::vector<Colour> byFrequency(const std::vector<Colour> &colours)
{
    std::vector<Colour> sorted = colours;
    std::sort(sorted.begin(), sorted.end(), [](const Colour &a, const Colour &b) {
        return a.count != b.count ? a.count > b.count : a.rgb < b.rgb;
    });
    return sorted;
}

// The ground, the inks and the ramps between the ground and each ink, then the most
// frequent colours still far from every entry, up to maxColours entries.
std::vector<QRgb> rampPalette(const std::vector<Colour> &colours, int maxColours, long long pixels)
{
    // A colour on no ramp becomes an ink when it covers this share of the page at least
    // (the solid middle of strokes in one colour), and lies this far from every ramp.
    const long long minInk = std::max<long long>(8, pixels / 50000);
    constexpr double kOffRamp = 16.0 * 16.0;
    // Few inks for a small palette: each takes its own ramp's steps.
    const int maxInks = maxColours <= 16 ? 3 : 15;

    const QRgb ground = colours.front().rgb;
    std::vector<QRgb> inks;
    for (std::size_t i = 1; i < colours.size() && static_cast<int>(inks.size()) < maxInks; ++i) {
        if (colours[i].count < minInk)
            break;
        const QRgb c = colours[i].rgb;
        const bool onRamp = std::any_of(inks.begin(), inks.end(),
                                        [&](QRgb ink) { return rampDistance(c, ground, ink) <= kOffRamp; });
        if (!onRamp)
            inks.push_back(c);
    }

    std::vector<QRgb> palette{ground};
    palette.insert(palette.end(), inks.begin(), inks.end());
    if (!inks.empty()) {
        const int steps = (maxColours - static_cast<int>(palette.size())) / static_cast<int>(inks.size());
        for (const QRgb ink : inks)
            for (int s = 1; s <= steps; ++s)
                palette.push_back(mix(ground, ink, double(s) / (steps + 1)));
    }
    // The places left go to the most frequent colours not yet near an entry.
    constexpr int kNear = 8 * 8;
    for (const Colour &c : colours) {
        if (static_cast<int>(palette.size()) >= maxColours)
            break;
        if (std::none_of(palette.begin(), palette.end(), [&](QRgb p) { return squaredDistance(p, c.rgb) <= kNear; }))
            palette.push_back(c.rgb);
    }
    return palette;
}

double psnrOf(double squaredErrorSum, long long samples)
{
    if (squaredErrorSum <= 0 || samples <= 0)
        return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(255.0 * 255.0 * double(samples) / squaredErrorSum);
}

} // namespace

PaletteQuantizer::Result PaletteQuantizer::reduce(const QImage &page, int maxColours)
{
    return reduce(page, {maxColours}, 0);
}

PaletteQuantizer::Result PaletteQuantizer::reduce(const QImage &page, std::initializer_list<int> sizes, double minPsnr)
{
    Result result;
    if (page.isNull() || (page.format() != QImage::Format_RGB32 && page.format() != QImage::Format_ARGB32))
        return result;
    // The table's slots hold all the page's colours (a line may add up to its width
    // beyond the limit before the check): the limit plus a line's width at most.
    if (page.width() > ColourTable::MaxWidth)
        return result;
    static_assert(MaxDistinctColours + ColourTable::MaxWidth <= ColourTable::MaxColours);
    thread_local Workspace workspace;
    // Emptied for the next page however this one ends.
    struct Clear
    {
        Workspace &w;
        ~Clear() { w.clear(); }
    } clear{workspace};
    if (!countColours(page, MaxDistinctColours, workspace))
        return result;
    const std::vector<Colour> colours = byFrequency(workspace.table.colours());
    const long long pixels = static_cast<long long>(page.width()) * page.height();

    // The first palette size that keeps the page well enough; the error is counted over
    // the distinct colours, so trying a size costs no pass over the pixels.
    std::vector<QRgb> palette;
    // The palette entry of each colour, by its id.
    std::vector<uchar> entry(colours.size());
    bool found = false;
    for (const int size : sizes) {
        const int maxColours = std::clamp(size, 2, 256);
        palette.clear();
        if (static_cast<int>(colours.size()) <= maxColours) {
            for (const Colour &c : colours)
                palette.push_back(c.rgb);
        } else {
            palette = rampPalette(colours, maxColours, pixels);
        }
        // Each distinct colour to its nearest entry, and the error that makes.
        double error = 0;
        for (const Colour &c : colours) {
            int best = 0;
            int bestDistance = std::numeric_limits<int>::max();
            for (std::size_t i = 0; i < palette.size() && bestDistance > 0; ++i) {
                const int d = squaredDistance(c.rgb, palette[i]);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = static_cast<int>(i);
                }
            }
            entry[static_cast<std::size_t>(c.id)] = static_cast<uchar>(best);
            error += double(bestDistance) * double(c.count);
        }
        result.psnr = psnrOf(error, pixels * 3);
        if (result.psnr >= minPsnr) {
            found = true;
            break;
        }
    }
    if (!found)
        return result;

    QImage indexed(page.size(), QImage::Format_Indexed8);
    if (indexed.isNull())
        return result;
    indexed.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    indexed.setDotsPerMeterX(page.dotsPerMeterX());
    indexed.setDotsPerMeterY(page.dotsPerMeterY());
    indexed.setDevicePixelRatio(page.devicePixelRatio());
    // The runs, row by row, each filled with its colour's entry.
    const int width = page.width();
    uchar *bits = indexed.bits();
    const qsizetype stride = indexed.bytesPerLine();
    const Run *run = workspace.runs.begin();
    for (int y = 0; y < page.height(); ++y) {
        uchar *out = bits + stride * y;
        for (int x = 0; x < width; ++run) {
            const int length = static_cast<int>(*run & 0xFFFFu) + 1;
            const uchar value = entry[*run >> 16];
            // A short run as one store of 8 bytes (the bytes past it are the next runs',
            // written after it) where the row has room; a call to memset costs more.
            if (length <= 8 && x + 8 <= width) {
                const std::uint64_t eight = value * 0x0101010101010101ull;
                std::memcpy(out + x, &eight, 8);
            } else {
                std::memset(out + x, value, static_cast<std::size_t>(length));
            }
            x += length;
        }
    }
    result.indexed = std::move(indexed);
    return result;
}

double PaletteQuantizer::psnr(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double error = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            error += squaredDistance(p[col], q[col]);
    }
    return psnrOf(error, static_cast<long long>(x.width()) * x.height() * 3);
}
