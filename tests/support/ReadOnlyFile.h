#pragma once

#include <QFile>
#include <QString>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

// Makes a file refuse to be written, as a read-only data folder does, for as long as the
// object lives. A user takes the write permission away; root writes such a file all the
// same, so as root the file is made immutable instead (which ext4, XFS and btrfs keep).
// Either way an open for writing fails with "permission denied". made() is false where
// neither could be done.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(QString path)
        : m_path(std::move(path))
    {
        if (::geteuid() != 0)
            m_made = m_mode = QFile::setPermissions(m_path, QFile::ReadOwner);
        else
            m_made = m_immutable = setImmutable(true);
    }
    ~ReadOnlyFile() { release(); }
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    bool made() const { return m_made; }
    // Lets the file be written again.
    void release()
    {
        if (m_mode)
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        if (m_immutable)
            setImmutable(false);
        m_mode = m_immutable = false;
    }

private:
    bool setImmutable(bool on) const
    {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }

    QString m_path;
    bool m_made = false;
    bool m_mode = false;
    bool m_immutable = false;
};
