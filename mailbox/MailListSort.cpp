#include "mailbox/MailListSort.h"

#include <algorithm>
#include <string>

namespace MailListSort {

namespace {

unsigned char folded(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

// Negative, zero or positive as a sorts before, with or after b.
int compareText(const std::string &a, const std::string &b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = folded(a[i]);
        const unsigned char y = folded(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

} // namespace

bool sorts(int column)
{
    return column >= ToColumn && column <= SizeColumn;
}

namespace {

// The headers with " ^" after the sort column's, when it sorts.
QStringList marked(QStringList headers, int sortColumn)
{
    if (sorts(sortColumn))
        headers[sortColumn] += QStringLiteral(" ^");
    return headers;
}

} // namespace

bool lessThan(const MailSummary &a, const MailSummary &b, int column)
{
    switch (column) {
    case ToColumn:
        return a.toText.compare(b.toText, Qt::CaseInsensitive) < 0;
    case SubjectColumn:
        return a.subjectText.compare(b.subjectText, Qt::CaseInsensitive) < 0;
    case TimeColumn:
        return compareText(a.date, b.date) < 0;
    case SizeColumn:
        return a.length < b.length;
    default:
        return false;
    }
}

void sort(BoxList &rows, int column)
{
    if (!sorts(column))
        return;
    std::stable_sort(rows.begin(), rows.end(),
                     [column](const MailSummary &a, const MailSummary &b) { return lessThan(a, b, column); });
}

QStringList designHeaders(int sortColumn)
{
    return marked({QString(), QString(), QStringLiteral("Mail To "), QStringLiteral("Subject"), QStringLiteral("Time"),
                   QStringLiteral("Size")},
                  sortColumn);
}

QStringList headersAfterSort(int column)
{
    return marked({QString(), QString(), QStringLiteral("Mail To"), QStringLiteral("SubJect"), QStringLiteral("Time"),
                   QStringLiteral("Size")},
                  column);
}

} // namespace MailListSort
