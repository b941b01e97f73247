#include "os/PictureCache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QStandardPaths>
#include <QtEndian>

#include <cstdio>
#include <cstring>

namespace {

// File: magic, key length (4 bytes), key, width and height (4 bytes each), then the rows of
// 32-bit premultiplied ARGB pixels, top to bottom, without padding. The pixels are in the
// machine's byte order, which the magic names: a cache shared with another kind of machine
// is a miss there.
constexpr char kMagic[8] = {'V', 'L', 'N', 'P', 'I', 'C', Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 'l' : 'b', '\n'};
constexpr int kLongestKey = 4096;

bool readNumber(QFile &file, quint32 &value)
{
    char bytes[4];
    if (file.read(bytes, 4) != 4)
        return false;
    value = qFromLittleEndian<quint32>(bytes);
    return true;
}

void appendNumber(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

PictureCache::PictureCache(QString folder, qint64 limit)
    : m_folder(std::move(folder))
    , m_limit(limit)
{
}

QString PictureCache::defaultFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return base.isEmpty() ? QString() : QDir(base).filePath(QStringLiteral("vellorn-composer/pictures"));
}

QString PictureCache::fileFor(const QByteArray &key) const
{
    const QByteArray name = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    return QDir(m_folder).filePath(QString::fromLatin1(name) + QStringLiteral(".pic"));
}

QImage PictureCache::find(const QByteArray &key) const
{
    if (m_folder.isEmpty() || key.size() > kLongestKey)
        return {};
    QFile file(fileFor(key));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    char magic[sizeof kMagic];
    quint32 keyLength = 0;
    if (file.read(magic, sizeof magic) != qint64(sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0
        || !readNumber(file, keyLength) || keyLength != quint32(key.size()) || file.read(keyLength) != key)
        return {};
    quint32 width = 0;
    quint32 height = 0;
    if (!readNumber(file, width) || !readNumber(file, height) || width == 0 || height == 0
        || width > quint32(kLargestSide) || height > quint32(kLargestSide))
        return {};
    // The file holds exactly the pixels its header promises, before anything is allocated.
    const qint64 pixelBytes = qint64(width) * height * 4;
    if (file.size() - file.pos() != pixelBytes)
        return {};
    QImage picture(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull() || picture.bytesPerLine() != qsizetype(width) * 4)
        return {};
    if (file.read(reinterpret_cast<char *>(picture.bits()), pixelBytes) != pixelBytes)
        return {};
    return picture;
}

void PictureCache::store(const QByteArray &key, const QImage &picture) const
{
    if (m_folder.isEmpty() || key.size() > kLongestKey || picture.isNull() || picture.width() > kLargestSide
        || picture.height() > kLargestSide)
        return;
    const QImage pixels = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QByteArray header(kMagic, sizeof kMagic);
    appendNumber(header, quint32(key.size()));
    header.append(key);
    appendNumber(header, quint32(pixels.width()));
    appendNumber(header, quint32(pixels.height()));
    if (!QDir().mkpath(m_folder))
        return;
    // Written whole or not at all: a reader never sees half a picture. A cache needs no sync
    // to the disk (a picture lost to a power cut is drawn again), and a sync per picture
    // would make the first start wait for the disk dozens of times.
    const QString path = fileFor(key);
    QTemporaryFile file(path + QStringLiteral(".XXXXXX.tmp"));
    if (!file.open())
        return;
    file.write(header);
    for (int y = 0; y < pixels.height(); ++y)
        file.write(reinterpret_cast<const char *>(pixels.constScanLine(y)), qint64(pixels.width()) * 4);
    if (!file.flush() || file.error() != QFileDevice::NoError
        || std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return;
    file.setAutoRemove(false);
    // The folder is looked over once a run, at its first new picture.
    if (!m_trimmed) {
        m_trimmed = true;
        trim(path);
    }
}

void PictureCache::trim(const QString &written) const
{
    // The picture just written stays; of the others, newest first, what lies past the limit goes.
    qint64 total = QFileInfo(written).size();
    const QFileInfoList files = QDir(m_folder).entryInfoList({QStringLiteral("*.pic")}, QDir::Files, QDir::Time);
    for (const QFileInfo &f : files) {
        if (f.filePath() == written)
            continue;
        total += f.size();
        if (total > m_limit)
            QFile::remove(f.filePath());
    }
    // What a run that ended in the middle of a write left behind.
    const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
    for (const QFileInfo &f : QDir(m_folder).entryInfoList({QStringLiteral("*.tmp")}, QDir::Files))
        if (f.lastModified() < hourAgo)
            QFile::remove(f.filePath());
}
