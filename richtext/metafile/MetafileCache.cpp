#include "richtext/metafile/MetafileCache.h"

#include <QByteArray>
#include <QHashFunctions>
#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

namespace {

struct Entry
{
    size_t hash;
    QByteArray bytes; // compared on a hit: equal hashes are not equal pictures
    MetafileRenderer::Format format;
    QSize size;
    QSizeF shown;
    QImage image;
    std::uint64_t lastUse;
};

struct Store
{
    std::mutex mutex;
    std::vector<Entry> entries; // few: a letter holds dozens of pictures, not thousands
    qint64 pixels = 0;
    qint64 bytes = 0;
    std::uint64_t clock = 0;
};

Store &store()
{
    static Store s;
    return s;
}

qint64 pixelsOf(const QImage &image)
{
    return qint64(image.width()) * image.height();
}

} // namespace

QImage MetafileCache::render(std::string_view bytes, MetafileRenderer::Format format, const QSize &size, const QSizeF &shown)
{
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    const size_t hash = qHash(view);
    Store &s = store();
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        for (Entry &e : s.entries) {
            if (e.hash == hash && e.format == format && e.size == size && e.shown == shown && e.bytes == view) {
                e.lastUse = ++s.clock;
                return e.image;
            }
        }
    }
    // Played without the lock: another thread may play another picture meanwhile.
    const QImage image = MetafileRenderer::render(bytes, format, size, shown);
    const qint64 pixels = pixelsOf(image);
    const qint64 length = view.size();
    if (pixels > kMaxPixels / 4 || length > kMaxBytes / 4)
        return image; // one picture may not push out all the others
    const std::lock_guard<std::mutex> lock(s.mutex);
    while (!s.entries.empty()
           && (s.pixels + pixels > kMaxPixels || s.bytes + length > kMaxBytes || s.entries.size() >= kMaxEntries)) {
        const auto oldest = std::min_element(s.entries.begin(), s.entries.end(),
                                             [](const Entry &a, const Entry &b) { return a.lastUse < b.lastUse; });
        s.pixels -= pixelsOf(oldest->image);
        s.bytes -= oldest->bytes.size();
        s.entries.erase(oldest);
    }
    s.entries.push_back({hash, view.toByteArray(), format, size, shown, image, ++s.clock});
    s.pixels += pixels;
    s.bytes += length;
    return image;
}

void MetafileCache::clear()
{
    Store &s = store();
    const std::lock_guard<std::mutex> lock(s.mutex);
    s.entries.clear();
    s.pixels = 0;
    s.bytes = 0;
}

int MetafileCache::count()
{
    Store &s = store();
    const std::lock_guard<std::mutex> lock(s.mutex);
    return int(s.entries.size());
}
