#include "composer/PictureSize.h"

#include "richtext/JpegPicture.h"

#include <QImage>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace PictureSize {

namespace {

int side(double v)
{
    return static_cast<int>(std::clamp(std::lround(v), 1L, long(kMaxSide)));
}

QTextImageFormat formatOf(const QTextCursor &picture)
{
    // The char format of a selection is that of the character before its end.
    QTextCursor end(picture.document());
    end.setPosition(picture.selectionEnd());
    return end.charFormat().toImageFormat();
}

bool isPicture(QTextCursor &c)
{
    if (c.selectionEnd() - c.selectionStart() != 1)
        return false;
    return formatOf(c).isValid() && c.selectedText() == QString(QChar::ObjectReplacementCharacter);
}

} // namespace

QTextCursor pictureAt(const QTextCursor &cursor)
{
    if (cursor.isNull())
        return {};
    QTextCursor c = cursor;
    if (c.hasSelection())
        return isPicture(c) ? c : QTextCursor();
    const int at = cursor.position();
    for (const int start : {at, at - 1}) {
        if (start < 0)
            continue;
        c.setPosition(start);
        if (!c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor))
            continue;
        if (isPicture(c))
            return c;
    }
    return {};
}

QSize naturalSize(const QTextCursor &picture)
{
    const QTextImageFormat format = formatOf(picture);
    const QSize jpeg = JpegPicture::sizeOf(JpegPicture::bytesOf(format));
    if (jpeg.isValid())
        return jpeg;
    const QVariant resource = picture.document()->resource(QTextDocument::ImageResource, QUrl(format.name()));
    const QSize size = resource.value<QImage>().size();
    return size.isEmpty() ? QSize(1, 1) : size;
}

QSize shownSize(const QTextCursor &picture)
{
    const QTextImageFormat format = formatOf(picture);
    const QSize natural = naturalSize(picture);
    // A side the format leaves open follows the other one, as the editor draws it.
    if (format.width() > 0 && format.height() > 0)
        return QSize(side(format.width()), side(format.height()));
    if (format.width() > 0)
        return withWidth(natural, side(format.width()));
    if (format.height() > 0)
        return withHeight(natural, side(format.height()));
    return natural;
}

QSize scaled(const QSize &natural, int percent)
{
    const double f = std::clamp(percent, 1, kMaxPercent) / 100.0;
    return QSize(side(natural.width() * f), side(natural.height() * f));
}

QSize withWidth(const QSize &natural, int width)
{
    width = std::clamp(width, 1, kMaxSide);
    if (natural.isEmpty())
        return QSize(width, width);
    return QSize(width, side(double(width) * natural.height() / natural.width()));
}

QSize withHeight(const QSize &natural, int height)
{
    height = std::clamp(height, 1, kMaxSide);
    if (natural.isEmpty())
        return QSize(height, height);
    return QSize(side(double(height) * natural.width() / natural.height()), height);
}

int percentOf(const QSize &natural, const QSize &size)
{
    if (natural.width() <= 0)
        return 100;
    return static_cast<int>(std::lround(100.0 * size.width() / natural.width()));
}

void resize(QTextCursor &picture, const QSize &size)
{
    QTextImageFormat format = formatOf(picture);
    if (!format.isValid())
        return;
    format.setWidth(std::clamp(size.width(), 1, kMaxSide));
    format.setHeight(std::clamp(size.height(), 1, kMaxSide));
    picture.beginEditBlock();
    picture.setCharFormat(format);
    picture.endEditBlock();
}

} // namespace PictureSize
