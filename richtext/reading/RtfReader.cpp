#include "richtext/reading/RtfReader.h"

#include "os/DefaultFont.h"
#include "richtext/reading/RtfParser.h"
#include "text/Ansi.h"

#include <QTextCursor>
#include <QTextDocument>

bool RtfReader::isRtf(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.substr(i, 5) == "{\\rtf";
}

void RtfReader::readPlain(const QString &plain, QTextDocument *doc)
{
    if (!doc)
        return;
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    doc->setDefaultFont(DefaultFont::font());
    QString text = plain;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    doc->setPlainText(text);
    doc->setUndoRedoEnabled(undo);
    doc->setModified(false);
}

void RtfReader::read(std::string_view bytes, QTextDocument *doc)
{
    if (!doc)
        return;
    if (!isRtf(bytes)) {
        readPlain(Ansi::toQString(bytes), doc);
        return;
    }
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    doc->setDefaultFont(DefaultFont::font());
    {
        QTextCursor batch(doc);
        batch.beginEditBlock(); // one layout pass at the end, not one per insertion
        RtfParser parser(doc);
        parser.parse(bytes);
        batch.endEditBlock();
    }
    doc->setUndoRedoEnabled(undo);
    doc->setModified(false);
}
