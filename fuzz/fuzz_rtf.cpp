// A letter's RTF loaded into its document, written as RTF again and read back (which
// writes the same RTF and holds the same text), and its first page laid out and drawn as
// the send job draws it.
#include "fuzz/FuzzSupport.h"

#include "config/ConfigSettings.h"
#include "os/AppError.h"
#include "picture/PageRenderer.h"
#include "richtext/LetterDocument.h"
#include "richtext/writing/RtfWriter.h"

#include <QTextDocument>

namespace {

// The letter's text as saving keeps it: control characters carry no text and are not
// written (a tab and the line breaks are).
QString keptText(const QTextDocument &doc)
{
    QString text = doc.toPlainText();
    text.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != u'\t' && u != u'\n') || u == 0xFFFE || u == 0xFFFF;
    });
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    QTextDocument letter;
    LetterDocument::load(FuzzSupport::bytes(data, size), &letter);
    const std::string written = RtfWriter::write(letter);
    QTextDocument again;
    LetterDocument::load(written, &again);
    FuzzSupport::require(RtfWriter::write(again) == written, "the RTF written, read back, writes the same RTF");
    FuzzSupport::require(keptText(again) == keptText(letter), "the letter written and read back has the same text");
    const ConfigSettings settings = ConfigSettings::firstRun();
    PageRenderer renderer(settings);
    renderer.cancelled = [] { return true; }; // one page is enough
    try {
        renderer.render(letter);
    } catch (const AppError &) {
    }
    return 0;
}
