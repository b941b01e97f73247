#pragma once

#include <string>
#include <string_view>

class QString;
class QTextDocument;

// The letter of a mail as the windows and the page renderer hold it: its rich-text source
// (RTF, or plain text for mails that carry none) loaded into a QTextDocument whose
// default font is the letter's default font, and written back as RTF.
class LetterDocument
{
public:
    // Replaces doc's content with the letter; bad RTF loads as far as it can be read.
    static void load(std::string_view bytes, QTextDocument *doc);
    // A mail's text body as its letter: the RTF the composer wrote, or any other text as
    // `plainText`, the body already read in its own charset (TMailMessage::PlainBodyText).
    static void load(std::string_view bytes, const QString &plainText, QTextDocument *doc);
    static std::string save(const QTextDocument &doc);
};
