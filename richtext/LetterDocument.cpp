#include "LetterDocument.h"

#include "DefaultFont.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QTextDocument>

void LetterDocument::load(std::string_view bytes, QTextDocument *doc)
{
    // Text without formatting of its own shows in the default font, also in plain letters.
    doc->setDefaultFont(DefaultFont::font());
    RtfReader::read(bytes, doc);
}

std::string LetterDocument::save(const QTextDocument &doc)
{
    return RtfWriter::write(doc);
}
