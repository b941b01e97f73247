#pragma once

#include "composer/RecoveryCopy.h"

#include <QString>
#include <QStringList>
#include <vector>

// The folder of recovery copies ("Recovery" in the data folder), shared by every copy of
// the program that runs on the same data. Each running program has an owner name (its
// process id and start time) and holds an flock on "<owner>.lock" for as long as it runs;
// its copies are "<owner>-<n>.letter". The lock goes with the process, however it ends,
// so a copy whose owner's lock can be taken was left by a program that no longer runs;
// one that cannot be taken belongs to a running program and is never touched.
class RecoveryFolder
{
public:
    enum class WriteResult { Written, Stale, TooLarge, Failed };

    // A copy found at start-up: taken over by this program (renamed into its own names),
    // or damaged (moved aside as "<name>.damaged", with the reason).
    struct Found
    {
        QString path;
        RecoveryCopy copy;
    };
    struct Damaged
    {
        QString path;
        QString reason;
    };

    // `owner` names this program; empty: the process id and the start time.
    explicit RecoveryFolder(QString folder, QString owner = {});
    ~RecoveryFolder();
    RecoveryFolder(const RecoveryFolder &) = delete;
    RecoveryFolder &operator=(const RecoveryFolder &) = delete;

    // Creates the folder and takes this program's lock; false when that failed (then
    // nothing is written, and nobody else's copies are taken).
    bool open();
    bool isOpen() const { return m_lockFd >= 0; }
    const QString &folder() const { return m_folder; }

    // A new path for a composer's copy.
    QString newCopyPath();
    // Writes the copy atomically (a temporary file, then a rename). A copy older than the
    // one already at `path` is not written (Stale); one larger than RecoveryCopy::MaxBytes
    // neither (TooLarge).
    WriteResult write(const QString &path, const RecoveryCopy &copy) const;
    static void remove(const QString &path);

    // Takes over the copies of programs that no longer run, oldest first. Damaged copies
    // are moved aside and listed in `damaged`.
    std::vector<Found> adoptLeftCopies(std::vector<Damaged> &damaged);

private:
    QString m_folder; // ends with "/"
    QString m_owner;
    int m_lockFd = -1;
    int m_serial = 0;
};
