#include "picture/PaletteQuantizer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace {

struct Colour
{
    QRgb rgb;
    long long count;
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

// A set of opaque colours with a count and a palette index each: open addressing in flat
// arrays, no allocation per colour. At least twice the slots of the colours it takes (up to
// the limit and one line more), so a probe stays short; an opaque colour is never 0, which
// marks a free slot.
class ColourTable
{
public:
    static constexpr std::size_t Slots = std::size_t(1) << 17;

    ColourTable()
        : m_keys(Slots, 0)
        , m_counts(Slots, 0)
        , m_index(Slots, 0)
    {
    }

    // The slot of c, taken for it when it is new.
    std::size_t slot(QRgb c)
    {
        std::size_t i = hash(c);
        while (m_keys[i] != c) {
            if (m_keys[i] == 0) {
                m_keys[i] = c;
                ++m_size;
                return i;
            }
            i = (i + 1) & (Slots - 1);
        }
        return i;
    }
    // The slot of a colour known to be in the table.
    std::size_t find(QRgb c) const
    {
        std::size_t i = hash(c);
        while (m_keys[i] != c)
            i = (i + 1) & (Slots - 1);
        return i;
    }
    int size() const { return m_size; }
    QRgb key(std::size_t i) const { return m_keys[i]; }
    long long &count(std::size_t i) { return m_counts[i]; }
    uchar &index(std::size_t i) { return m_index[i]; }

private:
    // Fibonacci hashing: the top 17 bits of the product, for Slots = 2^17.
    static std::size_t hash(QRgb c) { return static_cast<quint32>(c * 0x9E3779B1u) >> 15; }

    std::vector<QRgb> m_keys;
    std::vector<long long> m_counts;
    std::vector<uchar> m_index;
    int m_size = 0;
};

// The page's distinct colours with their pixel counts, most frequent first (ties by
// colour, so that the order and the palette are the same every run); empty when there
// are more than the limit.
std::vector<Colour> distinctColours(const QImage &page, int limit, ColourTable &table)
{
    const int width = page.width();
    const int height = page.height();
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        // Runs of one colour (the ground, mostly) cost one look-up.
        int x = 0;
        while (x < width) {
            const QRgb c = line[x] | 0xFF000000u;
            int run = 1;
            while (x + run < width && (line[x + run] | 0xFF000000u) == c)
                ++run;
            table.count(table.slot(c)) += run;
            x += run;
        }
        if (table.size() > limit)
            return {};
    }
    std::vector<Colour> colours;
    colours.reserve(static_cast<std::size_t>(table.size()));
    for (std::size_t i = 0; i < ColourTable::Slots; ++i)
        if (table.key(i) != 0)
            colours.push_back({table.key(i), table.count(i)});
    std::sort(colours.begin(), colours.end(), [](const Colour &a, const Colour &b) {
        return a.count != b.count ? a.count > b.count : a.rgb < b.rgb;
    });
    return colours;
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
    if (page.width() > 32768)
        return result;
    auto table = std::make_unique<ColourTable>();
    const std::vector<Colour> colours = distinctColours(page, MaxDistinctColours, *table);
    if (colours.empty())
        return result;
    const long long pixels = static_cast<long long>(page.width()) * page.height();

    // The first palette size that keeps the page well enough; the error is counted over
    // the distinct colours, so trying a size costs no pass over the pixels.
    std::vector<QRgb> palette;
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
            table->index(table->find(c.rgb)) = static_cast<uchar>(best);
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
    const int width = page.width();
    uchar *bits = indexed.bits();
    const qsizetype stride = indexed.bytesPerLine();
    for (int y = 0; y < page.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        uchar *out = bits + stride * y;
        QRgb last = in[0] | 0xFF000000u;
        uchar lastIndex = table->index(table->find(last));
        for (int x = 0; x < width; ++x) {
            const QRgb c = in[x] | 0xFF000000u;
            if (c != last) {
                last = c;
                lastIndex = table->index(table->find(c));
            }
            out[x] = lastIndex;
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
