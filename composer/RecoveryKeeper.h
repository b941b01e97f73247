#pragma once

#include "composer/RecoveryCopy.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>

class RecoveryFolder;

// Keeps one composer's recovery copy: written 30 seconds after the last change and when
// the window loses the focus, while the letter has unsaved changes; removed once the
// letter is saved, sent or given up. The window says when something changed and hands
// over its state through `take`.
class RecoveryKeeper : public QObject
{
    Q_OBJECT
public:
    static constexpr int DelayMs = 30000;

    RecoveryKeeper(RecoveryFolder &folder, std::function<bool()> unsaved, std::function<RecoveryCopy()> take,
                   QObject *parent = nullptr);
    ~RecoveryKeeper() override;

    // Something in the window changed: the copy is written DelayMs later, unless another
    // change comes first.
    void noteChange();
    // The window lost the focus: what changed since the last copy is written now.
    void focusLost();
    // Writes the copy when the letter has unsaved changes that no copy holds yet; true
    // when it was written.
    bool writeNow();
    // The letter was saved, sent or given up: the copy goes.
    void discard();
    // A copy taken over at start-up becomes this composer's; changes are then written
    // over it.
    void adopt(const QString &path, std::int64_t stamp);

    const QString &path() const { return m_path; }
    QTimer &timer() { return m_timer; }

signals:
    // A line for the window's status bar: why no copy could be written.
    void status(const QString &text);

private:
    RecoveryFolder &m_folder;
    std::function<bool()> m_unsaved;
    std::function<RecoveryCopy()> m_take;
    QTimer m_timer;
    QString m_path;
    std::int64_t m_changeStamp = 0;  // when the last change came
    std::int64_t m_writtenStamp = -1; // the change the copy on disk holds
};
