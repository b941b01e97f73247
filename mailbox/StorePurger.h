#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

class StoreFile;

// Cuts the records marked 'D' out of a locked store in one pass: everything else
// (the file header, the other records and any damaged stretch) is copied, in order,
// into a new file in the same folder, which is flushed to the disk and renamed over
// the store. Until the rename the store is untouched; after it, it is the whole new
// file. A store without deleted records is not rewritten at all.
class StorePurger
{
public:
    explicit StorePurger(StoreFile &store);
    ~StorePurger();
    StorePurger(const StorePurger &) = delete;
    StorePurger &operator=(const StorePurger &) = delete;

    void run();

    // Name prefix of the purge's temporary files beside the store ("<store>.purge-").
    static QByteArray temporaryPrefix(const QByteArray &storePath);

private:
    void createTemporary();
    void removeStaleTemporaries();
    // Appends the bytes [from, to) of the store to the temporary file.
    void copyRange(std::int64_t from, std::int64_t to);
    void copyByReading(std::int64_t from, std::int64_t to);
    void replaceStore();
    // Starts writing the copied bytes to the disk while the copy goes on; the fsync at
    // the end then finds most of them written.
    void writeBehind();
    // The replaced store's blocks are freed when its last descriptor closes; that is
    // left to a thread, since the store the path names is the new file by then.
    void releaseOldStore();

    StoreFile &m_store;
    QString m_target;   // the file the store's path names, links resolved
    QByteArray m_tempPath;
    int m_tempFd = -1;
    std::int64_t m_written = 0;
    std::int64_t m_writeBehind = 0;    // the new file is being written to disk up to here
    bool m_useCopyRange = true;
};
