#include "picture/PicturePdf.h"

#include "os/AppError.h"
#include "picture/PagePicture.h"
#include "picture/PageRenderer.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

namespace {

std::string native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

// Lays each line without ink over the place the picture shows it: a font of the line's
// height, stretched across the line's width, so that selecting a word marks that word.
void drawTextLayer(QPainter &painter, const std::vector<FormatRange::TextLine> &lines)
{
    painter.save();
    painter.setPen(QColor(0, 0, 0, 0));
    QFont font(QStringLiteral("DejaVu Sans"));
    for (const FormatRange::TextLine &line : lines) {
        if (line.text.isEmpty() || line.rect.width() <= 0 || line.rect.height() <= 0)
            continue;
        font.setPixelSize(std::max(1, qRound(line.rect.height() * 0.8)));
        const QFontMetricsF metrics(font, painter.device());
        const qreal width = metrics.horizontalAdvance(line.text);
        if (width <= 0)
            continue;
        painter.setFont(font);
        painter.save();
        painter.translate(line.rect.left(), line.baseline);
        painter.scale(line.rect.width() / width, 1.0);
        painter.drawText(QPointF(0, 0), line.text);
        painter.restore();
    }
    painter.restore();
}

} // namespace

void PicturePdf::savePictures(const QString &folder, const std::vector<QByteArray> &pages)
{
    const QDir dir(folder);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QString path = dir.filePath(pageFileName(pages, i));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(pages[i]) != pages[i].size() || !file.commit())
            throw AppError("Cannot write file \"" + native(path) + "\"");
    }
}

QString PicturePdf::pageFileName(const std::vector<QByteArray> &pages, std::size_t index)
{
    const QByteArray none;
    const QByteArray &bytes = index < pages.size() ? pages[index] : none;
    return PagePicture::fileNameText(static_cast<int>(index) + 1,
                                     std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QStringList PicturePdf::existingNames(const QString &folder, const std::vector<QByteArray> &pages)
{
    QStringList names;
    const QDir dir(folder);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QString name = pageFileName(pages, i);
        if (dir.exists(name))
            names << name;
    }
    return names;
}

void PicturePdf::savePdf(const QString &path, const std::vector<QByteArray> &pages,
                         const std::vector<std::vector<FormatRange::TextLine>> &pageLines, const QString &title)
{
    if (pages.empty())
        throw AppError("There are no pages to write");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError("Cannot write file \"" + native(path) + "\"");
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Vellorn Composer"));
        pdf.setResolution(PageRenderer::Dpi);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const QImage picture = PagePicture::decode(pages[i]);
            if (picture.isNull())
                throw AppError("Page " + std::to_string(i + 1) + " is not a picture that can be read");
            // One page per picture, at its page's size (pixels at 96 per inch, in points);
            // a sharp picture keeps all its pixels in that size.
            const QSizeF points = picture.deviceIndependentSize() * 72.0 / PageRenderer::Dpi;
            pdf.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
            if (i == 0) {
                if (!painter.begin(&pdf))
                    throw AppError("Cannot write file \"" + native(path) + "\"");
            } else {
                pdf.newPage();
            }
            const QRect page(QPoint(0, 0), picture.deviceIndependentSize().toSize());
            // The text first, without ink, then the picture over it.
            if (i < pageLines.size())
                drawTextLayer(painter, pageLines[i]);
            painter.drawImage(page, picture);
        }
        painter.end();
    }
    if (!file.commit())
        throw AppError("Cannot write file \"" + native(path) + "\"");
}

QRect PicturePdf::fittedRect(const QSize &picture, const QRect &paper)
{
    if (picture.isEmpty() || paper.isEmpty())
        return {};
    const QSize size = picture.scaled(paper.size(), Qt::KeepAspectRatio);
    return QRect(paper.x() + (paper.width() - size.width()) / 2, paper.y() + (paper.height() - size.height()) / 2,
                 size.width(), size.height());
}
