#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QTextCursor;
class QUrl;
struct ConfigSettings;

// Pictures that come into the letter from files (Insert Picture, or dropped on the
// editor). A file is recognised by its content, not its name; it is decoded once and
// capped in pixels as a pasted picture is, and a picture wider than the pages' text is
// shown at that width. A JPEG keeps its file, so the letter stores it unchanged.
namespace PictureFile {

// Files larger than this are not read (a letter page is 600 x 800 pixels).
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

struct Picture
{
    QImage image;    // decoded, at most PastedPictures::kMaxSide a side
    QByteArray jpeg; // the file itself when it is a JPEG
    QString error;   // why the file gave no picture (then image is null)
};

// The open dialog's filter of the formats taken.
QString dialogFilter();

// The format of a file's content ("png", "jpeg", "gif", "bmp", "svg"); empty when it is
// none of these.
QByteArray formatOf(const QString &path);

Picture read(const QString &path);

// Width of the text on a letter page, in pixels: the page width less its side margins.
int textWidth(const ConfigSettings &settings);
// The size a picture of these pixels is shown at: its own, or scaled to textWidth when wider.
QSizeF shownSize(const QSize &pixels, int textWidth);

// Inserts the picture at the cursor (replacing its selection) as one undo step.
void insert(QTextCursor &cursor, const Picture &picture, int textWidth);

// Dropped files sorted: pictures go into the letter, every other file is attached.
struct Dropped
{
    QStringList pictures;
    QStringList others;
};
// Only local files count; an empty result means the drop holds no file.
Dropped sort(const QList<QUrl> &urls);

} // namespace PictureFile
