#include "richtext/metafile/FreshImage.h"

#include <climits>
#include <cstring>
#include <sys/mman.h>

namespace {

struct Mapping
{
    void *address;
    size_t length;
};

void unmap(void *info)
{
    auto *mapping = static_cast<Mapping *>(info);
    munmap(mapping->address, mapping->length);
    delete mapping;
}

} // namespace

QImage FreshImage::transparent(const QSize &size)
{
    if (size.isEmpty())
        return QImage();
    // Rows of 32-bit pixels need no padding. Callers bound the size; the product is
    // checked all the same.
    const size_t rowBytes = size_t(size.width()) * 4;
    const size_t length = rowBytes * size_t(size.height());
    if (length / rowBytes != size_t(size.height()) || rowBytes > size_t(INT_MAX))
        return QImage();
    void *address = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        return image;
    }
#ifdef MADV_POPULATE_WRITE
    const bool populated = madvise(address, length, MADV_POPULATE_WRITE) == 0;
#else
    const bool populated = false;
#endif
    // A kernel without the call (before Linux 5.14): the pages are mapped by writing
    // them, as a clearing would; left to the drawing, each would fault twice.
    if (!populated)
        std::memset(address, 0, length);
    return QImage(static_cast<uchar *>(address), size.width(), size.height(), qsizetype(rowBytes),
                  QImage::Format_ARGB32_Premultiplied, &unmap, new Mapping{address, length});
}
