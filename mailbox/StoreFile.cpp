#include "mailbox/StoreFile.h"

#include "os/AppError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why writing is refused, in words; other failures are no refusal.
QString refusalReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return QStringLiteral("permission denied");
    case EROFS: return QStringLiteral("read-only file system");
    default: return {};
    }
}

// A file that is no regular file (a folder in its place) cannot be the store.
constexpr int kNotAFile = -1;

[[noreturn]] void failOpen(const QString &path, int error = 0)
{
    const QString reason = StoreFile::openFailureReason(error);
    throw AppError((reason.isEmpty() ? QStringLiteral("Cannot open file %1").arg(path)
                                     : QStringLiteral("Cannot open file %1: %2").arg(path, reason))
                       .toStdString());
}

} // namespace

QString StoreFile::openFailureReason(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return QStringLiteral("not found");
    case EIO: return QStringLiteral("I/O error");
    case EISDIR:
    case kNotAFile: return QStringLiteral("not a file");
    default: return refusalReason(error);
    }
}

QString StoreFile::writeRefusal(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    return refusalReason(errno);
}

StoreFile::StoreFile(const QString &path, Access access)
    : m_path(path)
    , m_nativePath(QFile::encodeName(path))
{
    // flock needs no write access: a reader locks out writers all the same.
    const int mode = (access == Access::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    // A purge replaces the file by renaming a new one over it. A process that opened
    // the old file just before that rename would get the lock once the purge lets go
    // and then work on a file nobody sees any more; so after locking, the open file
    // must still be the one the path names, else it is opened again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int fd = ::open(m_nativePath.constData(), mode);
        if (fd < 0)
            failOpen(path, errno);
        struct stat opened{}, named{};
        const bool statted = ::fstat(fd, &opened) == 0;
        if (!statted || !S_ISREG(opened.st_mode)) {
            const int error = statted ? kNotAFile : errno;
            ::close(fd);
            failOpen(path, error);
        }
        // Held by another operation or program: no reason the system names.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            failOpen(path);
        }
        if (::stat(m_nativePath.constData(), &named) == 0 && named.st_dev == opened.st_dev
            && named.st_ino == opened.st_ino) {
            m_fd = fd;
            m_size = opened.st_size;
            return;
        }
        ::close(fd);
    }
    failOpen(path);
}

StoreFile::~StoreFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int StoreFile::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

std::int64_t StoreFile::readAt(std::int64_t offset, char *buffer, std::int64_t count) const
{
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(m_fd, buffer + done, static_cast<size_t>(count - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            // strerror speaks the locale's encoding; the message itself is UTF-8.
            throw AppError(QStringLiteral("Cannot read file %1: %2")
                               .arg(m_path, QString::fromLocal8Bit(std::strerror(error)))
                               .toStdString());
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

void StoreFile::writeAt(std::int64_t offset, const char *buffer, std::int64_t count)
{
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(m_fd, buffer + done, static_cast<size_t>(count - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failWrite();
        }
        done += n;
    }
    if (offset + count > m_size)
        m_size = offset + count;
}

void StoreFile::truncate(std::int64_t size)
{
    if (::ftruncate(m_fd, size) != 0)
        failWrite();
    m_size = size;
}

void StoreFile::syncData()
{
    if (::fdatasync(m_fd) != 0)
        failWrite();
}

void StoreFile::failWrite() const
{
    failWrite(m_path, errno);
}

void StoreFile::failWrite(const QString &path, int error)
{
    // strerror speaks the locale's encoding; the message itself is UTF-8.
    throw AppError(QStringLiteral("Cannot write file %1: %2")
                       .arg(path, QString::fromLocal8Bit(std::strerror(error)))
                       .toStdString());
}
