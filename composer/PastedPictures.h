#pragma once

#include <QImage>
#include <QString>

class QByteArray;
class QTextDocument;

// Pictures that come into the letter from the clipboard become images held by the
// letter's document under names of their own, so that saving writes them and a picture
// of one paste never takes the place of another.
namespace PastedPictures {

// Pictures larger than this are scaled down when read (a letter page is 600 x 800).
constexpr int kMaxSide = 4096;

// Rewrites every <img> of pasted HTML: pictures from local files ("file:" URLs and
// absolute paths) and data: URLs are read and added to target; every other picture
// (remote, relative, unreadable) is removed. Nothing is fetched from the network.
QString takeIntoDocument(const QString &html, QTextDocument *target);

// Renames every picture of source (a document read from pasted RTF) to a fresh name and
// adds its image to target under that name.
void moveInto(QTextDocument &source, QTextDocument *target);

// Copies the images that source's pictures name into copy (a document holding a part of
// source), so that copy can be written on its own.
void copyResources(const QTextDocument &source, QTextDocument &copy);

// Adds an image to target under a fresh name and returns the name.
QString add(const QImage &image, QTextDocument *target);
// Reads a picture from bytes, scaled to fit kMaxSide; null when unreadable.
QImage read(const QByteArray &bytes);

} // namespace PastedPictures
