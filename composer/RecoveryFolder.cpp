#include "composer/RecoveryFolder.h"

#include "os/AppError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString kCopySuffix = QStringLiteral(".letter");
const QString kLockSuffix = QStringLiteral(".lock");

// The owner of a copy file name "<owner>-<n>.letter"; owners hold no "-" of their own
// beyond the one between process id and start time.
QString ownerOf(const QString &copyName)
{
    const qsizetype dash = copyName.lastIndexOf(QLatin1Char('-'));
    return dash > 0 ? copyName.left(dash) : QString();
}

// Opens and locks a lock file; -1 when another process holds it (or it cannot be opened).
int takeLock(const QString &path, bool create)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

RecoveryFolder::RecoveryFolder(QString folder, QString owner)
    : m_folder(std::move(folder))
    , m_owner(std::move(owner))
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
    if (m_owner.isEmpty())
        m_owner = QStringLiteral("%1-%2")
                      .arg(QCoreApplication::applicationPid())
                      .arg(QDateTime::currentMSecsSinceEpoch(), 0, 36);
}

RecoveryFolder::~RecoveryFolder()
{
    if (m_lockFd < 0)
        return;
    // The copies that are still here were not saved: they stay for the next start, and
    // the absent lock file tells it that their owner is gone.
    QFile::remove(m_folder + m_owner + kLockSuffix);
    ::close(m_lockFd);
}

bool RecoveryFolder::open()
{
    if (m_lockFd >= 0)
        return true;
    if (!QDir().mkpath(m_folder))
        return false;
    m_lockFd = takeLock(m_folder + m_owner + kLockSuffix, true);
    return m_lockFd >= 0;
}

QString RecoveryFolder::newCopyPath()
{
    QString path;
    do
        path = m_folder + m_owner + QLatin1Char('-') + QString::number(++m_serial) + kCopySuffix;
    while (QFile::exists(path));
    return path;
}

RecoveryFolder::WriteResult RecoveryFolder::write(const QString &path, const RecoveryCopy &copy) const
{
    if (m_lockFd < 0)
        return WriteResult::Failed;
    if (copy.size() > RecoveryCopy::MaxBytes)
        return WriteResult::TooLarge;
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly)) {
        if (RecoveryCopy::stampOf(existing.read(64)) > copy.stamp)
            return WriteResult::Stale;
    }
    const bool created = !existing.exists();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return WriteResult::Failed;
    // A copy holds a letter not yet sent: only its writer reads it. A copy that exists
    // keeps the mode it was given.
    if (created)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes = copy.write();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return WriteResult::Failed;
    return WriteResult::Written;
}

void RecoveryFolder::remove(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

std::vector<RecoveryFolder::Found> RecoveryFolder::adoptLeftCopies(std::vector<Damaged> &damaged)
{
    std::vector<Found> found;
    if (m_lockFd < 0)
        return found;
    const QDir dir(m_folder);
    QStringList owners;
    for (const QString &name : dir.entryList({QStringLiteral("*") + kCopySuffix}, QDir::Files, QDir::Name)) {
        const QString owner = ownerOf(name);
        if (!owner.isEmpty() && owner != m_owner && !owners.contains(owner))
            owners << owner;
    }
    // Lock files of programs that ended without leaving copies are cleared away too.
    for (const QString &name : dir.entryList({QStringLiteral("*") + kLockSuffix}, QDir::Files, QDir::Name)) {
        const QString owner = name.chopped(kLockSuffix.size());
        if (owner != m_owner && !owners.contains(owner))
            owners << owner;
    }
    for (const QString &owner : owners) {
        // Held while its copies are taken, so that a program starting at the same time
        // sees the owner as running and leaves them alone.
        const QString lockPath = m_folder + owner + kLockSuffix;
        const int fd = takeLock(lockPath, true);
        if (fd < 0)
            continue; // its program runs
        const QStringList names =
            dir.entryList({owner + QStringLiteral("-*") + kCopySuffix}, QDir::Files, QDir::Name);
        for (const QString &name : names) {
            if (ownerOf(name) != owner)
                continue;
            const QString from = m_folder + name;
            QFile file(from);
            if (file.size() > RecoveryCopy::MaxBytes) {
                damaged.push_back({from, QStringLiteral("the copy is larger than a copy can be")});
                QFile::rename(from, from + QStringLiteral(".damaged"));
                continue;
            }
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = file.readAll();
            file.close();
            try {
                RecoveryCopy copy = RecoveryCopy::read(bytes);
                const QString to = newCopyPath();
                if (QFile::rename(from, to))
                    found.push_back({to, std::move(copy)});
            } catch (const AppError &e) {
                damaged.push_back({from, QString::fromUtf8(e.what())});
                QFile::rename(from, from + QStringLiteral(".damaged"));
            }
        }
        QFile::remove(lockPath);
        ::close(fd);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Found &a, const Found &b) { return a.copy.stamp < b.copy.stamp; });
    return found;
}
