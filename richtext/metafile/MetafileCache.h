#pragma once

#include "richtext/metafile/MetafileRenderer.h"

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <cstddef>
#include <string_view>

// Metafile pictures as played, kept by their bytes and size: a letter that holds the same
// picture twice, or that is read again (the preview, then the send), plays it once. A hit
// shares the pixels of the image made before (QImage copies share them), so it costs no
// memory either. Bounded by pixels, the picture used longest ago leaves first; safe to
// use from several threads.
class MetafileCache
{
public:
    // Pixels of all kept images together (128 MB), the metafile bytes kept to tell
    // pictures apart, and pictures (a picture that cannot be drawn has no pixels).
    static constexpr qint64 kMaxPixels = 32 * 1024 * 1024;
    static constexpr qint64 kMaxBytes = 64 * 1024 * 1024;
    static constexpr size_t kMaxEntries = 1000;

    // The image MetafileRenderer::render makes of these arguments (with its time budget).
    static QImage render(std::string_view bytes, MetafileRenderer::Format format, const QSize &size, const QSizeF &shown);

    // Forgets every picture (tests and benchmarks that measure playing).
    static void clear();
    // Pictures kept now.
    static int count();
};
