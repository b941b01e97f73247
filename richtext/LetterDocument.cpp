#include "richtext/LetterDocument.h"

#include "os/DefaultFont.h"
#include "richtext/reading/RtfReader.h"
#include "richtext/writing/RtfWriter.h"

#include <QTextDocument>

void LetterDocument::load(std::string_view bytes, QTextDocument *doc)
{
    // Text without formatting of its own shows in the default font, also in plain letters.
    doc->setDefaultFont(DefaultFont::font());
    RtfReader::read(bytes, doc);
}

void LetterDocument::load(std::string_view bytes, const QString &plainText, QTextDocument *doc)
{
    if (RtfReader::isRtf(bytes)) {
        load(bytes, doc);
        return;
    }
    doc->setDefaultFont(DefaultFont::font());
    RtfReader::readPlain(plainText, doc);
}

std::string LetterDocument::save(const QTextDocument &doc)
{
    return RtfWriter::write(doc);
}
