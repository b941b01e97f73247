#include "mailbox/StorePurger.h"

#include "mailbox/BoxCode.h"
#include "mailbox/StoreFile.h"
#include "mailbox/StoreWalker.h"
#include "os/MessagePump.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Pieces small enough that the event loop is served often during a large purge.
constexpr std::int64_t CopyPiece = 16 * 1024 * 1024;
// In what pieces the copy is handed to the disk: large enough for sequential transfers,
// small beside the page cache.
constexpr std::int64_t WriteBehindPiece = 8 * 1024 * 1024;

} // namespace

StorePurger::StorePurger(StoreFile &store)
    : m_store(store)
    , m_target(QFileInfo(store.path()).canonicalFilePath())
{
    // Through a symbolic link the new file replaces the file the link names, beside it,
    // and the link stays.
    if (m_target.isEmpty())
        m_target = store.path();
}

StorePurger::~StorePurger()
{
    // Reached with the temporary file still open only when the purge failed.
    if (m_tempFd >= 0) {
        ::close(m_tempFd);
        ::unlink(m_tempPath.constData());
    }
}

QByteArray StorePurger::temporaryPrefix(const QByteArray &storePath)
{
    return storePath + ".purge-";
}

void StorePurger::run()
{
    // The walk and the copies go through the store once, front to back: the kernel's own
    // read-ahead, widened for that, keeps up with them. Asking for the store ahead of the
    // walk as well made the purge slower, not faster.
    ::posix_fadvise(m_store.handle(), 0, 0, POSIX_FADV_SEQUENTIAL);
    StoreWalker walker(m_store);
    StoreWalker::Step step;
    std::int64_t copyFrom = 0;   // start of the stretch kept since the last removed record
    while (walker.next(step)) {
        MessagePump::serve();
        if (!step.isRecord || step.header.boxCode != static_cast<char>(BoxCode::Deleted))
            continue;
        if (m_tempFd < 0)
            createTemporary();
        copyRange(copyFrom, step.start);
        copyFrom = step.end;
    }
    if (m_tempFd < 0)
        return;   // nothing to remove: the store stays as it is, byte for byte
    copyRange(copyFrom, m_store.size());
    replaceStore();
    releaseOldStore();
}

void StorePurger::writeBehind()
{
    if (m_written - m_writeBehind < WriteBehindPiece)
        return;
    // Starts the writing without waiting for it; the fsync before the rename still
    // decides. Where the call is not supported, the fsync does all the writing.
    ::sync_file_range(m_tempFd, m_writeBehind, m_written - m_writeBehind, SYNC_FILE_RANGE_WRITE);
    m_writeBehind = m_written;
}

void StorePurger::releaseOldStore()
{
    const int fd = m_store.release();
    if (fd < 0)
        return;
    try {
        std::thread([fd] { ::close(fd); }).detach();
    } catch (const std::system_error &) {
        ::close(fd);   // no thread to be had: wait for it here
    }
}

void StorePurger::removeStaleTemporaries()
{
    // Left behind by a purge that was killed before its rename; the store lock we
    // hold means no other purge is writing one now.
    const QFileInfo info(m_target);
    const QString prefix = info.fileName() + QStringLiteral(".purge-");
    const QDir dir = info.dir();
    const QStringList names = dir.entryList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names)
        QFile::remove(dir.filePath(name));
}

void StorePurger::createTemporary()
{
    removeStaleTemporaries();
    QByteArray pattern = temporaryPrefix(QFile::encodeName(m_target)) + "XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        StoreFile::failWrite(QFile::decodeName(pattern), errno);
    m_tempFd = fd;
    m_tempPath = pattern;
    // The new store keeps the old one's owner (where we may set it) and permissions.
    struct stat st{};
    if (::fstat(m_store.handle(), &st) == 0) {
        if (::fchown(m_tempFd, st.st_uid, st.st_gid) != 0) {
            // Not permitted for another user's file; it then belongs to us.
        }
        ::fchmod(m_tempFd, st.st_mode & 07777);
    }
}

void StorePurger::copyRange(std::int64_t from, std::int64_t to)
{
    while (from < to) {
        const std::int64_t piece = std::min(to - from, CopyPiece);
        if (!m_useCopyRange) {
            copyByReading(from, from + piece);
            from += piece;
            continue;
        }
        loff_t in = from;
        loff_t out = m_written;
        const ssize_t n = ::copy_file_range(m_store.handle(), &in, m_tempFd, &out, static_cast<size_t>(piece), 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) {
                m_useCopyRange = false;   // file system without in-kernel copies
                continue;
            }
            StoreFile::failWrite(QFile::decodeName(m_tempPath), errno);
        }
        if (n == 0)   // the store is shorter than its size said
            StoreFile::failWrite(QFile::decodeName(m_tempPath), EIO);
        from += n;
        m_written += n;
        writeBehind();
        MessagePump::serve();
    }
}

void StorePurger::copyByReading(std::int64_t from, std::int64_t to)
{
    std::vector<char> buffer(static_cast<size_t>(std::min<std::int64_t>(to - from, 1024 * 1024)));
    while (from < to) {
        const std::int64_t want = std::min<std::int64_t>(to - from, static_cast<std::int64_t>(buffer.size()));
        const std::int64_t got = m_store.readAt(from, buffer.data(), want);
        if (got != want)
            StoreFile::failWrite(QFile::decodeName(m_tempPath), EIO);
        std::int64_t done = 0;
        while (done < got) {
            const ssize_t n = ::pwrite(m_tempFd, buffer.data() + done, static_cast<size_t>(got - done), m_written);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                StoreFile::failWrite(QFile::decodeName(m_tempPath), errno);
            }
            done += n;
            m_written += n;
        }
        writeBehind();
        from += got;
        MessagePump::serve();
    }
}

void StorePurger::replaceStore()
{
    if (::fsync(m_tempFd) != 0)
        StoreFile::failWrite(QFile::decodeName(m_tempPath), errno);
    if (::close(m_tempFd) != 0) {
        m_tempFd = -1;
        ::unlink(m_tempPath.constData());
        StoreFile::failWrite(QFile::decodeName(m_tempPath), errno);
    }
    m_tempFd = -1;
    if (::rename(m_tempPath.constData(), QFile::encodeName(m_target).constData()) != 0) {
        const int error = errno;
        ::unlink(m_tempPath.constData());
        StoreFile::failWrite(m_store.path(), error);
    }
    // Make the rename itself durable. The new store is in place whatever happens
    // here, so a failure to sync the folder is not reported as a failed purge.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_target).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}
