#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Pictures drawn from vector artwork, kept on disk between runs, so that a start shows its
// splash and tool pictures without parsing and drawing the artwork again. A picture is found
// by a key that names everything it was drawn from (source, its version, size, scale,
// colours). Pixels are kept raw, in this machine's byte order: loading one is a single read.
// A missing, short, damaged or foreign file is a miss, never an error; a folder that cannot
// be written keeps nothing. Pictures of an older theme or build are never asked for again:
// the first store of a run that finds the folder past `limit` bytes removes the oldest files.
class PictureCache
{
public:
    static constexpr qint64 kDefaultLimit = 32 * 1024 * 1024;

    // An empty folder keeps nothing and finds nothing.
    explicit PictureCache(QString folder, qint64 limit = kDefaultLimit);

    // The program's folder in the user's cache folder; empty when there is none.
    static QString defaultFolder();

    QImage find(const QByteArray &key) const;
    void store(const QByteArray &key, const QImage &picture) const;

    // Larger pictures are neither kept nor believed.
    static constexpr int kLargestSide = 4096;

private:
    QString fileFor(const QByteArray &key) const;
    void trim(const QString &written) const;

    QString m_folder;
    qint64 m_limit;
    mutable bool m_trimmed = false;
};
