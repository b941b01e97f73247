#include "os/PaletteIcon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPaintDevice>
#include <QPalette>

PaletteIcon::PaletteIcon(QIcon base)
    : m_base(std::move(base))
{
}

QIcon PaletteIcon::wrap(const QIcon &base)
{
    return QIcon(new PaletteIcon(base));
}

bool PaletteIcon::isDark(const QColor &window, const QColor &text)
{
    return window.lightnessF() < text.lightnessF();
}

void PaletteIcon::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state)
{
    const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QPixmap shown = scaledPixmap(rect.size(), mode, state, scale);
    painter->drawPixmap(rect, shown);
}

QPixmap PaletteIcon::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

QPixmap PaletteIcon::scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale)
{
    QPixmap drawn = m_base.pixmap(size, scale, mode, state);
    const QPalette palette = QGuiApplication::palette();
    const QPalette::ColorGroup group = mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active;
    const QColor text = palette.color(group, QPalette::WindowText);
    if (drawn.isNull() || !isDark(palette.color(QPalette::Window), palette.color(QPalette::WindowText)))
        return drawn;
    // The shape in the text colour: every pixel keeps its coverage and takes the colour.
    QPixmap recoloured(drawn.size());
    recoloured.setDevicePixelRatio(drawn.devicePixelRatio());
    recoloured.fill(Qt::transparent);
    QPainter painter(&recoloured);
    painter.drawPixmap(0, 0, drawn);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRect(QPoint(0, 0), drawn.size()), text);
    painter.end();
    return recoloured;
}

QSize PaletteIcon::actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return m_base.actualSize(size, mode, state);
}

QList<QSize> PaletteIcon::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    return m_base.availableSizes(mode, state);
}

QString PaletteIcon::key() const
{
    return QStringLiteral("PaletteIcon");
}

QIconEngine *PaletteIcon::clone() const
{
    return new PaletteIcon(m_base);
}

bool PaletteIcon::isNull()
{
    return m_base.isNull();
}
