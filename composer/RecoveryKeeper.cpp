#include "composer/RecoveryKeeper.h"

#include "composer/RecoveryFolder.h"

#include <QDateTime>
#include <algorithm>

RecoveryKeeper::RecoveryKeeper(RecoveryFolder &folder, std::function<bool()> unsaved,
                               std::function<RecoveryCopy()> take, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_unsaved(std::move(unsaved))
    , m_take(std::move(take))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(DelayMs);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryKeeper::writeNow);
}

RecoveryKeeper::~RecoveryKeeper() = default;

void RecoveryKeeper::noteChange()
{
    // Strictly rising, so that a later change always makes a newer copy, also when the
    // clock stands still or steps back.
    m_changeStamp = std::max<std::int64_t>(QDateTime::currentMSecsSinceEpoch(), m_changeStamp + 1);
    m_timer.start();
}

void RecoveryKeeper::focusLost()
{
    if (m_changeStamp != m_writtenStamp)
        writeNow();
}

bool RecoveryKeeper::writeNow()
{
    m_timer.stop();
    if (!m_unsaved() || m_changeStamp == m_writtenStamp || !m_folder.isOpen())
        return false;
    if (m_path.isEmpty())
        m_path = m_folder.newCopyPath();
    RecoveryCopy copy = m_take();
    copy.stamp = m_changeStamp;
    switch (m_folder.write(m_path, copy)) {
    case RecoveryFolder::WriteResult::Written:
        m_writtenStamp = m_changeStamp;
        return true;
    case RecoveryFolder::WriteResult::Stale:
        return false;
    case RecoveryFolder::WriteResult::TooLarge:
        emit status(QStringLiteral("No recovery copy: the letter with its attachments is larger than %1 MB. Save it "
                                   "to keep it.")
                        .arg(RecoveryCopy::MaxBytes / (1024 * 1024)));
        // Not tried again until the next change.
        m_writtenStamp = m_changeStamp;
        return false;
    case RecoveryFolder::WriteResult::Failed:
        emit status(QStringLiteral("The recovery copy could not be written in %1").arg(m_folder.folder()));
        return false;
    }
    return false;
}

void RecoveryKeeper::discard()
{
    m_timer.stop();
    RecoveryFolder::remove(m_path);
    m_path.clear();
    m_writtenStamp = m_changeStamp;
}

void RecoveryKeeper::adopt(const QString &path, std::int64_t stamp)
{
    m_timer.stop();
    m_path = path;
    m_changeStamp = m_writtenStamp = stamp;
}
