#include "composer/PastedPictures.h"

#include "richtext/metafile/DibImage.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <vector>

namespace PastedPictures {

namespace {

QImage readFrom(QImageReader &reader)
{
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxSide || size.height() > kMaxSide))
        reader.setScaledSize(size.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (!image.isNull() && (image.width() > kMaxSide || image.height() > kMaxSide))
        image = image.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage readFile(const QString &path)
{
    QImageReader reader(path);
    return readFrom(reader);
}

// "data:[type][;base64],payload"
QImage readDataUrl(const QString &url)
{
    const qsizetype comma = url.indexOf(QLatin1Char(','));
    if (comma < 0)
        return {};
    const QString meta = url.mid(5, comma - 5);
    const QByteArray payload = url.mid(comma + 1).toLatin1();
    const QByteArray bytes = meta.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive)
        ? QByteArray::fromBase64(QByteArray::fromPercentEncoding(payload))
        : QByteArray::fromPercentEncoding(payload);
    return read(bytes);
}

QImage imageOfSource(QString src)
{
    src = src.trimmed();
    src.replace(QLatin1String("&amp;"), QLatin1String("&"));
    if (src.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
        return readDataUrl(src);
    if (src.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return readFile(QUrl(src).toLocalFile());
    if (src.startsWith(QLatin1Char('/')))
        return readFile(src);
    return {};
}

struct ImageRun
{
    int position;
    int length;
    QTextImageFormat format;
};

std::vector<ImageRun> imageRuns(const QTextDocument &doc)
{
    std::vector<ImageRun> runs;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().isImageFormat())
                runs.push_back({f.position(), f.length(), f.charFormat().toImageFormat()});
        }
    }
    return runs;
}

} // namespace

QImage read(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return readFrom(reader);
}

QString add(const QImage &image, QTextDocument *target)
{
    static int serial = 0;
    QString name;
    do {
        name = QStringLiteral("pasted://%1").arg(++serial);
    } while (target->resource(QTextDocument::ImageResource, QUrl(name)).isValid());
    // A bitmap's palette may name fewer colours than its pixels use; painting would read past it.
    target->addResource(QTextDocument::ImageResource, QUrl(name), QVariant(DibImage::withFullColorTable(image)));
    return name;
}

QString takeIntoDocument(const QString &html, QTextDocument *target)
{
    static const QRegularExpression imgTag(QStringLiteral("<img\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression srcAttr(QStringLiteral("\\bsrc\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
                                            QRegularExpression::CaseInsensitiveOption);
    QString out;
    out.reserve(html.size());
    qsizetype done = 0;
    auto it = imgTag.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch tag = it.next();
        out += QStringView(html).mid(done, tag.capturedStart() - done);
        done = tag.capturedEnd();
        const QString tagText = tag.captured();
        const QRegularExpressionMatch src = srcAttr.match(tagText);
        if (!src.hasMatch())
            continue;
        QString value = src.captured(1);
        if (value.isNull())
            value = src.captured(2);
        if (value.isNull())
            value = src.captured(3);
        const QImage image = imageOfSource(value);
        if (image.isNull())
            continue; // dropped
        const QString name = add(image, target);
        out += QStringView(tagText).left(src.capturedStart());
        out += QStringLiteral("src=\"") + name + QLatin1Char('"');
        out += QStringView(tagText).mid(src.capturedEnd());
    }
    out += QStringView(html).mid(done);
    return out;
}

void moveInto(QTextDocument &source, QTextDocument *target)
{
    for (ImageRun &run : imageRuns(source)) {
        const QImage picture = source.resource(QTextDocument::ImageResource, QUrl(run.format.name())).value<QImage>();
        if (picture.isNull())
            continue;
        run.format.setName(add(picture, target));
        QTextCursor c(&source);
        c.setPosition(run.position);
        c.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        c.setCharFormat(run.format);
    }
}

void copyResources(const QTextDocument &source, QTextDocument &copy)
{
    for (const ImageRun &run : imageRuns(copy)) {
        const QUrl name(run.format.name());
        const QVariant image = source.resource(QTextDocument::ImageResource, name);
        if (image.isValid())
            copy.addResource(QTextDocument::ImageResource, name, image);
    }
}

} // namespace PastedPictures
