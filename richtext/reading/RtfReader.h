#pragma once

#include <QString>
#include <QTextFormat>
#include <string_view>

class QTextDocument;

// Reads rich-text source (RTF as the rich-edit control and word processors write it) into
// a QTextDocument. Text that is not RTF loads as plain text in Windows-1252.
//
// How every RTF construct is represented in the document (fonts, lists, tables, pictures,
// units) is described in notes/richtext.md; the writer produces the same representation.
class RtfReader
{
public:
    // Custom format properties the reader sets (the writer may read them back).
    enum Property {
        // QTextCharFormat: the \fcharset of the run's font in the font table (int).
        CharsetProperty = QTextFormat::UserProperty + 0x5201,
        // QTextCharFormat: \lang of the run (int), set only when given.
        LanguageProperty = QTextFormat::UserProperty + 0x5202,
        // QTextListFormat: \pnstart when it is not 1 (Qt 6.4 lists have no start number).
        ListStartProperty = QTextFormat::UserProperty + 0x5203,
    };

    // True when the bytes begin with "{\rtf" after blanks (spaces, tabs, CR, LF).
    static bool isRtf(std::string_view bytes);

    // Clears doc and fills it from bytes: RTF when isRtf(), else plain text (Windows-1252,
    // CR LF / CR / LF line ends). Never throws on bad input; reads what it can.
    static void read(std::string_view bytes, QTextDocument *doc);
    // Clears doc and fills it with plain text (CR LF / CR / LF line ends).
    static void readPlain(const QString &text, QTextDocument *doc);

    // Document units: QTextDocument margins, indents and widths are pixels at 96 dpi.
    static constexpr double kTwipsPerPixel = 15.0;
    // Names of pictures read from RTF: "rtfimage://N" (N counts from 1 in each document).
    static constexpr const char *kImageScheme = "rtfimage";
};
