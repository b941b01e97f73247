#pragma once

#include "richtext/layout/FormatRange.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

// Writes the preview's pages as files: the JPEG pictures as 1.jpg, 2.jpg, ... into a
// folder, or one PDF with one page per picture at the picture's own size. The PDF pages
// are the JPEG pictures themselves (exactly what the recipient sees); each page's text is
// laid invisibly over its picture, line by line where the picture shows it, so that it
// can be searched, selected and copied.
class PicturePdf
{
public:
    // Writes the pictures; throws AppError naming the file that could not be written.
    static void savePictures(const QString &folder, const std::vector<QByteArray> &pages);
    // The names savePictures uses that exist in the folder already.
    static QStringList existingNames(const QString &folder, std::size_t pages);
    // Where a picture goes on a sheet of paper: as large as fits, its aspect kept, centred.
    static QRect fittedRect(const QSize &picture, const QRect &paper);
    // Throws AppError when a picture cannot be read or the file cannot be written.
    // Each line of pageLines is laid where its page shows it and stretched to its width,
    // so that a search finds the words where the reader sees them.
    static void savePdf(const QString &path, const std::vector<QByteArray> &pages,
                        const std::vector<std::vector<FormatRange::TextLine>> &pageLines, const QString &title);
};
