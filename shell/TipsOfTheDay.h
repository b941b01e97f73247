#pragma once

#include <QString>
#include <QStringList>

class RandomSource;

// What the tips window shows: the tip titles and texts, and which tip is current.
// The index always lies in 0 .. count()-1 and wraps around at both ends.
class TipsOfTheDay
{
public:
    TipsOfTheDay();

    static const QStringList &titles();
    static const QStringList &texts();

    int count() const { return int(titles().size()); }
    int index() const { return m_index; }

    // Starts at a tip picked at random.
    void start(RandomSource &random);
    void show(int index);
    void previous();
    void next();

    // The lines of the tips memo for the current tip: a blank, the title, a blank, the text.
    QStringList memoLines() const;

    // Whether the tips show at start-up (WND_ShowTips, on when missing). A missing
    // Config.dat is created first, holding one line with a single blank.
    static bool readShowTips(const QString &configPath);

private:
    int m_index = 0;
};
