#pragma once

#include <QString>
#include <string>

// A letter kept as a file of its own (File > Save Letter As...): its RTF, as the mail
// stores it, so that a letter can always be kept somewhere, also when the mail store
// cannot take it. Word processors and Import read the file back.
namespace LetterFile {

// The name the save dialog proposes: the subject made a file name ("letter.rtf" when
// the subject gives none).
QString suggestedName(const QString &subject);

// Writes the file in one step (an existing one is replaced only once the new one is
// whole); the error to show when it fails ("Cannot write file "<path>": <reason>"),
// empty when it was written.
QString save(const QString &path, const std::string &rtf);

} // namespace LetterFile
