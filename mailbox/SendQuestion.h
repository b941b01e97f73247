#pragma once

#include <QString>
#include <QStringList>

// The question the main window asks before a send job starts, so that no stored mail
// (a half-written letter saved for later, say) goes out without the user meaning it:
// how many mails, and their subjects.
class SendQuestion
{
public:
    // Every mail of the unsent box, or the mails selected in the list.
    enum class Scope { Unsent, Selected };

    // Subjects listed before the rest is counted ("... and 4 more").
    static constexpr int ListedSubjects = 10;
    // Longer subjects are cut, with "..." after them.
    static constexpr int SubjectLength = 60;

    // "Send 3 unsent mails?", a blank line, then one line per subject.
    static QString text(Scope scope, const QStringList &subjects);
};
