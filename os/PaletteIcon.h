#pragma once

#include <QIconEngine>

// A monochrome theme icon that stays visible on a dark desktop: while the program's palette
// is dark (its window colour darker than its text), the icon is drawn in the palette's text
// colour, its shape kept; on a light desktop it is the theme's icon as it is.
class PaletteIcon : public QIconEngine
{
public:
    explicit PaletteIcon(QIcon base);

    // `base` in an icon of this kind.
    static QIcon wrap(const QIcon &base);
    // Whether `window` is darker than `text` (a dark desktop).
    static bool isDark(const QColor &window, const QColor &text);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QString key() const override;
    QIconEngine *clone() const override;
    bool isNull() override;

private:
    QIcon m_base;
};
