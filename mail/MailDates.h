#pragma once

#include <string>

class QDateTime;

// "Ddd, dd Mmm yyyy hh:nn:ss zone" of a local date and time; zone is +hhmm / -hhmm
// from the local offset, "+0000" when the offset is zero.
std::string Rfc822Date(const QDateTime &dateTime);
