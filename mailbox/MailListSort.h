#pragma once

#include "mailbox/MailBoxLists.h"

#include <QStringList>

// How the main window's mail list is ordered and what its headers say. Columns: 0 the
// attachment marker, 1 empty, 2 "Mail To", 3 "Subject", 4 "Time", 5 "Size"; only 2 to 5
// sort. The list is always sorted ascending.
namespace MailListSort {

constexpr int ColumnCount = 6;
constexpr int ToColumn = 2;
constexpr int SubjectColumn = 3;
constexpr int TimeColumn = 4;
constexpr int SizeColumn = 5;

bool sorts(int column);
// a before b for the sort column: to, subject and date as text with the letters A to Z
// compared without regard to case; sizes by the text's exact length, so a mail shown in
// MB comes after every one shown in KB. Columns that do not sort order nothing.
bool lessThan(const MailSummary &a, const MailSummary &b, int column);
// Sorts rows by the column (rows that compare equal keep their order).
void sort(BoxList &rows, int column);

// The headers as the window is created: the design texts ("Mail To " keeps its trailing
// blank) with " ^" after the sort column's, when it sorts.
QStringList designHeaders(int sortColumn);
// The headers after a sort command on `column`: "Mail To", "SubJect", "Time", "Size",
// the chosen one with " ^".
QStringList headersAfterSort(int column);

} // namespace MailListSort
