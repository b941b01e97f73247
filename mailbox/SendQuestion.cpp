#include "mailbox/SendQuestion.h"

namespace {

QString shownSubject(const QString &subject)
{
    QString text = subject.simplified();
    if (text.isEmpty())
        return QStringLiteral("(no subject)");
    if (text.size() > SendQuestion::SubjectLength) {
        qsizetype cut = SendQuestion::SubjectLength - 3;
        // Never half a character outside the basic plane.
        if (text.at(cut - 1).isHighSurrogate())
            --cut;
        text = text.left(cut) + QStringLiteral("...");
    }
    return text;
}

} // namespace

QString SendQuestion::text(Scope scope, const QStringList &subjects)
{
    const qsizetype count = subjects.size();
    QString question = QStringLiteral("Send %1 %2 %3?")
                           .arg(count)
                           .arg(scope == Scope::Unsent ? QStringLiteral("unsent") : QStringLiteral("selected"),
                                count == 1 ? QStringLiteral("mail") : QStringLiteral("mails"));
    QStringList lines;
    for (qsizetype i = 0; i < count && i < ListedSubjects; ++i)
        lines.append(QStringLiteral("- ") + shownSubject(subjects.at(i)));
    if (count > ListedSubjects)
        lines.append(QStringLiteral("... and %1 more").arg(count - ListedSubjects));
    if (!lines.isEmpty())
        question += QStringLiteral("\r\n\r\n") + lines.join(QStringLiteral("\r\n"));
    return question;
}
