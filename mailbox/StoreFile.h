#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// One operation's hold on MailBox.dat: opened for reading and writing (or, for an
// operation that only reads, for reading) and locked with an exclusive, non-blocking
// flock for as long as the object lives. A file that is missing, unwritable or held by
// another process raises "Cannot open file <path>" before anything is read or changed;
// a failure the system explains names its reason ("Cannot open file <path>: permission
// denied", "...: not found", "...: I/O error"; see openFailureReason).
class StoreFile
{
public:
    enum class Access { ReadWrite, Read };
    explicit StoreFile(const QString &path, Access access = Access::ReadWrite);

    // Why the file cannot be opened for writing ("permission denied", "read-only file
    // system"); empty when it can, or when it fails for another reason (missing, in use).
    static QString writeRefusal(const QString &path);
    // The words "Cannot open file <path>: ..." gives for an open that failed with the
    // system's `error`: "not found", "I/O error", "not a file", "permission denied",
    // "read-only file system"; empty for the others.
    static QString openFailureReason(int error);
    ~StoreFile();
    StoreFile(const StoreFile &) = delete;
    StoreFile &operator=(const StoreFile &) = delete;

    const QString &path() const { return m_path; }
    const QByteArray &nativePath() const { return m_nativePath; }
    int handle() const { return m_fd; }
    // Gives up the descriptor, and the lock with it, to the caller, who closes it; the
    // object holds no file afterwards.
    int release();

    // The size at opening, kept up to date by append() and truncate().
    std::int64_t size() const { return m_size; }

    // Reads up to `count` bytes at `offset`; fewer only where the file ends.
    std::int64_t readAt(std::int64_t offset, char *buffer, std::int64_t count) const;
    // Writes all `count` bytes at `offset` or raises an error.
    void writeAt(std::int64_t offset, const char *buffer, std::int64_t count);
    void truncate(std::int64_t size);
    // Flushes the file's data (and the size) to the disk.
    void syncData();

    // "Cannot write file <path>: <reason>" for the current errno.
    [[noreturn]] void failWrite() const;
    [[noreturn]] static void failWrite(const QString &path, int error);

private:
    QString m_path;
    QByteArray m_nativePath;
    int m_fd = -1;
    std::int64_t m_size = 0;
};
