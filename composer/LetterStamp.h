#pragma once

#include <QLocale>
#include <QString>

class QDateTime;

// The date and the time that Insert Date and Insert Time put into the letter, in the
// locale's short date and long time formats.
namespace LetterStamp {

QString date(const QDateTime &now, const QLocale &locale = QLocale::system());
QString time(const QDateTime &now, const QLocale &locale = QLocale::system());

} // namespace LetterStamp
