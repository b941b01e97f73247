#include "richtext/metafile/MetafileRenderer.h"

#include "richtext/metafile/EmfPlayer.h"
#include "richtext/metafile/FreshImage.h"
#include "richtext/metafile/WmfPlayer.h"

#include <QFont>
#include <QPainter>

QImage MetafileRenderer::render(std::string_view bytes, Format format, const QSize &size, const QSizeF &shown, qint64 budgetMs)
{
    if (size.isEmpty() || qint64(size.width()) * size.height() > kMaxPixels)
        return QImage();
    QImage image = FreshImage::transparent(size);
    if (image.isNull())
        return QImage();
    int drawn;
    {
        QPainter painter(&image);
        drawn = format == Format::Emf ? EmfPlayer::play(bytes, painter, size, budgetMs)
                                      : WmfPlayer::play(bytes, painter, size, shown, budgetMs);
    }
    return drawn > 0 ? image : QImage();
}

QSizeF MetafileRenderer::naturalSize(std::string_view bytes, Format format)
{
    if (format == Format::Emf) {
        const QRectF frame = EmfPlayer::frame(bytes); // 0.01 mm
        return frame.isEmpty() ? QSizeF() : QSizeF(frame.width() * 96 / 2540, frame.height() * 96 / 2540);
    }
    int unitsPerInch = 0;
    const QRectF box = WmfPlayer::placeableBox(bytes, unitsPerInch);
    if (box.isEmpty() || unitsPerInch <= 0)
        return QSizeF();
    return QSizeF(box.width() * 96 / unitsPerInch, box.height() * 96 / unitsPerInch);
}

QImage MetafileRenderer::placeholder(const QSize &size, const QString &label)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(QColor(0xF4, 0xF4, 0xF4));
    QPainter painter(&image);
    painter.setPen(QColor(0xB0, 0xB0, 0xB0));
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    QFont font = painter.font();
    font.setPixelSize(std::clamp(std::min(image.width() / 10, image.height() / 3), 6, 14));
    painter.setFont(font);
    painter.setPen(QColor(0x70, 0x70, 0x70));
    painter.drawText(image.rect().adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap, label);
    return image;
}
