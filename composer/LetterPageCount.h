#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <utility>

class QTextDocument;
struct ConfigSettings;

// How many pictures (pages) the send job will make of the letter with the current
// picture settings. Counting lays the whole letter out, so it runs when the letter has
// rested for a while after a change, never on each keystroke: every change restarts a
// single-shot timer, whose delay grows with the letter's length and with the time the
// last count took.
class LetterPageCount : public QObject
{
    Q_OBJECT
public:
    // The settings must outlive the counter; `letter` gives the document to count (the
    // editor may swap its document), or null for none.
    LetterPageCount(const ConfigSettings &settings, std::function<const QTextDocument *()> letter,
                    QObject *parent = nullptr);

    // The letter or the settings may have changed: count again once things are quiet.
    void schedule();
    // Counts now if a count is pending (tests; closing the settings).
    void flush();
    bool pending() const { return m_timer.isActive(); }
    // The last count; 0 before the first.
    int pages() const { return m_pages; }
    int delay() const { return m_timer.interval(); }

    // The count for a letter as the send job reads it: written as the mail stores it
    // and read back, then laid out on the pages.
    static int count(const QTextDocument &letter, const ConfigSettings &settings);
    // "1 page", "3 pages".
    static QString text(int pages);

    // Delays between the last change and a count.
    static constexpr int kMinDelayMs = 400;
    static constexpr int kMaxDelayMs = 5000;
    // A letter's length in characters per millisecond of delay (a ten-page letter of
    // some 20000 characters waits 800 ms).
    static constexpr int kCharactersPerMs = 25;

signals:
    void counted(int pages);

private:
    void countNow();

    const ConfigSettings &m_settings;
    std::function<const QTextDocument *()> m_letter;
    QTimer m_timer;
    int m_pages = 0;
    int m_learnedDelay = kMinDelayMs;
};
