#pragma once

#include <QIconEngine>

#include <functional>
#include <optional>

class PictureCache;

// An icon whose drawn pictures come from a PictureCache. The icon itself (`make`: a theme
// lookup, an SVG parse) is made only when a picture of the asked size, scale, mode and
// colours is not in the cache yet; what it then draws is kept for the next run.
class CachedIcon : public QIconEngine
{
public:
    using Maker = std::function<QIcon()>;

    struct Kind
    {
        // Drawn in the palette's colours, which then belong to the key.
        bool followsPalette = false;
        // One of the program's own vector pictures: always there, without fixed sizes.
        bool artwork = false;
        // The widget style's name: disabled and selected pictures are made by the style.
        QByteArray look;
    };

    // `identity` names the source and its version.
    CachedIcon(QByteArray identity, Maker make, const PictureCache &cache, Kind kind);

    static QIcon wrap(QByteArray identity, Maker make, const PictureCache &cache, Kind kind);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QString key() const override;
    QIconEngine *clone() const override;
    bool isNull() override;

private:
    const QIcon &base();
    QByteArray keyFor(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) const;

    QByteArray m_identity;
    Maker m_make;
    const PictureCache &m_cache;
    Kind m_kind;
    std::optional<QIcon> m_base;
    bool m_hadPicture = false;
};
