#include "os/CachedIcon.h"

#include "os/PictureCache.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPaintDevice>
#include <QPalette>
#include <QPixmap>
#include <QPixmapCache>

CachedIcon::CachedIcon(QByteArray identity, Maker make, const PictureCache &cache, Kind kind)
    : m_identity(std::move(identity))
    , m_make(std::move(make))
    , m_cache(cache)
    , m_kind(std::move(kind))
{
}

QIcon CachedIcon::wrap(QByteArray identity, Maker make, const PictureCache &cache, Kind kind)
{
    return QIcon(new CachedIcon(std::move(identity), std::move(make), cache, std::move(kind)));
}

const QIcon &CachedIcon::base()
{
    if (!m_base)
        m_base = m_make();
    return *m_base;
}

QByteArray CachedIcon::keyFor(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) const
{
    QByteArray key = m_identity;
    key += '|' + QByteArray::number(size.width()) + 'x' + QByteArray::number(size.height()) + '@'
        + QByteArray::number(scale, 'g', 6) + '|' + QByteArray::number(int(mode)) + QByteArray::number(int(state))
        + '|' + qVersion();
    const QPalette palette = QGuiApplication::palette();
    // The style greys or tints these against the palette's background and selection.
    if (mode == QIcon::Disabled || mode == QIcon::Selected)
        key += '|' + m_kind.look + '/' + QByteArray::number(palette.color(QPalette::Disabled, QPalette::Window).rgba(), 16)
            + '/' + QByteArray::number(palette.color(QPalette::Active, QPalette::Highlight).rgba(), 16);
    if (m_kind.followsPalette) {
        const QPalette::ColorGroup group = mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active;
        key += '|' + QByteArray::number(palette.color(QPalette::Window).rgba(), 16) + '/'
            + QByteArray::number(palette.color(group, QPalette::WindowText).rgba(), 16);
    }
    return key;
}

QPixmap CachedIcon::scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale)
{
    if (size.isEmpty() || !(scale > 0))
        return base().pixmap(size, scale, mode, state);
    // A list draws the same icon on every row at every repaint: those come from memory, the
    // first of a run from the disk, a new one from the source.
    const QByteArray key = keyFor(size, mode, state, scale);
    const QString memoryKey = QStringLiteral("CachedIcon:") + QString::fromUtf8(key);
    QPixmap shown;
    if (QPixmapCache::find(memoryKey, &shown)) {
        m_hadPicture = true;
        return shown;
    }
    QImage found = m_cache.find(key);
    if (!found.isNull()) {
        shown = QPixmap::fromImage(std::move(found));
        shown.setDevicePixelRatio(scale);
    } else {
        shown = base().pixmap(size, scale, mode, state);
        if (shown.isNull())
            return shown;
        m_cache.store(key, shown.toImage());
    }
    m_hadPicture = true;
    QPixmapCache::insert(memoryKey, shown);
    return shown;
}

QPixmap CachedIcon::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

void CachedIcon::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state)
{
    const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, scale));
}

QSize CachedIcon::actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    // A vector picture is drawn at the size asked for, kept in its proportions; the kept
    // picture tells those without the source.
    if (m_kind.artwork) {
        const QPixmap shown = scaledPixmap(size, mode, state, 1.0);
        return shown.isNull() ? QSize() : shown.size();
    }
    return base().actualSize(size, mode, state);
}

QList<QSize> CachedIcon::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    if (m_kind.artwork)
        return {};
    return base().availableSizes(mode, state);
}

QString CachedIcon::key() const
{
    return QStringLiteral("CachedIcon");
}

QIconEngine *CachedIcon::clone() const
{
    auto *copy = new CachedIcon(m_identity, m_make, m_cache, m_kind);
    copy->m_base = m_base;
    copy->m_hadPicture = m_hadPicture;
    return copy;
}

bool CachedIcon::isNull()
{
    // Asked before any picture (a button deciding whether it has an icon): the source was
    // found on an earlier run, or is looked for now, and the answer kept, on disk for the
    // next run and here for the next question (menus and buttons ask again and again).
    if (m_kind.artwork || m_hadPicture)
        return false;
    if (m_base)
        return m_base->isNull();
    const QByteArray key = m_identity + "|there|" + qVersion();
    if (!m_cache.find(key).isNull()) {
        m_hadPicture = true;
        return false;
    }
    if (base().isNull())
        return true;
    QImage there(1, 1, QImage::Format_ARGB32_Premultiplied);
    there.fill(Qt::transparent);
    m_cache.store(key, there);
    return false;
}
