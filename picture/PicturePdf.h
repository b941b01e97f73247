#pragma once

#include "richtext/layout/FormatRange.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

// Writes the preview's pages as files: the pictures as 1.png, 2.jpg, ... (each named
// after its format) into a folder, or one PDF with one page per picture at its page's
// size. The PDF pages are the sent pictures themselves (exactly what the recipient sees); each page's text is
// laid invisibly over its picture, line by line where the picture shows it, so that it
// can be searched, selected and copied.
class PicturePdf
{
public:
    // Writes the pictures; throws AppError naming the file that could not be written.
    static void savePictures(const QString &folder, const std::vector<QByteArray> &pages);
    // The name savePictures gives the picture pages[index]: its page number and format.
    static QString pageFileName(const std::vector<QByteArray> &pages, std::size_t index);
    // The names savePictures uses that exist in the folder already.
    static QStringList existingNames(const QString &folder, const std::vector<QByteArray> &pages);
    // Where a picture goes on a sheet of paper: as large as fits, its aspect kept, centred.
    static QRect fittedRect(const QSize &picture, const QRect &paper);
    // Throws AppError when a picture cannot be read or the file cannot be written.
    // Each line of pageLines is laid where its page shows it and stretched to its width,
    // so that a search finds the words where the reader sees them.
    static void savePdf(const QString &path, const std::vector<QByteArray> &pages,
                        const std::vector<std::vector<FormatRange::TextLine>> &pageLines, const QString &title);
};
