#include "os/EmlHandOver.h"

#include "os/AppError.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

std::string localPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// Writes the whole buffer, going on after a partial write or an interrupted call.
bool writeAll(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

EmlHandOver::EmlHandOver(QString tempFolder)
    : m_tempFolder(std::move(tempFolder))
{
    while (m_tempFolder.size() > 1 && m_tempFolder.endsWith(QLatin1Char('/')))
        m_tempFolder.chop(1);
}

void EmlHandOver::makeFolder()
{
    // mkdtemp makes the folder with mode 0700 and fails rather than use a name that exists.
    std::string pattern = localPath(m_tempFolder + QStringLiteral("/vellorn-mail-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        throw AppError("Cannot create a private folder in " + m_tempFolder.toStdString());
    m_folder = QFile::decodeName(QByteArray::fromStdString(pattern));
}

QString EmlHandOver::write(const std::string &bytes)
{
    return write([&bytes](const PieceWriter &put) { put(bytes); });
}

QString EmlHandOver::write(const std::function<void(const PieceWriter &put)> &fill)
{
    if (m_folder.isEmpty())
        makeFolder();
    // mkostemps opens with O_CREAT | O_EXCL: a new file or nothing, never through a link.
    std::string pattern = localPath(m_folder + QStringLiteral("/mail-XXXXXX.eml"));
    const int fd = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
    if (fd < 0)
        throw AppError("Cannot create a file in " + m_folder.toStdString());
    bool written = true;
    try {
        fill([fd, &written](std::string_view piece) {
            if (written)
                written = writeAll(fd, piece);
        });
    } catch (...) {
        ::close(fd);
        ::unlink(pattern.c_str());
        throw;
    }
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(pattern.c_str());
        throw AppError("Cannot write file " + QFile::decodeName(pattern.c_str()).toStdString());
    }
    return QFile::decodeName(QByteArray::fromStdString(pattern));
}
