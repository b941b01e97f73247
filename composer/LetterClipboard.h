#pragma once

#include <QByteArray>
#include <QString>
#include <string_view>

class QMimeData;
class QTextCursor;

// What the letter takes from the clipboard and gives to it. Pasting prefers rich text
// (read by our RTF reader), then HTML (office suites and browsers: tables, lists, fonts,
// colours; pictures from local files and data: URLs, remote ones dropped), then a
// picture, then plain text. Copying adds the selection as RTF beside Qt's own formats, so
// word processors and other composer windows receive our rich text.
namespace LetterClipboard {

bool canInsert(const QMimeData *data);
// Inserts at the cursor, replacing its selection, as one undo step. False when the data
// holds nothing the letter can take.
bool insert(QTextCursor &cursor, const QMimeData *data);

void insertRtf(QTextCursor &cursor, std::string_view rtf);
void insertHtml(QTextCursor &cursor, const QString &html);

// The selection written as RTF (with its pictures).
QByteArray rtfOf(const QTextCursor &selection);

// The MIME types of rich text, the first the one we offer.
inline const char *const kRtfTypes[] = {"text/rtf", "application/rtf", "text/richtext"};

} // namespace LetterClipboard
